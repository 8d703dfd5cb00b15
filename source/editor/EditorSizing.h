#pragma once

#include "common/ProductInfo.h"
#include <juce_gui_basics/juce_gui_basics.h>

/** The arithmetic of the editor window's size: the preferred size for a display and a
    display-size choice, and the limits the user can resize within. Pure functions of the
    display's usable area, so they can be checked for any screen. */
namespace EditorSizing
{
    /** The display-size factor of a display-size choice (0 = 50 % ... 4 = 150 %); 1 for any other value. */
    float scaleFactor (int guiScalePreset) noexcept;

    /** The size the editor opens at on a display with this usable area. */
    juce::Rectangle<int> preferredSize (juce::Rectangle<int> userArea, int guiScalePreset, const ProductInfo& info);

    /** Smallest and largest editor sizes on a display. */
    struct Limits
    {
        int minWidth = 1, minHeight = 1, maxWidth = 1, maxHeight = 1;

        /** The same limits widened to include a size, so that a size we chose ourselves is
            never snapped back by the first drag of the resize corner. */
        Limits including (juce::Rectangle<int> size) const noexcept;
    };

    /** The resize limits on a display with this usable area. */
    Limits limitsFor (juce::Rectangle<int> userArea, const ProductInfo& info);

    /** A remembered size brought back onto a display: at least the minimum, at most the display's usable area. */
    juce::Rectangle<int> clampSavedSize (float savedWidth, float savedHeight, juce::Rectangle<int> userArea, const ProductInfo& info);

    /** The menu bar's height in an editor of a given height. */
    int menuBarHeight (int editorHeight, const ProductInfo& info) noexcept;

    /** Whether a size is large enough to be remembered. */
    bool isStorable (int width, int height, const ProductInfo& info) noexcept;

    /** The usable area assumed when no display is known (a headless host or validator). */
    inline const juce::Rectangle<int> fallbackUserArea { 0, 0, 1920, 1040 };
}
