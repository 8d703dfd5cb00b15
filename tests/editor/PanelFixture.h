#pragma once

#include "editor/OrvelGUI.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

/** A processor and its main panel at the editor's default panel size, 1347 x 662. */
class PanelFixture : public ::testing::Test
{
protected:
    PanelFixture()
    {
        panel = std::make_unique<OrvelGUI> (processor);
        panel->setSize (1347, 662);
    }

    /** The panel as it would appear on screen now. */
    juce::Image render() { return render (*panel); }

    static juce::Image render (juce::Component& c)
    {
        return c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    }

    /** Lets queued messages (a text editor's Return, for instance) be delivered. */
    static void runMessages (int milliseconds = 30)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }

    float raw (const char* id) { return processor.getParameterValue (id); }

    juce::Slider& dial (OrvelGUI::Dial d) { return panel->getDial (d); }

    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    std::unique_ptr<OrvelGUI> panel;
};

/** Whether a pixel is the green of a lit arc or lamp: green clearly above red and blue. */
inline bool isGreen (juce::Colour c)
{
    return c.getGreen() > 120 && c.getGreen() > c.getRed() + 60 && c.getGreen() > c.getBlue() + 60;
}

/** Counts the pixels of a region that satisfy a test. */
template <typename Test>
int countPixels (const juce::Image& image, juce::Rectangle<int> area, Test&& test)
{
    int n = 0;
    const auto r = area.getIntersection (image.getBounds());
    for (int y = r.getY(); y < r.getBottom(); ++y)
        for (int x = r.getX(); x < r.getRight(); ++x)
            if (test (image.getPixelAt (x, y)))
                ++n;
    return n;
}

/** The number of pixels in which two images of the same size differ. */
inline int countDifferentPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return -1;

    int n = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            n += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
    return n;
}
