#include "menubar/IconButton.h"
#include "menubar/MenuBarFonts.h"
#include "menubar/MenuBarTheme.h"

namespace
{
    // Text pill proportions.
    constexpr float pillCorner = 5.0f;
    constexpr float pillMinFontHeight = 11.0f, pillFontHeightFraction = 0.5f;
    constexpr float pillContentInset = 0.1f, pillContentWidth = 0.8f;
    constexpr float pillIconFraction = 0.22f, pillIconHeightFraction = 0.5f;
    constexpr float pillMinGap = 6.0f, pillGapFraction = 0.04f;
    constexpr float pillTextRightMargin = 6.0f;

    // Icon button proportions.
    constexpr float iconOuterInset = 0.03f, iconPlateInset = 0.08f;
    constexpr float iconDrawableFraction = 0.62f;
    constexpr float squarePlateCorner = 0.24f, squarePlateOutline = 0.032f, squarePlateOutlineInset = 0.7f;
    constexpr float circlePlateOutline = 0.03f;

    // Built-in gear.
    constexpr float gearSizeFraction = 0.64f, gearRadiusFraction = 0.42f, gearHubFraction = 0.46f;
    constexpr float gearRingThickness = 1.6f, gearSpokeThickness = 1.5f;
    constexpr float gearSpokeInner = 0.76f, gearSpokeOuter = 1.12f;
    constexpr int gearSpokes = 8;

    // Undo and redo plates and arrows.
    constexpr float arrowPlateFraction = 0.86f, arrowPlateCorner = 0.18f, arrowPlateOutline = 0.025f;
    constexpr float glossX = 0.13f, glossY = 0.045f, glossWidth = 0.74f, glossHeight = 0.018f;
    constexpr float arrowBoxFraction = 0.57f, arrowThickness = 0.095f, arrowShadowOffset = 0.025f;

    /** The undo arrow in units of its box (u to the right, v down); redo is its mirror image. */
    juce::Path makeArrowPath (juce::Rectangle<float> box, bool mirrored)
    {
        const auto pt = [box, mirrored] (float u, float v)
        {
            return juce::Point<float> (box.getX() + (mirrored ? 1.0f - u : u) * box.getWidth(),
                                       box.getY() + v * box.getHeight());
        };

        juce::Path path;
        path.startNewSubPath (pt (0.86f, 0.76f));
        path.cubicTo (pt (0.88f, 0.54f), pt (0.77f, 0.34f), pt (0.55f, 0.30f));
        path.cubicTo (pt (0.48f, 0.29f), pt (0.42f, 0.30f), pt (0.37f, 0.34f));

        path.startNewSubPath (pt (0.36f, 0.15f));
        path.lineTo (pt (0.15f, 0.35f));
        path.lineTo (pt (0.36f, 0.55f));
        return path;
    }
}

IconButton::IconButton (const juce::String& name) : juce::Button (name) {}

void IconButton::setLabelText (const juce::String& newText)
{
    if (newText != labelText)
    {
        labelText = newText;
        repaint();
    }
}

void IconButton::setIcon (std::unique_ptr<juce::Drawable> newIcon)
{
    icon = std::move (newIcon);
    repaint();
}

void IconButton::setIconType (int type)
{
    iconType = type;
    repaint();
}

void IconButton::setCustomIconSize (float width, float height)
{
    hasCustomIconSize = true;
    customIconWidth = width;
    customIconHeight = height;
    repaint();
}

void IconButton::setCircularHoverPlate (bool circular)
{
    circularHoverPlate = circular;
    repaint();
}

void IconButton::setShowHoverPlate (bool show)
{
    showHoverPlate = show;
    repaint();
}

float IconButton::getAlphaFactor() const
{
    return isEnabled() ? 1.0f : disabledAlpha;
}

void IconButton::paintButton (juce::Graphics& g, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const float alpha = getAlphaFactor();

    if (labelText.isNotEmpty())
        paintTextPill (g, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown, alpha);
    else
        paintIcon (g, shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown, alpha);
}

void IconButton::paintTextPill (juce::Graphics& g, bool highlighted, bool down, float alpha)
{
    using namespace MenuBarTheme;
    const auto w = (float) getWidth(), h = (float) getHeight();
    const juce::Rectangle<float> pill (0.5f, 0.5f, juce::jmax (0.0f, w - 1.0f), juce::jmax (0.0f, h - 1.0f));

    g.setColour (faded (down ? Pill::down : (highlighted ? Pill::highlighted : Pill::normal), alpha));
    g.fillRoundedRectangle (pill, pillCorner);
    g.setColour (faded (Pill::outline, alpha));
    g.drawRoundedRectangle (pill, pillCorner, 1.0f);

    const auto font = MenuBarFonts::make (juce::jmax (pillMinFontHeight, (h - 1.0f) * pillFontHeightFraction), true);
    const float contentX = 0.5f + pillContentInset * (w - 1.0f);
    const float contentWidth = pillContentWidth * (w - 1.0f);
    const float contentCentre = contentX + contentWidth * 0.5f;
    const float textWidth = MenuBarFonts::textWidth (font, labelText);
    float textX = contentCentre - textWidth * 0.5f;

    if (icon != nullptr)
    {
        float iconW = juce::jmin (pillIconFraction * contentWidth, pillIconHeightFraction * (h - 1.0f));
        float iconH = iconW;

        if (hasCustomIconSize)
        {
            iconW = juce::jmin (customIconWidth, contentWidth);
            iconH = juce::jmin (customIconHeight, h - 1.0f);
        }

        const float gap = juce::jmax (pillMinGap, pillGapFraction * (w - 1.0f));
        const float iconX = contentCentre - (gap + iconW + textWidth) * 0.5f;
        icon->drawWithin (g, { iconX, (h - iconH) * 0.5f, iconW, iconH }, juce::RectanglePlacement::centred, 1.0f);
        textX = iconX + iconW + gap;
    }

    const int textLeft = (int) std::round (textX);
    g.setColour (faded (Pill::text, alpha));
    g.setFont (font);
    g.drawFittedText (labelText, textLeft, 0, getWidth() - textLeft - (int) pillTextRightMargin, getHeight(),
                      juce::Justification::centredLeft, 1);
}

void IconButton::paintIcon (juce::Graphics& g, bool highlighted, bool down, float alpha)
{
    using namespace MenuBarTheme;
    const auto w = (float) getWidth(), h = (float) getHeight();
    const juce::Rectangle<float> outer (iconOuterInset * w, iconOuterInset * h, (1.0f - 2.0f * iconOuterInset) * w, (1.0f - 2.0f * iconOuterInset) * h);
    const auto inner = outer.reduced (iconPlateInset * outer.getWidth(), iconPlateInset * outer.getHeight());

    if ((highlighted || down) && isEnabled() && showHoverPlate)
    {
        const auto plate = faded (down ? Icon::plateDown : Icon::plateHover, alpha);
        const auto plateOutline = faded (down ? Icon::plateOutlineDown : Icon::plateOutlineHover, alpha);

        if (circularHoverPlate)
        {
            g.setColour (plate);
            g.fillEllipse (inner);
            g.setColour (plateOutline);
            g.drawEllipse (inner, juce::jmax (circlePlateOutline * h, 1.0f));
        }
        else
        {
            const float corner = squarePlateCorner * outer.getWidth();
            g.setColour (plate);
            g.fillRoundedRectangle (outer, corner);
            g.setColour (plateOutline);
            g.drawRoundedRectangle (outer.reduced (squarePlateOutlineInset), corner,
                                    juce::jmax (squarePlateOutline * outer.getWidth(), 1.0f));
        }
    }

    if (icon != nullptr)
    {
        float iconW = juce::jmin (outer.getWidth(), outer.getHeight()) * iconDrawableFraction;
        float iconH = iconW;

        if (hasCustomIconSize)
        {
            iconW = juce::jmin (outer.getWidth(), customIconWidth);
            iconH = juce::jmin (outer.getHeight(), customIconHeight);
        }

        // The drawable carries its own colours and stays at full opacity even when disabled.
        icon->drawWithin (g, outer.withSizeKeepingCentre (iconW, iconH), juce::RectanglePlacement::centred, 1.0f);
        return;
    }

    if (iconType == gearIcon)
        paintGear (g, outer, alpha);
    else if (iconType == undoIcon || iconType == redoIcon)
        paintArrow (g, outer, highlighted, down, iconType == redoIcon, alpha);
}

void IconButton::paintGear (juce::Graphics& g, juce::Rectangle<float> area, float alpha) const
{
    float sizeW = gearSizeFraction * juce::jmin (area.getWidth(), area.getHeight());
    float sizeH = sizeW;

    if (hasCustomIconSize)
    {
        sizeW = juce::jmin (customIconWidth, area.getWidth());
        sizeH = juce::jmin (customIconHeight, area.getHeight());
    }

    const auto c = area.getCentre();
    const float r = gearRadiusFraction * juce::jmin (sizeW, sizeH);

    g.setColour (MenuBarTheme::faded (MenuBarTheme::Icon::glyph, alpha));
    g.drawEllipse (juce::Rectangle<float> (2.0f * r, 2.0f * r).withCentre (c), gearRingThickness);

    const float hub = gearHubFraction * r;
    g.fillEllipse (juce::Rectangle<float> (2.0f * hub, 2.0f * hub).withCentre (c));

    for (int i = 0; i < gearSpokes; ++i)
    {
        const float angle = (float) i * juce::MathConstants<float>::twoPi / (float) gearSpokes;
        const juce::Point<float> direction (std::cos (angle), std::sin (angle));
        g.drawLine ({ c + direction * (gearSpokeInner * r), c + direction * (gearSpokeOuter * r) }, gearSpokeThickness);
    }
}

void IconButton::paintArrow (juce::Graphics& g, juce::Rectangle<float> area, bool highlighted, bool down, bool mirrored, float alpha) const
{
    using namespace MenuBarTheme;
    const float side = arrowPlateFraction * juce::jmin (area.getWidth(), area.getHeight());
    const auto plate = juce::Rectangle<float> (side, side).withCentre (area.getCentre());
    const float corner = arrowPlateCorner * side;
    const float outline = arrowPlateOutline * side;
    const auto plateWhite = faded (down ? Icon::plateDown : Icon::plateHover, alpha);

    if (highlighted)
    {
        g.setColour (plateWhite);
        g.fillRoundedRectangle (plate, corner);
    }

    g.setColour (plateWhite);
    g.drawRoundedRectangle (plate, corner, outline);
    g.setColour (faded (highlighted ? Icon::arrowPlateInnerOutlineHover : Icon::arrowPlateInnerOutline, alpha));
    g.drawRoundedRectangle (plate.reduced (outline * 0.5f), corner, outline);

    const juce::Rectangle<float> gloss (plate.getX() + glossX * side, plate.getY() + glossY * side, glossWidth * side, glossHeight * side);
    g.setColour (faded (Icon::arrowPlateGloss, alpha));
    g.fillRoundedRectangle (gloss, gloss.getHeight() * 0.5f);

    float boxSide = arrowBoxFraction * side;

    if (hasCustomIconSize)
        boxSide = juce::jmin (juce::jmin (customIconWidth, side), juce::jmin (customIconHeight, side));

    const auto box = juce::Rectangle<float> (boxSide, boxSide).withCentre (plate.getCentre());
    const auto arrow = makeArrowPath (box, mirrored);
    const juce::PathStrokeType stroke (arrowThickness * boxSide, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    g.setColour (faded (Icon::arrowShadow, alpha));
    g.strokePath (arrow, stroke, juce::AffineTransform::translation (0.0f, arrowShadowOffset * boxSide));
    g.setColour (faded (Icon::glyph, alpha));
    g.strokePath (arrow, stroke);
}
