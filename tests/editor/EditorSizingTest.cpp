#include "editor/EditorSizing.h"

#include <gtest/gtest.h>

TEST (EditorSizing, PreferredSizesForEachDisplaySize)
{
    const ProductInfo info;
    struct Case { int displayW, displayH, preset, w, h; };
    const Case cases[] {
        { 1920, 1040, 0, 674, 364 },   { 1920, 1040, 1, 1010, 546 }, { 1920, 1040, 2, 1347, 728 },
        { 1920, 1040, 3, 1684, 910 },  { 1920, 1040, 4, 1600, 865 },  // 150 % does not fit: shrunk
        { 1920, 1040, 5, 1347, 728 },  { 1920, 1040, 42, 1347, 728 }, // any other value counts as 100 %
        { 2560, 1400, 2, 1600, 865 },  { 2560, 1400, 4, 2400, 1298 },
        { 400, 300, 2, 400, 216 },                                    // narrower than the minimum width
        { 1, 1, 2, 1, 1 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (EditorSizing::preferredSize ({ 0, 0, c.displayW, c.displayH }, c.preset, info), juce::Rectangle<int> (c.w, c.h))
            << c.displayW << " x " << c.displayH << " preset " << c.preset;
}

TEST (EditorSizing, LimitsMenuBarAndStorableSizes)
{
    const ProductInfo info;
    const auto limits = EditorSizing::limitsFor ({ 0, 0, 1920, 1040 }, info);
    EXPECT_EQ (limits.minWidth, 500);
    EXPECT_EQ (limits.minHeight, 270);
    EXPECT_EQ (limits.maxWidth, 1600);
    EXPECT_EQ (limits.maxHeight, 865);

    // A size applied above the limits widens them rather than being snapped back.
    const auto widened = limits.including ({ 1684, 910 });
    EXPECT_EQ (widened.maxWidth, 1684);
    EXPECT_EQ (widened.maxHeight, 910);
    EXPECT_EQ (widened.minWidth, 500);

    EXPECT_EQ (EditorSizing::menuBarHeight (728, info), 66);
    EXPECT_FALSE (EditorSizing::isStorable (480, 259, info));
    EXPECT_FALSE (EditorSizing::isStorable (500, 269, info));
    EXPECT_TRUE (EditorSizing::isStorable (600, 324, info));
    EXPECT_TRUE (EditorSizing::isStorable (500, 270, info));
}

TEST (EditorSizing, SavedSizesAreBroughtBackOntoTheDisplay)
{
    const ProductInfo info;
    const juce::Rectangle<int> small (0, 0, 1280, 700), large (0, 0, 2560, 1400);

    EXPECT_EQ (EditorSizing::clampSavedSize (1200.0f, 649.0f, large, info), juce::Rectangle<int> (1200, 649));
    EXPECT_EQ (EditorSizing::clampSavedSize (2400.0f, 1298.0f, large, info), juce::Rectangle<int> (2400, 1298));
    EXPECT_EQ (EditorSizing::clampSavedSize (2400.0f, 1298.0f, small, info), juce::Rectangle<int> (1280, 700));
    EXPECT_EQ (EditorSizing::clampSavedSize (100.0f, 50.0f, small, info), juce::Rectangle<int> (500, 270));
    EXPECT_EQ (EditorSizing::clampSavedSize (std::numeric_limits<float>::quiet_NaN(), 1.0e30f, small, info),
               juce::Rectangle<int> (500, 700));
}
