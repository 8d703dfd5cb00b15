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

void MeterComponent::setUnderlaySource (UnderlaySource source)
{
    underlaySource = std::move (source);
    underlay = {};

    // The copied underlay covers every pixel, so nothing beneath needs painting.
    setOpaque (underlaySource != nullptr);
}

void MeterComponent::resized()
{
    underlay = {};

    // The scale numbers never change for a size: lay their glyphs out once, exactly as
    // Graphics::drawText would on every paint.
    const float h = (float) getHeight();
    const auto font = EditorTheme::font (juce::jmax (0.036f * h, 8.0f));

    for (int b = 0; b < 2; ++b)
    {
        const auto bar = makeBar (b);
        for (size_t i = 0; i < std::size (ticks); ++i)
        {
            const auto area = juce::Rectangle<int> ((int) std::round (bar.wx),
                                                    (int) std::round (bar.yFor (ticks[i].decibels, maximumDecibels) - 0.012f * h),
                                                    (int) std::round (bar.ww), (int) std::round (0.028f * h)).toFloat();
            auto& glyphs = scaleNumbers[(size_t) b][i];
            glyphs.clear();
            glyphs.addCurtailedLineOfText (font, juce::String ((int) ticks[i].decibels), 0.0f, 0.0f, area.getWidth(), false);
            glyphs.justifyGlyphs (0, glyphs.getNumGlyphs(), area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                                  juce::Justification::centred);
        }
    }
}

float MeterComponent::Bar::yFor (float decibels, float maxDb) const
{
    return bottom + (top - bottom) * scalePosition (decibels, maxDb);
}

MeterComponent::Bar MeterComponent::makeBar (int index) const
{
    const float w = (float) getWidth(), h = (float) getHeight();
    const float bw = 0.29f * w;
    const float tw = 2.0f * bw + 0.12f * w;
    const float x1 = w * 0.5f - tw * 0.5f;
    const float x = index == 0 ? x1 : x1 + bw + 0.12f * w;

    Bar bar;
    bar.bounds = { x, 0.085f * h, bw, 0.84f * h };
    const float inset = 0.08f * bw;
    bar.wx = x + inset;
    bar.wy = bar.bounds.getY() + inset;
    bar.ww = juce::jmax (0.0f, bw - 2.0f * inset);
    bar.wh = juce::jmax (0.0f, bar.bounds.getHeight() - 2.0f * inset);
    bar.top = bar.wy;
    bar.bottom = bar.wy + bar.wh;
    return bar;
}

void MeterComponent::paint (juce::Graphics& g)
{
    lastLeft = readLeftLevel();
    lastRight = readRightLevel();

    // The unchanging parts come from the parent's image when it offers one. The copy is
    // exact at a pixel scale of 1; at other scales the image only stands in for what lies
    // beneath, and the parts themselves are drawn sharp over it.
    if (underlaySource != nullptr)
    {
        if (underlay.isNull())
            underlay = underlaySource();

        g.drawImageAt (underlay, 0, 0);

        if (g.getInternalContext().getPhysicalPixelScaleFactor() != 1.0f)
            paintUnderlay (g);
    }
    else
    {
        paintUnderlay (g);
    }

    // The left bar's glow stops well short of the right bar's case, so drawing both cases
    // before either level gives the same pixels as drawing bar after bar.
    drawLevel (g, makeBar (0), lastLeft);
    drawLevel (g, makeBar (1), lastRight);
}

void MeterComponent::paintUnderlay (juce::Graphics& g) const
{
    namespace C = EditorTheme::Meter;
    const float w = (float) getWidth(), h = (float) getHeight();
    const float tw = 2.0f * 0.29f * w + 0.12f * w;

    g.setColour (active ? C::titleActive : C::titleInactive);
    g.setFont (EditorTheme::font (0.05f * h, true));
    g.drawText (title, juce::roundToInt (w * 0.5f - tw * 0.5f), 0, juce::roundToInt (tw), juce::roundToInt (0.085f * h),
                juce::Justification::centredTop, true);

    drawCase (g, makeBar (0));
    drawCase (g, makeBar (1));
}

void MeterComponent::drawCase (juce::Graphics& g, const Bar& bar) const
{
    namespace C = EditorTheme::Meter;
    const float x = bar.bounds.getX(), y = bar.bounds.getY(), bw = bar.bounds.getWidth(), bh = bar.bounds.getHeight();

    g.setGradientFill (juce::ColourGradient (C::caseTop, x, y, C::caseBottom, x, y + bh, false));
    g.fillRoundedRectangle (bar.bounds, 0.24f * bw);
    g.setColour (C::caseInner);
    g.fillRoundedRectangle (x + 0.04f * bw, y + 0.04f * bw, juce::jmax (0.0f, bw - 0.08f * bw),
                            juce::jmax (0.0f, bh - 0.08f * bw), 0.2f * bw);
    g.setColour (C::caseOutline);
    g.drawRoundedRectangle (bar.bounds, 0.24f * bw, 1.1f);

    g.setGradientFill (juce::ColourGradient (C::wellTop, bar.wx + bar.ww * 0.5f, bar.top,
                                             C::wellBottom, bar.wx + bar.ww * 0.5f, bar.bottom, false));
    g.fillRoundedRectangle (bar.wx, bar.wy, bar.ww, bar.wh, 0.18f * bar.ww);

    const float tickWidth = bar.ww - 2.0f;
    if (tickWidth > 0.0f)
    {
        for (const auto& tick : ticks)
        {
            g.setColour (active ? (tick.major ? C::majorTick : C::minorTick)
                                : (tick.major ? C::majorTickInactive : C::minorTickInactive));
            g.fillRect (bar.wx + 1.0f, std::round (bar.yFor (tick.decibels, maximumDecibels)), tickWidth, 1.0f);
        }
    }
}

float MeterComponent::fillTop (const Bar& bar, float level) const
{
    // Any audible level shows at least two pixels of fill.
    const float top = juce::jlimit (bar.top, bar.bottom, bar.yFor (decibelsForLevel (level, maximumDecibels), maximumDecibels));
    return level > silenceLevel && bar.bottom - top < 2.0f ? bar.bottom - 2.0f : top;
}

juce::RectangleList<int> MeterComponent::getMovedLevelAreas() const
{
    const float now[] { readLeftLevel(), readRightLevel() };
    const float drawn[] { lastLeft, lastRight };
    juce::RectangleList<int> areas;

    for (int b = 0; b < 2; ++b)
    {
        const auto same = [] (float x, float y) { return x == y || (! (x > silenceLevel) && ! (y > silenceLevel)); };
        if (same (now[b], drawn[b]))
            continue;

        const auto bar = makeBar (b);
        const float lineHeight = juce::jmax (0.01f * bar.wh, 2.0f);
        const float fillA = fillTop (bar, now[b]), fillB = fillTop (bar, drawn[b]);
        const float top = juce::jmin (fillA, fillB) - lineHeight - 2.0f;
        const float glowLeft = bar.wx - 0.34f * bar.ww - 2.0f, glowWidth = 1.68f * bar.ww + 4.0f;

        // A change of colour recolours the glows along the whole fill.
        const auto colour = [this] (float level) { return levelColour (decibelsForLevel (level, maximumDecibels)); };
        if (colour (now[b]) != colour (drawn[b]))
        {
            areas.add (juce::Rectangle<float> (glowLeft, top, glowWidth, bar.bottom + 2.0f - top).getSmallestIntegerContainer());
            continue;
        }

        // Otherwise the glows and the fill change only around their tops (the moving rounded
        // corners and the level line), while the highlight, whose gradient spans the fill,
        // changes all the way down its narrow strip.
        const float cornerDepth = 0.24f * bar.ww + lineHeight + 2.0f;
        const float bandBottom = juce::jmin (bar.bottom + 2.0f, juce::jmax (fillA, fillB) + cornerDepth);
        areas.add (juce::Rectangle<float> (glowLeft, top, glowWidth, bandBottom - top).getSmallestIntegerContainer());

        const float highlightLeft = bar.wx + 0.24f * bar.ww - 2.0f, highlightWidth = 0.52f * bar.ww + 4.0f;
        areas.add (juce::Rectangle<float> (highlightLeft, top, highlightWidth, bar.bottom + 2.0f - top).getSmallestIntegerContainer());
    }

    return areas;
}

void MeterComponent::repaintMovedLevels()
{
    for (const auto& area : getMovedLevelAreas())
        repaint (area);
}

void MeterComponent::drawLevel (juce::Graphics& g, const Bar& bar, float level) const
{
    namespace C = EditorTheme::Meter;
    const float wx = bar.wx, ww = bar.ww, wh = bar.wh, top = bar.top, bottom = bar.bottom;
    const float d = decibelsForLevel (level, maximumDecibels);
    const float levelTop = fillTop (bar, level);
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
    const auto& numbers = scaleNumbers[bar.bounds.getX() < (float) getWidth() * 0.5f ? 0 : 1];
    for (size_t i = 0; i < std::size (ticks); ++i)
    {
        const auto colour = ticks[i].major ? C::majorNumber : C::minorNumber;
        g.setColour (active ? colour : colour.withAlpha ((juce::uint8) 87));

        if (g.clipRegionIntersects (numbers[i].getBoundingBox (0, -1, true).getSmallestIntegerContainer().expanded (1)))
            numbers[i].draw (g);
    }
}
