#pragma once

#include <juce_graphics/juce_graphics.h>

/** Fonts of the menu bar, its pop-up menus and dialogs. This is the one place that knows how
    the JUCE version in use builds a font and measures text; JUCE 8 replaced the height-and-style
    constructor with FontOptions and changed how widths are measured. */
namespace MenuBarFonts
{
    /** The default sans-serif typeface at a height in pixels, bold or plain. */
    inline juce::Font make (float height, bool bold = false)
    {
       #if JUCE_MAJOR_VERSION >= 8
        return juce::Font (juce::FontOptions (height, bold ? juce::Font::bold : juce::Font::plain));
       #else
        return juce::Font (height, bold ? juce::Font::bold : juce::Font::plain);
       #endif
    }

    /** Width of a text set in a font, in pixels, without rounding. */
    inline float textWidth (const juce::Font& font, const juce::String& text)
    {
       #if JUCE_MAJOR_VERSION >= 8
        return juce::GlyphArrangement::getStringWidth (font, text);
       #else
        return font.getStringWidthFloat (text);
       #endif
    }
}
