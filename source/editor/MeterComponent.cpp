#include "editor/MeterComponent.h"
#include "editor/EditorTheme.h"

namespace
{
    /** Levels up to this are silence. */
    constexpr float silenceLevel = 0.000001f;

    constexpr float scaleBottomDb = -60.0f;

    struct Tick { float decibels; bool major; };
    constexpr Tick ticks[] { { -48.0f, false }, { -36.0f, false }, { -24.0f, true }, { -18.0f, false }, { -12.0f, true },
                             { -6.0f, false }, { -3.0f, false }, { 0.0f, true }, { 3.0f, false }, { 6.0f, true }, { 12.0f, true } };
}

MeterComponent::MeterComponent (LevelGetter leftLevel, LevelGetter rightLevel, const juce::String& titleText, float maxDb)
    : getLeftLevel (std::move (leftLevel)), getRightLevel (std::move (rightLevel)), title (titleText), maximumDecibels (maxDb)
{
}

float MeterComponent::decibelsForLevel (float level, float maxDb) noexcept
{
    if (! (level > silenceLevel))
        return scaleBottomDb;

    const float db = juce::jmax (-100.0f, 20.0f * std::log10 (level));
    return juce::jmin (juce::jmax (db, scaleBottomDb), maxDb);
}

float MeterComponent::scalePosition (float decibels, float maxDb) noexcept
{
    if (decibels < scaleBottomDb)
        return 0.0f;

    const float d = juce::jmin (decibels, maxDb);

    // Straight pieces through (-60, 0), (-24, 0.42), (-12, 0.62), (0, 0.84) and (top, 1).
    if (d < -24.0f)
        return (d - scaleBottomDb) * (0.42f / 36.0f);
    if (d < -12.0f)
        return 0.42f + (d + 24.0f) * ((0.62f - 0.42f) / 12.0f);
    if (d < 0.0f)
        return 0.62f + (d + 12.0f) * ((0.84f - 0.62f) / 12.0f);

    return 0.84f + d * ((1.0f - 0.84f) / maxDb);
}

juce::Colour MeterComponent::levelColour (float d) noexcept
{
    namespace C = EditorTheme::Meter;
    if (d > 3.0f)  return C::levelOver;
    if (d > -3.0f) return C::levelHigh;
    if (d > -9.0f) return C::levelMid;
    return C::levelLow;
}

void MeterComponent::paint (juce::Graphics& g)
{
    namespace C = EditorTheme::Meter;
    const float w = (float) getWidth(), h = (float) getHeight();

    const float bw = 0.29f * w;
    const float tw = 2.0f * bw + 0.12f * w;
    const float x1 = w * 0.5f - tw * 0.5f;
    const float x2 = x1 + bw + 0.12f * w;

    g.setColour (active ? C::titleActive : C::titleInactive);
    g.setFont (EditorTheme::font (0.05f * h, true));
    g.drawText (title, juce::roundToInt (x1), 0, juce::roundToInt (tw), juce::roundToInt (0.085f * h),
                juce::Justification::centredTop, true);

    lastLeft = readLeftLevel();
    lastRight = readRightLevel();
    drawBar (g, { x1, 0.085f * h, bw, 0.84f * h }, lastLeft);
    drawBar (g, { x2, 0.085f * h, bw, 0.84f * h }, lastRight);
}

void MeterComponent::drawBar (juce::Graphics& g, juce::Rectangle<float> bar, float level) const
{
    namespace C = EditorTheme::Meter;
    const float x = bar.getX(), y = bar.getY(), bw = bar.getWidth(), bh = bar.getHeight();
    const float d = decibelsForLevel (level, maximumDecibels);

    const float inset = 0.08f * bw;
    const float wx = x + inset, wy = y + inset;
    const float ww = juce::jmax (0.0f, bw - 2.0f * inset), wh = juce::jmax (0.0f, bh - 2.0f * inset);
    const float top = wy, bottom = wy + wh;
    auto yFor = [&] (float db) { return bottom + (top - bottom) * scalePosition (db, maximumDecibels); };

    // Case.
    g.setGradientFill (juce::ColourGradient (C::caseTop, x, y, C::caseBottom, x, y + bh, false));
    g.fillRoundedRectangle (bar, 0.24f * bw);
    g.setColour (C::caseInner);
    g.fillRoundedRectangle (x + 0.04f * bw, y + 0.04f * bw, juce::jmax (0.0f, bw - 0.08f * bw),
                            juce::jmax (0.0f, bh - 0.08f * bw), 0.2f * bw);
    g.setColour (C::caseOutline);
    g.drawRoundedRectangle (bar, 0.24f * bw, 1.1f);

    // Well.
    g.setGradientFill (juce::ColourGradient (C::wellTop, wx + ww * 0.5f, top, C::wellBottom, wx + ww * 0.5f, bottom, false));
    g.fillRoundedRectangle (wx, wy, ww, wh, 0.18f * ww);

    const float tickWidth = ww - 2.0f;
    if (tickWidth > 0.0f)
    {
        for (const auto& tick : ticks)
        {
            g.setColour (active ? (tick.major ? C::majorTick : C::minorTick)
                                : (tick.major ? C::majorTickInactive : C::minorTickInactive));
            g.fillRect (wx + 1.0f, std::round (yFor (tick.decibels)), tickWidth, 1.0f);
        }
    }

    // Level.
    float levelTop = juce::jlimit (top, bottom, yFor (d));
    if (level > silenceLevel && bottom - levelTop < 2.0f)
        levelTop = bottom - 2.0f;
    const float fh = bottom - levelTop;

    if (active && fh > 0.0f)
    {
        const auto k = levelColour (d);

        g.setColour (k.withAlpha ((juce::uint8) 20));
        g.fillRoundedRectangle (wx - 0.34f * ww, levelTop, juce::jmax (0.0f, ww + 0.68f * ww), fh, 0.24f * ww);
        g.setColour (k.withAlpha ((juce::uint8) 26));
        g.fillRoundedRectangle (wx - 0.18f * ww, levelTop, juce::jmax (0.0f, ww + 0.36f * ww), fh, 0.19f * ww);

        // The gradient is fixed to the well, so a low level shows only green.
        juce::ColourGradient fill (C::fill0, wx + ww * 0.5f, bottom, C::fill100, wx + ww * 0.5f, top, false);
        fill.addColour (0.48, C::fill48);
        fill.addColour (0.77, C::fill77);
        fill.addColour (0.91, C::fill91);
        g.setGradientFill (fill);
        g.fillRoundedRectangle (wx, levelTop, ww, fh, 0.16f * ww);

        const float hx = wx + 0.24f * ww, hw = juce::jmax (0.0f, ww - 0.48f * ww);
        g.setGradientFill (juce::ColourGradient (k.brighter (0.28f).withAlpha ((juce::uint8) 82), hx + hw * 0.5f, levelTop,
                                                 k.brighter (0.1f).withAlpha ((juce::uint8) 20), hx + hw * 0.5f, levelTop + fh, false));
        g.fillRoundedRectangle (hx, levelTop, hw, fh, 0.16f * hw);

        const float lh = juce::jmax (0.01f * wh, 2.0f);
        float ly = levelTop - lh * 0.5f;
        ly = ly < top ? top : juce::jmin (ly, bottom - lh);
        g.setColour (k.brighter (0.3f).withAlpha ((juce::uint8) 242));
        g.fillRoundedRectangle (wx, ly, ww, lh, 0.5f * lh);
    }

    // Gloss down the left of the well.
    const float gx = wx + 0.1f * ww, gy = top + 0.03f * wh;
    g.setGradientFill (juce::ColourGradient (C::glossStart, gx, gy, C::glossEnd, gx + 0.22f * ww, gy, false));
    g.fillRoundedRectangle (gx, gy, 0.22f * ww, 0.92f * wh, 0.055f * ww);

    // Scale numbers, inside the well, over the fill.
    const float h = (float) getHeight();
    g.setFont (EditorTheme::font (juce::jmax (0.036f * h, 8.0f)));
    for (const auto& tick : ticks)
    {
        auto colour = tick.major ? C::majorNumber : C::minorNumber;
        g.setColour (active ? colour : colour.withAlpha ((juce::uint8) 87));
        g.drawText (juce::String ((int) tick.decibels),
                    (int) std::round (wx), (int) std::round (yFor (tick.decibels) - 0.012f * h),
                    (int) std::round (ww), (int) std::round (0.028f * h), juce::Justification::centred, false);
    }
}
