#pragma once

#include <juce_graphics/juce_graphics.h>

/** Colours of the menu bar, its buttons, pop-up menus and dialogs, in one place. Everything
    under menubar/ that draws reads its colours from here and spells no colour of its own.
    Each colour is written as an opaque RGB value plus an alpha from 0 to 255. */
namespace MenuBarTheme
{
    /** An RGB value (0xRRGGBB) with an alpha from 0 to 255. */
    inline juce::Colour rgb (juce::uint32 rgbValue, int alpha = 255)
    {
        return juce::Colour ((juce::uint32) 0xff000000 | rgbValue).withAlpha ((juce::uint8) juce::jlimit (0, 255, alpha));
    }

    /** An RGB value with an alpha given as a fraction of full opacity. */
    inline juce::Colour rgbFraction (juce::uint32 rgbValue, float alpha)
    {
        return rgb (rgbValue).withAlpha (alpha);
    }

    /** Multiplies a colour's alpha by a factor, rounded and capped at 255: how a disabled
        button fades everything it draws. */
    inline juce::Colour faded (juce::Colour colour, float factor)
    {
        return colour.withAlpha ((juce::uint8) juce::jlimit (0, 255, juce::roundToInt ((float) colour.getAlpha() * factor)));
    }

    /** The strip itself. */
    namespace Bar
    {
        inline const juce::Colour background = rgb (0x0a0b0c);
    }

    /** Text pills (Presets, Save) and the push buttons of the dialogs. */
    namespace Pill
    {
        inline const juce::Colour down = rgb (0x3b4045);
        inline const juce::Colour highlighted = rgb (0x30363b);
        inline const juce::Colour normal = rgb (0x181e24);
        inline const juce::Colour outline = rgb (0x384452);
        inline const juce::Colour text = rgb (0xdce6f0);
    }

    /** Icon buttons: hover plates, the built-in gear and the undo and redo arrows. */
    namespace Icon
    {
        inline const juce::Colour plateDown = rgb (0xffffff, 60);
        inline const juce::Colour plateHover = rgb (0xffffff, 40);
        inline const juce::Colour plateOutlineDown = rgb (0x8296af, 120);
        inline const juce::Colour plateOutlineHover = rgb (0x8296af, 82);
        inline const juce::Colour glyph = rgb (0xdce6f0);

        inline const juce::Colour arrowPlateInnerOutlineHover = rgbFraction (0x445260, 0.78f);
        inline const juce::Colour arrowPlateInnerOutline = rgbFraction (0x445260, 0.54f);
        inline const juce::Colour arrowPlateGloss = rgbFraction (0xffffff, 0.065f);
        inline const juce::Colour arrowShadow = rgbFraction (0x000000, 0.3f);

        /** Fill of the Settings button's gear drawable. */
        inline const juce::Colour gearDrawable = rgb (0xd1d1d1);
    }

    /** Pop-up menus of the bar. */
    namespace Menu
    {
        inline const juce::Colour backgroundTop = rgb (0x101112);
        inline const juce::Colour backgroundBottom = rgb (0x0f1011);
        inline const juce::Colour outline = rgb (0x384452);
        inline const juce::Colour innerOutline = rgb (0x4e4f51, 180);
        inline const juce::Colour sectionHeader = rgb (0xffffff);
        inline const juce::Colour separator = rgb (0x2a333d);
        inline const juce::Colour highlight = rgb (0xffffff, 40);
        inline const juce::Colour highlightedText = rgb (0xffffff);
        inline const juce::Colour text = rgb (0xe6eef2, 240);

        inline const juce::Colour checkBoxFillTicked = rgb (0xffffff, 52);
        inline const juce::Colour checkBoxFill = rgb (0xffffff, 20);
        inline const juce::Colour checkBoxOutlineTicked = rgb (0xb4c2d4, 220);
        inline const juce::Colour checkBoxOutline = rgb (0xb4c2d4, 132);
        inline const juce::Colour checkMark = rgb (0xf5faff, 240);
    }

    /** The preset dialogs. */
    namespace Dialog
    {
        inline const juce::Colour windowBackground = rgb (0x12161b);
        inline const juce::Colour windowText = rgb (0xd2e1eb, 220);
        inline const juce::Colour editorBackground = rgb (0x161c22);
        inline const juce::Colour editorText = rgb (0xeff5ff);
        inline const juce::Colour editorHighlightedText = rgb (0xffffff);
        inline const juce::Colour editorOutline = rgb (0x384452);
        inline const juce::Colour editorFocusedOutline = rgb (0x4eff24);
        inline const juce::Colour button = rgb (0x1c232b);
        inline const juce::Colour buttonOn = rgb (0x26303a);
        inline const juce::Colour buttonText = rgb (0xeff5ff);

        inline const juce::Colour boxTop = rgb (0x131415);
        inline const juce::Colour boxBottom = rgb (0x0e0f10);
        inline const juce::Colour boxOutline = rgb (0xd2e1eb);
    }
}
