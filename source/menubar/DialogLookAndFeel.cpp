#include "menubar/DialogLookAndFeel.h"
#include "menubar/MenuBarFonts.h"
#include "menubar/MenuBarTheme.h"

namespace
{
    constexpr float corner = 5.0f;
    constexpr float buttonFontFraction = 0.9f, buttonMaxFontHeight = 16.0f;
    constexpr float titleFontHeight = 20.0f, messageFontHeight = 16.0f;

    constexpr float buttonTop = 0.72f, buttonHeight = 0.18f;
    constexpr float pairButtonWidth = 0.3f, pairHalfGap = 0.015f, singleButtonWidth = 0.34f;
    constexpr float textTopFraction = 0.1f;
}

DialogLookAndFeel::DialogLookAndFeel()
{
    using namespace MenuBarTheme;
    setColour (juce::AlertWindow::backgroundColourId, Dialog::windowBackground);
    setColour (juce::AlertWindow::textColourId, Dialog::windowText);
    setColour (juce::TextEditor::backgroundColourId, Dialog::editorBackground);
    setColour (juce::TextEditor::textColourId, Dialog::editorText);
    setColour (juce::TextEditor::highlightedTextColourId, Dialog::editorHighlightedText);
    setColour (juce::TextEditor::outlineColourId, Dialog::editorOutline);
    setColour (juce::TextEditor::focusedOutlineColourId, Dialog::editorFocusedOutline);
    setColour (juce::TextButton::buttonColourId, Dialog::button);
    setColour (juce::TextButton::buttonOnColourId, Dialog::buttonOn);
    setColour (juce::TextButton::textColourOffId, Dialog::buttonText);
    setColour (juce::TextButton::textColourOnId, Dialog::buttonText);
}

void DialogLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour& /*backgroundColour*/,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    using namespace MenuBarTheme;
    const juce::Rectangle<float> r (0.5f, 0.5f, (float) button.getWidth() - 1.0f, (float) button.getHeight() - 1.0f);

    g.setColour (shouldDrawButtonAsDown ? Pill::down : (shouldDrawButtonAsHighlighted ? Pill::highlighted : Pill::normal));
    g.fillRoundedRectangle (r, corner);
    g.setColour (Pill::outline);
    g.drawRoundedRectangle (r, corner, 1.0f);
}

juce::Font DialogLookAndFeel::getTextButtonFont (juce::TextButton&, int buttonHeight)
{
    return MenuBarFonts::make (juce::jmin (buttonFontFraction * (float) buttonHeight, buttonMaxFontHeight), true);
}

juce::Font DialogLookAndFeel::getAlertWindowTitleFont()
{
    return MenuBarFonts::make (titleFontHeight, true);
}

juce::Font DialogLookAndFeel::getAlertWindowMessageFont()
{
    return MenuBarFonts::make (messageFontHeight);
}

juce::Array<juce::Rectangle<int>> DialogLookAndFeel::buttonBounds (int windowWidth, int windowHeight, int numButtons)
{
    const auto w = (float) windowWidth, h = (float) windowHeight;
    const int y = (int) std::round (buttonTop * h), height = (int) std::round (buttonHeight * h);

    if (numButtons == 2)
    {
        const int width = (int) std::round (pairButtonWidth * w);
        return { juce::Rectangle<int> ((int) std::round (0.5f * w - pairButtonWidth * w - pairHalfGap * w), y, width, height),
                 juce::Rectangle<int> ((int) std::round (0.5f * w + pairHalfGap * w), y, width, height) };
    }

    if (numButtons == 1)
    {
        const int width = (int) std::round (singleButtonWidth * w);
        return { juce::Rectangle<int> ((int) std::round ((w - singleButtonWidth * w) * 0.5f), y, width, height) };
    }

    return {};
}

void DialogLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& window, const juce::Rectangle<int>& textArea,
                                      juce::TextLayout& textLayout)
{
    using namespace MenuBarTheme;

    juce::Array<juce::Button*> buttons;

    for (auto* child : window.getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            buttons.add (button);

    const auto bounds = buttonBounds (window.getWidth(), window.getHeight(), buttons.size());

    for (int i = 0; i < bounds.size(); ++i)
        buttons.getUnchecked (i)->setBounds (bounds.getReference (i));

    const auto box = window.getLocalBounds().toFloat();
    g.setGradientFill (juce::ColourGradient::vertical (Dialog::boxTop, box.getY(), Dialog::boxBottom, box.getBottom()));
    g.fillRoundedRectangle (box, corner);
    g.setColour (Dialog::boxOutline);
    g.drawRoundedRectangle (box, corner, 1.0f);

    // The text keeps its own size, centred across the text area; no icon is drawn.
    const auto layoutWidth = textLayout.getWidth(), layoutHeight = textLayout.getHeight();
    const float x = (float) textArea.getX() + ((float) textArea.getWidth() - layoutWidth) * 0.5f;
    const float y = (float) textArea.getY() + textTopFraction * (float) textArea.getHeight();
    textLayout.draw (g, { x, y, layoutWidth, layoutHeight });
}
