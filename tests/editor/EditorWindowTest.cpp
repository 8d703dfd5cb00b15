#include "editor/OrvelAudioProcessorEditor.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// These tests need a screen whose usable area is 1920 x 1040; ctest runs them on a virtual
// screen of that size. Expected sizes are worked out by hand from the sizing rules.

namespace
{
    juce::Rectangle<int> primaryUserArea()
    {
        const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
        return display != nullptr ? display->userArea : juce::Rectangle<int>();
    }
}

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ (primaryUserArea(), juce::Rectangle<int> (0, 0, 1920, 1040))
            << "run these tests on a 1920 x 1040 screen (ctest does)";
    }

    std::unique_ptr<OrvelAudioProcessorEditor> open() { return std::make_unique<OrvelAudioProcessorEditor> (processor); }

    juce::Rectangle<int> saved() const
    {
        return { juce::roundToInt (processor.savedWindowWidth.load()), juce::roundToInt (processor.savedWindowHeight.load()) };
    }

    /** What the resize corner does when dragged by (dx, dy). */
    static void dragCorner (OrvelAudioProcessorEditor& editor, int dx, int dy)
    {
        auto bounds = editor.getBounds();
        bounds.setSize (bounds.getWidth() + dx, bounds.getHeight() + dy);
        editor.getConstrainer()->setBoundsForComponent (&editor, bounds, false, false, true, true);
    }

    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
};

TEST_F (EditorWindow, OpensAtThePreferredSizeWithItsBarAboveThePanel)
{
    auto editor = open();
    EXPECT_EQ (editor->getBounds().withZeroOrigin(), juce::Rectangle<int> (1347, 728));
    EXPECT_EQ (editor->getMenuBar().getBounds(), juce::Rectangle<int> (0, 0, 1347, 66));
    EXPECT_EQ (editor->getPanel().getBounds(), juce::Rectangle<int> (0, 66, 1347, 662));
    EXPECT_TRUE (editor->isResizable());

    EXPECT_TRUE (processor.savedWindowSizeSet.load());
    EXPECT_EQ (saved(), juce::Rectangle<int> (1347, 728));
}

TEST_F (EditorWindow, EachDisplaySizeFromTheSettingsMenu)
{
    auto editor = open();
    struct Case { MenuBar::GuiScalePreset preset; int w, h; };
    const Case cases[] { { MenuBar::scale50, 674, 364 }, { MenuBar::scale75, 1010, 546 }, { MenuBar::scale125, 1684, 910 },
                         { MenuBar::scale150, 1600, 865 }, { MenuBar::scale100, 1347, 728 } };

    for (const auto& c : cases)
    {
        editor->getMenuBar().handleSettingsMenuResult (MenuBar::firstScaleItemId + (int) c.preset);
        EXPECT_EQ (editor->getBounds().withZeroOrigin(), juce::Rectangle<int> (c.w, c.h)) << "preset " << c.preset;
        EXPECT_EQ (saved(), juce::Rectangle<int> (c.w, c.h)) << "preset " << c.preset;
        EXPECT_EQ (editor->getGuiScalePreset(), c.preset);
        EXPECT_EQ (editor->getPanel().getHeight(), c.h - juce::roundToInt (0.09f * (float) c.h));
    }
}

TEST_F (EditorWindow, OnlySizesFromTheMinimumUpAreRemembered)
{
    auto editor = open();
    editor->setSize (480, 259);  // imposed by a host in spite of the limits
    EXPECT_EQ (editor->getWidth(), 480);
    EXPECT_EQ (saved(), juce::Rectangle<int> (1347, 728));

    editor->setSize (600, 324);
    EXPECT_EQ (saved(), juce::Rectangle<int> (600, 324));
}

TEST_F (EditorWindow, ReopensAtTheRememberedSizeBroughtOntoTheDisplay)
{
    open()->setSize (1200, 649);
    EXPECT_EQ (open()->getBounds().withZeroOrigin(), juce::Rectangle<int> (1200, 649));

    // A size remembered on a larger screen is brought onto this one.
    processor.savedWindowWidth = 2400.0f;
    processor.savedWindowHeight = 1298.0f;
    EXPECT_EQ (open()->getBounds().withZeroOrigin(), juce::Rectangle<int> (1920, 1040));
}

TEST_F (EditorWindow, ARestoredProjectOpensAtItsSize)
{
    open()->setSize (1111, 601);
    juce::MemoryBlock state;
    processor.getStateInformation (state);

    OrvelAudioProcessor reloaded;
    reloaded.setStateInformation (state.getData(), (int) state.getSize());
    OrvelAudioProcessorEditor editor (reloaded);
    EXPECT_EQ (editor.getBounds().withZeroOrigin(), juce::Rectangle<int> (1111, 601));
}

TEST_F (EditorWindow, ADisplaySizeAboveTheUsualLimitsSurvivesTheResizeCorner)
{
    auto editor = open();
    editor->getMenuBar().handleSettingsMenuResult (MenuBar::firstScaleItemId + MenuBar::scale125);
    ASSERT_EQ (editor->getBounds().withZeroOrigin(), juce::Rectangle<int> (1684, 910));

    // A one-pixel drag either way keeps the size near what was chosen.
    dragCorner (*editor, 1, 0);
    EXPECT_GE (editor->getWidth(), 1683);
    dragCorner (*editor, -1, 0);
    EXPECT_GE (editor->getWidth(), 1682);
    EXPECT_NEAR ((float) editor->getWidth() / (float) editor->getHeight(), 1.85f, 0.01f);

    // And a reopened editor comes back at it.
    const auto size = editor->getBounds().withZeroOrigin();
    editor.reset();
    EXPECT_EQ (open()->getBounds().withZeroOrigin(), size);
}

// Run without any display (ctest does): a headless host or validator still gets a usable size.
TEST (EditorWithoutDisplay, OpensAtTheSizeForACommonScreen)
{
    ASSERT_EQ (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay(), nullptr)
        << "run this test without a display (ctest does)";

    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor processor;
    OrvelAudioProcessorEditor editor (processor);

    // As on a 1920 x 1040 screen.
    EXPECT_EQ (editor.getBounds().withZeroOrigin(), juce::Rectangle<int> (1347, 728));
    EXPECT_EQ (editor.getPanel().getHeight(), 662);
}
