#include "editor/OrvelGUI.h"
#include "editor/EditorTheme.h"

// Everything on the panel is a fraction of its width W and height H (or of m, the smaller of
// the two), so the panel scales with the editor window.
namespace
{
    /** Nearest integer, halves away from zero. */
    int near (float x) { return (int) std::round (x); }

    /** Nearest integer, halves to even (the rounding of juce::roundToInt). */
    int nearEven (float x) { return juce::roundToInt (x); }

    struct AreaFractions { float x, y, w, h; };

    constexpr std::array<AreaFractions, OrvelGUI::numAreas> areaFractions { {
        { 0.025f, 0.135f, 0.125f, 0.41f },  // Input
        { 0.162f, 0.135f, 0.263f, 0.41f },  // Tone
        { 0.437f, 0.135f, 0.426f, 0.41f },  // Compression
        { 0.025f, 0.565f, 0.4f, 0.41f },    // Character
        { 0.437f, 0.565f, 0.289f, 0.41f },  // Space
        { 0.738f, 0.565f, 0.125f, 0.41f },  // Output
        { 0.875f, 0.135f, 0.1f, 0.84f },    // Levels
    } };

    constexpr float headerX = 0.025f, headerY = 0.026f, headerW = 0.95f, headerH = 0.09f;
    constexpr float sectionLampSize = 0.043f, sectionLampRight = 0.016f, sectionLampTop = 0.006f;
    constexpr float mainLampSize = 0.68f, mainLampRight = 0.018f;
    constexpr float nameFontFraction = 0.0253f, valueFontFraction = 0.0215f;

    /** The area a section's dials share: inside its margins and below its title. */
    juce::Rectangle<float> dialArea (juce::Rectangle<int> bounds)
    {
        const auto b = bounds.toFloat();
        const float left = b.getX() + 0.035f * b.getWidth();
        const float width = juce::jmax (0.0f, 0.93f * b.getWidth());
        const float top0 = b.getY() + 0.045f * b.getHeight();
        const float height0 = juce::jmax (0.0f, b.getHeight() - 0.09f * b.getHeight());
        const float head = juce::jmin (height0, 0.17f * b.getHeight());
        const float top = top0 + head, height = height0 - head;
        const float drop = juce::jmin (height, 0.06f * height);
        return { left, top + drop, width, height - drop };
    }

    /** Cell i of n equal cells side by side. */
    juce::Rectangle<float> cellOf (juce::Rectangle<float> row, int i, int n)
    {
        const float w = row.getWidth() / (float) n;
        return { row.getX() + (float) i * w, row.getY(), w, row.getHeight() };
    }
}

void OrvelGUI::resized()
{
    const float W = (float) getWidth(), H = (float) getHeight(), m = juce::jmin (W, H);

    dialLookAndFeel.setMetrics (DialDrawingMetrics::forPanelSize (m));

    headerArea = juce::Rectangle<int> (near (headerX * W), near (headerY * H), near (headerW * W), near (headerH * H)).toFloat();
    const float hx = headerArea.getX(), hy = headerArea.getY(), hw = headerArea.getWidth(), hh = headerArea.getHeight();

    for (size_t i = 0; i < sectionAreas.size(); ++i)
    {
        const auto& f = areaFractions[i];
        sectionAreas[i].bounds = { near (f.x * W), near (f.y * H), near (f.w * W), near (f.h * H) };
    }

    // Section lamps sit in their area's top-right corner; the main lamp at the header's right end.
    {
        const int s = near (sectionLampSize * H), r = near (sectionLampRight * H), d = near (sectionLampTop * H);
        const std::pair<SectionPowerButton*, Area> lamps[] { { &tonePowerButton, toneArea }, { &compressionPowerButton, compressionArea },
                                                             { &characterPowerButton, characterArea }, { &spacePowerButton, spaceArea } };
        for (const auto& [button, area] : lamps)
        {
            const auto b = sectionAreas[(size_t) area].bounds;
            button->setBounds (b.getRight() - s - r, b.getY() + d, s, s);
        }

        const int ms = near (mainLampSize * hh), mr = near (mainLampRight * hw);
        mainPowerButton.setBounds (near (hx + hw) - mr - ms, near (hy + 0.5f * hh - 0.5f * (float) ms), ms, ms);
    }

    // Brand block at the header's left with the logo; title, subtitle and status lines centred.
    {
        const float bw = 0.205f * hw, bh = 0.68f * hh;
        const float bx = hx + 0.014f * hw, by = hy + 0.5f * hh - 0.34f * hh;
        const float z = juce::jmin (0.22f * bw, 0.82f * bh);
        logo.setBounds (nearEven (bx + 0.035f * bw), nearEven (by + 0.5f * bh - 0.5f * z), nearEven (z), nearEven (z));

        const float logoRight = (float) logo.getRight();
        header.brand = { bx, by, bw, bh };
        header.makerName = { nearEven (logoRight + 0.008f * hw), nearEven (by),
                             nearEven (bx + bw - logoRight - 0.02f * hw), nearEven (bh) };

        const float tx = hx + 0.25f * hw, tw = 0.5f * hw, ty = hy + 0.1f * hh - 0.07f * hh, th = 0.8f * hh;
        header.title = { nearEven (tx), nearEven (ty), nearEven (tw), nearEven (th) };

        const float sy = ty + 0.5f * th + 0.21f * hh, sh = 0.22f * hh;
        header.subtitle = { nearEven (tx), nearEven (sy), nearEven (tw), nearEven (sh) };

        const float cx = tx + tw * 0.5f;
        header.statusLineY = (float) nearEven (sy + sh * 0.5f);
        header.statusLineLength = 0.062f * hw;
        header.statusLeftX = cx - 0.048f * hw - 0.062f * hw;
        header.statusRightX = cx + 0.048f * hw;
    }

    // Meters share the Levels column, one above the other.
    {
        const auto b = sectionAreas[levelsArea].bounds;
        const int u = b.getHeight() - near (0.09f * H);
        const int mw = b.getWidth() - near (0.024f * W);
        const int mx = b.getX() + near (0.012f * W);
        const int my = b.getY() + near (0.07f * H);
        const int gap = near (0.03f * H);
        const int half = (u - gap) / 2;
        const int inputHeight = juce::jmin (u, half);
        const int left = u - inputHeight;
        const int gapUsed = juce::jmin (gap, left);
        inputMeter.setBounds (mx, my, mw, inputHeight);
        outputMeter.setBounds (mx, my + inputHeight + gapUsed, mw, juce::jmin (half, left - gapUsed));
    }

    for (auto& label : nameLabels)
        label.setFont (EditorTheme::font (nameFontFraction * m));
    for (auto& label : valueLabels)
        label.setFont (EditorTheme::font (valueFontFraction * m));

    layOutDials();
    updateValueTexts();

    artworkCache = {};
    repaint();
}

void OrvelGUI::layOutDials()
{
    // Layout A: name above, dial, value label below at 80 % of the cell's width.
    auto placeA = [this] (int dial, juce::Rectangle<float> c)
    {
        const float x = c.getX(), y = c.getY(), w = c.getWidth(), h = c.getHeight();
        const float v = 0.8f * (float) near (w);
        nameLabels[(size_t) dial].setBounds (near (x), near (y), near (w), near (0.1f * h));
        dials[(size_t) dial].setBounds (near (x), near (y + 0.055f * h), near (w), near (0.66f * h));
        valueLabels[(size_t) dial].setBounds (near (x + 0.5f * w - 0.5f * v), near (y + 0.67f * h), near (v), near (0.12f * h));
    };

    // Layout B (Tone): the dial fills more of its cell, the labels overhang it.
    auto placeB = [this] (int dial, juce::Rectangle<float> c)
    {
        const float x = c.getX(), y = c.getY(), w = c.getWidth(), h = c.getHeight();
        const float v = 1.25f * w;
        nameLabels[(size_t) dial].setBounds (near (x), near (y - 0.1f * h), near (w), near (0.2f * h));
        dials[(size_t) dial].setBounds (near (x), near (y + 0.1f * h), near (w), near (0.8f * h));
        valueLabels[(size_t) dial].setBounds (near (x + 0.5f * w - 0.5f * v), near (y + 0.78f * h), near (v), near (0.3f * h));
    };

    auto placeRow = [&placeA] (juce::Rectangle<float> row, std::initializer_list<int> dialsInRow)
    {
        int i = 0;
        for (const int d : dialsInRow)
            placeA (d, cellOf (row, i++, (int) dialsInRow.size()));
    };

    placeA (inputDial, dialArea (sectionAreas[inputArea].bounds));
    placeA (outputDial, dialArea (sectionAreas[outputArea].bounds));
    placeRow (dialArea (sectionAreas[compressionArea].bounds), { thresholdDial, ratioDial, attackDial, releaseDial, makeupDial });
    placeRow (dialArea (sectionAreas[spaceArea].bounds), { widthDial, sizeDial, dampDial, reverbMixDial });

    {
        const auto a = dialArea (sectionAreas[characterArea].bounds);
        const float leftWidth = juce::jmin (a.getWidth(), 0.48f * a.getWidth());
        const float rest = a.getWidth() - leftWidth;
        const float gap = juce::jmin (rest, 0.04f * rest);
        placeRow (a.withWidth (leftWidth), { freqDial, amountDial });
        placeRow ({ a.getX() + leftWidth + gap, a.getY(), rest - gap, a.getHeight() }, { driveDial, saturationMixDial });
    }

    {
        const auto b = sectionAreas[toneArea].bounds.toFloat();
        const float left = b.getX() + 0.055f * b.getWidth();
        const float iw = b.getWidth() - 0.11f * b.getWidth();
        const float top = b.getY() + 0.165f * b.getHeight();
        const float ih = b.getHeight() - 0.165f * b.getHeight() - 0.07f * b.getHeight();

        // Row 1: the two filters, centred as a pair.
        const float cw = 0.24f * iw, ch = 0.43f * ih, gap = 0.08f * iw;
        const float firstX = left + (iw - (2.0f * cw + gap)) * 0.5f;
        placeB (hpfDial, { firstX, top, cw, ch });
        placeB (lpfDial, { firstX + cw + gap, top, cw, ch });

        // Row 2: the four bands.
        const float gap2 = 0.04f * iw;
        const float cw2 = (iw - 3.0f * gap2) * 0.25f, ch2 = 0.42f * ih, y2 = top + 0.55f * ih;
        int i = 0;
        for (const int d : { lowDial, midDial, highDial, airDial })
            placeB (d, { left + (float) i++ * (cw2 + gap2), y2, cw2, ch2 });
    }
}
