#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Colours and fonts of the main panel, in one place. Everything that draws the panel reads
    from here; no other editor file spells a colour of its own. */
namespace EditorTheme
{
    /** A font of the default sans-serif typeface at a height in pixels. This is the one place
        that knows how the JUCE version in use builds fonts. */
    inline juce::Font font (float height, bool bold = false)
    {
        return juce::Font (height, bold ? juce::Font::bold : juce::Font::plain);
    }

    /** Colours of the panel background, the framed panel and the header. */
    namespace Panel
    {
        inline const juce::Colour backgroundTop { 0xff0f1216 }, backgroundMid { 0xff07090b }, backgroundBottom { 0xff050709 };
        inline const juce::Colour frameShadow { 0x85000000 };
        inline const juce::Colour frameTop { 0xff191e24 }, frameMid { 0xff12161b }, frameBottom { 0xff0c0f12 };
        inline const juce::Colour frameSheen { 0x0affffff }, sheenEnd { 0x00ffffff };
        inline const juce::Colour frameOutline { 0xff2f3944 }, frameInnerOutline { 0x0bffffff };

        inline const juce::Colour headerShadow { 0x4c000000 };
        inline const juce::Colour headerTop { 0xff12161b }, headerBottom { 0xff090c0f };
        inline const juce::Colour headerOutline { 0xf22f3944 }, headerInnerOutline { 0x0affffff };

        inline const juce::Colour brandShadow { 0x52000000 };
        inline const juce::Colour brandTop { 0xff0c0f13 }, brandBottom { 0xff050709 };
        inline const juce::Colour brandOutline { 0xe0272f39 }, brandText { 0xf5eaeff6 };

        inline const juce::Colour title { 0xffeaeff6 }, subtitle { 0xeba9b7c7 };
        inline const juce::Colour statusOn { 0x8c48ff24 }, statusOff { 0x6b272f39 };
    }

    /** Colours of the seven section panels and the group frames inside them. */
    namespace Section
    {
        inline const juce::Colour shadow { 0x61000000 }, body { 0xff0e1115 };
        inline const juce::Colour shadeTop { 0x1237414d }, shadeBottom { 0x3e000000 };
        inline const juce::Colour sheen { 0x08ffffff }, sheenEnd { 0x00ffffff };
        inline const juce::Colour outline { 0xff272f39 }, innerOutline { 0x09ffffff };
        inline const juce::Colour titleActive { 0xffeaeff6 }, titleInactive { 0x57eaeff6 };
        inline const juce::Colour underlineActive { 0xa3272f39 }, underlineInactive { 0x3d272f39 };
        inline const juce::Colour groupFrame { 0x4269798b }, groupTitle { 0x9ab0becd };
    }

    /** Colours of the dial labels and the editable value read-outs. */
    namespace Labels
    {
        inline const juce::Colour name { 0xf5a9b7c7 };
        inline const juce::Colour value { 0xfaeaeff6 };
        inline const juce::Colour valueEditingBackground { 0x640e141c };
        inline const juce::Colour editorText { 0xffeaeff6 }, editorBackground { 0x6e0e141c }, editorHighlight { 0x464eff24 };
    }

    /** Colours of a dial. */
    namespace Dial
    {
        inline const juce::Colour disc { 0xff080a0d }, discOutline { 0xff313b47 };
        inline const juce::Colour knobTop { 0xff283039 }, knobBottom { 0xff0e1218 };
        inline const juce::Colour highlightLit { 0x16ffffff }, highlightUnlit { 0x09ffffff }, highlightEnd { 0x00000000 };
        inline const juce::Colour track { 0xff222930 };
        inline const juce::Colour majorTickLit { 0xa8c8c8c8 }, minorTickLit { 0x88c8c8c8 };
        inline const juce::Colour majorTickUnlit { 0x4bc8c8c8 }, minorTickUnlit { 0x37c8c8c8 };
        inline const juce::Colour arcGlow { 0x2100ff40 }, arcUnderlay { 0xf5006816 }, arcBody { 0xff00ff40 };
        inline const juce::Colour arcHighlight { 0xfc48ff24 }, arcCore { 0xebf6fff8 };
        inline const juce::Colour pointerLit { 0xfff6fff8 }, pointerUnlit { 0x9e6c7a8a };
        inline const juce::Colour centreCap { 0xff06080a };
        inline const juce::Colour rimLit { 0x1affffff }, rimUnlit { 0x0affffff };
    }

    /** Colours of the power lamps. */
    namespace Lamp
    {
        inline const juce::Colour lit { 0xff48ff24 }, unlit { 0xff5c6772 };
        inline const juce::Colour well { 0xb905080b }, hover { 0x19ffffff }, outline { 0x28ffffff };
    }

    /** Colours of the level meters. */
    namespace Meter
    {
        inline const juce::Colour titleActive { 0xfaa9b7c7 }, titleInactive { 0x57a9b7c7 };
        inline const juce::Colour caseTop { 0xff161c23 }, caseBottom { 0xff080a0c };
        inline const juce::Colour caseInner { 0x0cffffff }, caseOutline { 0xff384452 };
        inline const juce::Colour wellTop { 0xff05070a }, wellBottom { 0xff10141a };
        inline const juce::Colour majorTick { 0x1cffffff }, minorTick { 0x0effffff };
        inline const juce::Colour majorTickInactive { 0x0affffff }, minorTickInactive { 0x05ffffff };
        inline const juce::Colour levelLow { 0xff00ff6e }, levelMid { 0xffffe828 }, levelHigh { 0xffff7612 }, levelOver { 0xffff2626 };
        inline const juce::Colour fill0 { 0xff00ff54 }, fill48 { 0xff46ff22 }, fill77 { 0xffffe824 }, fill91 { 0xffff700c }, fill100 { 0xffff2626 };
        inline const juce::Colour glossStart { 0x0cffffff }, glossEnd { 0x00ffffff };
        inline const juce::Colour majorNumber { 0xffa9b7c7 }, minorNumber { 0xff6c7a8a };
    }
}
