#include "editor/OrvelGUI.h"
#include "editor/EditorTheme.h"

namespace
{
    namespace PanelColours = EditorTheme::Panel;
    namespace SectionColours = EditorTheme::Section;

    /** A vertical gradient from the top to the bottom of a rectangle, through its centre line. */
    juce::ColourGradient vertical (juce::Colour top, juce::Colour bottom, float centreX, float y0, float y1)
    {
        return juce::ColourGradient (top, centreX, y0, bottom, centreX, y1, false);
    }

    struct GroupFrame
    {
        const char* title;
        OrvelGUI::Area area;
        float x, y, w, h;
    };

    constexpr GroupFrame groupFrames[] {
        { "EQ", OrvelGUI::toneArea, 0.025f, 0.13f, 0.95f, 0.79f },
        { "DE-ESSER", OrvelGUI::characterArea, 0.025f, 0.205f, 0.465f, 0.62f },
        { "SATURATION", OrvelGUI::characterArea, 0.5f, 0.205f, 0.47f, 0.62f },
        // The reverb frame holds Size, Damp and Mix and leaves Width outside.
        { "REVERB", OrvelGUI::spaceArea, 0.26f, 0.205f, 0.72f, 0.62f },
    };
}

void OrvelGUI::paint (juce::Graphics& g)
{
    // The artwork changes only with the size and the section states. Drawn once into an
    // image, each later paint is a copy. Only at a pixel scale of 1, where the copy is exact.
    const bool exactCopy = g.getInternalContext().getPhysicalPixelScaleFactor() == 1.0f;

    if (! paintCaching || ! exactCopy || getWidth() <= 0 || getHeight() <= 0)
        paintArtwork (g, statesShown ? shownStates : readGroupStates());
    else
        g.drawImageAt (getArtwork(), 0, 0);
}

const juce::Image& OrvelGUI::getArtwork()
{
    const auto states = statesShown ? shownStates : readGroupStates();

    if (artworkCache.isNull() || artworkCache.getWidth() != getWidth() || artworkCache.getHeight() != getHeight()
        || cachedStates != states)
    {
        // Opaque, so that copying from it is a plain copy rather than a blend.
        artworkCache = juce::Image (juce::Image::RGB, juce::jmax (1, getWidth()), juce::jmax (1, getHeight()), true);
        juce::Graphics cacheGraphics (artworkCache);
        paintArtwork (cacheGraphics, states);

        // The meters' unchanging parts go into the same image, drawn in place exactly as the
        // meters would draw them, so that a meter can copy them instead of drawing them.
        for (auto* meter : { &inputMeter, &outputMeter })
        {
            const juce::Graphics::ScopedSaveState saved (cacheGraphics);
            cacheGraphics.setOrigin (meter->getPosition());
            cacheGraphics.reduceClipRegion (meter->getLocalBounds());
            meter->paintUnderlay (cacheGraphics);
            meter->invalidateCache();
        }

        cachedStates = states;
    }

    return artworkCache;
}

void OrvelGUI::installMeterBackgrounds()
{
    for (auto* meter : { &inputMeter, &outputMeter })
    {
        if (paintCaching)
            meter->setUnderlaySource ([this, meter] { return getArtwork().getClippedImage (meter->getBounds()); });
        else
            meter->setUnderlaySource (nullptr);
    }
}

void OrvelGUI::paintArtwork (juce::Graphics& g, const GroupStates& states)
{
    const float W = (float) getWidth(), H = (float) getHeight(), m = juce::jmin (W, H);

    // Background.
    {
        auto gradient = vertical (PanelColours::backgroundTop, PanelColours::backgroundBottom, 0.0f, 0.0f, H);
        gradient.addColour (0.46, PanelColours::backgroundMid);
        g.setGradientFill (gradient);
        g.fillRect (getLocalBounds());
    }

    // The framed panel.
    {
        const float px = 0.0125f * W, py = 0.0125f * H, pw = 0.975f * W, ph = 0.975f * H, r = 0.018f * m;
        const juce::Rectangle<float> frame (px, py, pw, ph);

        g.setColour (PanelColours::frameShadow);
        g.fillRoundedRectangle (frame.translated (0.0f, 0.003f * H), r);

        auto body = vertical (PanelColours::frameTop, PanelColours::frameBottom, px + pw / 2, py, py + ph);
        body.addColour (0.28, PanelColours::frameMid);
        g.setGradientFill (body);
        g.fillRoundedRectangle (frame, r);

        g.setGradientFill (vertical (PanelColours::frameSheen, PanelColours::sheenEnd, px + pw / 2, py, py + ph / 2));
        g.fillRoundedRectangle (px + 1.5f, py + 1.5f, juce::jmax (0.0f, pw - 3.0f), juce::jmax (0.0f, ph - 3.0f), r - 1.0f);

        g.setColour (PanelColours::frameOutline);
        g.drawRoundedRectangle (frame, r, juce::jmax (0.0014f * H, 1.0f));
        g.setColour (PanelColours::frameInnerOutline);
        g.drawRoundedRectangle (px + 2.0f, py + 2.0f, juce::jmax (0.0f, pw - 4.0f), juce::jmax (0.0f, ph - 4.0f), r - 1.0f,
                                juce::jmax (0.0007f * H, 0.7f));
    }

    // Header strip.
    {
        const float hx = headerArea.getX(), hy = headerArea.getY(), hw = headerArea.getWidth(), hh = headerArea.getHeight();
        const float rh = 0.014f * H;

        g.setColour (PanelColours::headerShadow);
        g.fillRoundedRectangle (headerArea.translated (0.0f, 0.0018f * H), rh);
        g.setGradientFill (vertical (PanelColours::headerTop, PanelColours::headerBottom, hx + hw / 2, hy, hy + hh));
        g.fillRoundedRectangle (headerArea, rh);
        g.setColour (PanelColours::headerOutline);
        g.drawRoundedRectangle (headerArea, rh, juce::jmax (0.0011f * H, 1.0f));
        g.setColour (PanelColours::headerInnerOutline);
        g.drawRoundedRectangle (hx + 1.4f, hy + 1.4f, juce::jmax (0.0f, hw - 2.8f), juce::jmax (0.0f, hh - 2.8f), 0.012f * H,
                                juce::jmax (0.00065f * H, 0.6f));
    }

    // Brand block with the maker's name beside the logo.
    {
        const auto& b = header.brand;
        const float rb = 0.01f * H;

        g.setColour (PanelColours::brandShadow);
        g.fillRoundedRectangle (b.translated (0.0f, 1.0f), rb);
        g.setGradientFill (vertical (PanelColours::brandTop, PanelColours::brandBottom, b.getCentreX(), b.getY(), b.getBottom()));
        g.fillRoundedRectangle (b, rb);
        g.setColour (PanelColours::brandOutline);
        g.drawRoundedRectangle (b, rb, juce::jmax (0.001f * H, 0.8f));

        g.setColour (PanelColours::brandText);
        g.setFont (EditorTheme::font (0.0208f * H, true));
        g.drawFittedText ("CORVANE AUDIO", header.makerName, juce::Justification::centredLeft, 1, 0.0f);
    }

    // Product title and subtitle.
    g.setColour (PanelColours::title);
    g.setFont (EditorTheme::font (0.042f * H, true));
    g.drawFittedText ("Orvel", header.title, juce::Justification::centred, 1, 0.0f);

    g.setColour (PanelColours::subtitle);
    g.setFont (EditorTheme::font (0.012f * H, true));
    g.drawFittedText ("VOCAL CHANNEL STRIP", header.subtitle, juce::Justification::centred, 1, 0.0f);

    // Status lines either side of the subtitle: green while the plug-in runs.
    g.setColour (states[mainGroup] ? PanelColours::statusOn : PanelColours::statusOff);
    g.fillRect (juce::Rectangle<float> (header.statusLeftX, header.statusLineY, header.statusLineLength, 1.0f));
    g.fillRect (juce::Rectangle<float> (header.statusRightX, header.statusLineY, header.statusLineLength, 1.0f));

    // Section panels, each titled in full white only while it runs.
    constexpr std::array<Group, numAreas> areaGroup { mainGroup, toneGroup, compressionGroup, characterGroup,
                                                      spaceGroup, mainGroup, mainGroup };
    for (size_t i = 0; i < sectionAreas.size(); ++i)
        drawSectionPanel (g, sectionAreas[i], states[(size_t) areaGroup[i]]);

    for (const auto& frame : groupFrames)
    {
        const auto b = sectionAreas[(size_t) frame.area].bounds.toFloat();
        drawGroupFrame (g, frame.title,
                        { b.getX() + frame.x * b.getWidth(), b.getY() + frame.y * b.getHeight(), frame.w * b.getWidth(), frame.h * b.getHeight() },
                        getDrawingMetrics().groupTitleFontHeight, 0.014f * H, juce::jmax (0.0019f * H, 1.0f));
    }
}

void OrvelGUI::drawSectionPanel (juce::Graphics& g, const SectionArea& area, bool active) const
{
    const float W = (float) getWidth(), H = (float) getHeight();
    const float r = 0.02f * juce::jmin (W, H);
    const auto b = area.bounds.toFloat();
    const float x = b.getX(), y = b.getY(), w = b.getWidth(), h = b.getHeight();

    g.setColour (SectionColours::shadow);
    g.fillRoundedRectangle (b.translated (0.0f, juce::jmax (0.0025f * H, 1.0f)), r);
    g.setColour (SectionColours::body);
    g.fillRoundedRectangle (b, r);
    g.setGradientFill (vertical (SectionColours::shadeTop, SectionColours::shadeBottom, x + w / 2, y, y + h));
    g.fillRoundedRectangle (b, r);

    const float ix = x + 0.006f * w, iy = y + 0.006f * h;
    const float iw = juce::jmax (0.0f, w - 0.012f * w), ih = juce::jmax (0.0f, h - 0.012f * h);
    g.setGradientFill (vertical (SectionColours::sheen, SectionColours::sheenEnd, ix + iw / 2, iy, iy + ih / 2));
    g.fillRoundedRectangle (ix, iy, iw, ih, 0.84f * r);

    g.setColour (SectionColours::outline);
    g.drawRoundedRectangle (b, r, juce::jmax (0.00135f * H, 1.0f));
    g.setColour (SectionColours::innerOutline);
    g.drawRoundedRectangle (x + 1.5f, y + 1.5f, juce::jmax (0.0f, w - 3.0f), juce::jmax (0.0f, h - 3.0f), r - 1.0f,
                            juce::jmax (0.00065f * H, 0.6f));

    const int inset = (int) std::round (0.013f * W);
    const auto bounds = area.bounds;
    const juce::Rectangle<int> title (bounds.getX() + inset, bounds.getY(), juce::jmax (0, bounds.getWidth() - 2 * inset),
                                      juce::jmax (0, juce::jmin (bounds.getHeight(), (int) std::round (0.048f * H))));

    g.setColour (active ? SectionColours::titleActive : SectionColours::titleInactive);
    g.setFont (EditorTheme::font ((float) std::round (0.0225f * H), true));
    g.drawText (area.name, title, juce::Justification::centredLeft, true);

    if (title.getWidth() > 0)
    {
        g.setColour (active ? SectionColours::underlineActive : SectionColours::underlineInactive);
        g.fillRect (title.getX(), juce::roundToInt ((float) title.getBottom() + 0.002f * H), title.getWidth(), 1);
    }
}

void OrvelGUI::drawGroupFrame (juce::Graphics& g, const juce::String& title, juce::Rectangle<float> area,
                               float f, float c, float t) const
{
    const juce::Rectangle<float> a (area.getX() + 2.0f, area.getY() + 2.0f,
                                    juce::jmax (0.0f, area.getWidth() - 4.0f), juce::jmax (0.0f, area.getHeight() - 4.0f));
    const float x = a.getX(), y = a.getY(), right = a.getRight(), bottom = a.getBottom();

    const auto font = EditorTheme::font (f, true);
    const float gw = 2.0f * 0.72f * f + font.getStringWidthFloat (title);
    const float gx = x + a.getWidth() / 2 - gw / 2;

    // The outline, open along the top where the title sits.
    juce::Path outline;
    outline.startNewSubPath (gx + gw, y);
    outline.lineTo (right - c, y);
    outline.quadraticTo (right, y, right, y + c);
    outline.lineTo (right, bottom - c);
    outline.quadraticTo (right, bottom, right - c, bottom);
    outline.lineTo (x + c, bottom);
    outline.quadraticTo (x, bottom, x, bottom - c);
    outline.lineTo (x, y + c);
    outline.quadraticTo (x, y, x + c, y);
    outline.lineTo (gx, y);

    g.setColour (SectionColours::groupFrame);
    g.strokePath (outline, juce::PathStrokeType (t, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));

    g.setColour (SectionColours::groupTitle);
    g.setFont (font);
    g.drawText (title, juce::Rectangle<float> (gx, y - 0.78f * f, gw, 1.22f * f), juce::Justification::centred, false);
}
