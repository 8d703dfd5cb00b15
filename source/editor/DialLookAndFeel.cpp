#include "editor/DialLookAndFeel.h"
#include "editor/EditorTheme.h"

DialDrawingMetrics DialDrawingMetrics::forPanelSize (float m) noexcept
{
    DialDrawingMetrics d;
    d.dialLabelFontHeight = m * 0.021f;
    d.groupTitleFontHeight = m * 0.0175f;
    d.dialTrackThickness = m * 0.0045f;
    d.dialGlowThickness = m * 0.0135f;
    d.dialUnderlayThickness = m * 0.008f;
    d.majorTickThickness = m * 0.0016f;
    d.minorTickThickness = m * 0.0013f;
    d.majorTickLength = m * 0.0075f;
    d.minorTickLength = m * 0.0045f;
    return d;
}

void DialLookAndFeel::configureDial (juce::Slider& dial)
{
    dial.setLookAndFeel (this);
    dial.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    dial.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    dial.setNumDecimalPlacesToDisplay (1);
}

bool DialLookAndFeel::isLit (const juce::Component& c)
{
    return (bool) c.getProperties().getWithDefault (litProperty, true);
}

void DialLookAndFeel::drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                                        float startAngle, float endAngle, juce::Slider& slider)
{
    namespace C = EditorTheme::Dial;
    const bool lit = isLit (slider);

    const float s = (float) juce::jmin (width, height);
    const float left = (float) x + (float) width * 0.5f - s * 0.5f;
    const float top = (float) y + (float) height * 0.5f - s * 0.5f;
    const float cx = left + s * 0.5f, cy = top + s * 0.5f;
    const float angle = startAngle + sliderPos * (endAngle - startAngle);

    // Outer disc with its ring.
    const juce::Rectangle<float> disc (left + 0.1f * s, top + 0.1f * s, 0.8f * s, 0.8f * s);
    g.setColour (C::disc);
    g.fillEllipse (disc);
    g.setColour (C::discOutline);
    g.drawEllipse (disc, juce::jmax (0.01f * s, 1.0f));

    // Knob, lit from the top left.
    const float d = 0.56f * s;
    const juce::Rectangle<float> knob (left + 0.22f * s, top + 0.22f * s, d, d);
    g.setGradientFill (juce::ColourGradient (C::knobTop, knob.getTopLeft(), C::knobBottom, knob.getBottomRight(), false));
    g.fillEllipse (knob);

    const juce::Rectangle<float> highlight (knob.getX() + 0.16f * d, knob.getY() + 0.16f * d, 0.68f * d, 0.68f * d);
    g.setGradientFill (juce::ColourGradient (lit ? C::highlightLit : C::highlightUnlit,
                                             highlight.getCentreX(), highlight.getY(),
                                             C::highlightEnd, highlight.getCentreX(), highlight.getBottom(), false));
    g.fillEllipse (highlight);

    // Track.
    const float ra = 0.35f * s;
    auto strokeArc = [&] (float toAngle, juce::Colour colour, float thickness)
    {
        juce::Path arc;
        arc.addCentredArc (cx, cy, ra, ra, 0.0f, startAngle, toAngle, true);
        g.setColour (colour);
        g.strokePath (arc, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    };
    strokeArc (endAngle, C::track, metrics.dialTrackThickness);

    // Scale: eleven ticks, 0, 5 and 10 major.
    const float ri = ra + 0.06f * s;
    for (int i = 0; i <= 10; ++i)
    {
        const bool major = (i % 5) == 0;
        const float phi = startAngle + (endAngle - startAngle) * (float) i / 10.0f - juce::MathConstants<float>::halfPi;
        const float length = major ? metrics.majorTickLength : metrics.minorTickLength;
        const float dx = std::cos (phi), dy = std::sin (phi);

        g.setColour (lit ? (major ? C::majorTickLit : C::minorTickLit) : (major ? C::majorTickUnlit : C::minorTickUnlit));
        g.drawLine (cx + dx * ri, cy + dy * ri, cx + dx * (ri + length), cy + dy * (ri + length),
                    major ? metrics.majorTickThickness : metrics.minorTickThickness);
    }

    // Value arc, in five passes from the wide glow to the bright core.
    if (lit)
    {
        strokeArc (angle, C::arcGlow, metrics.dialGlowThickness * 1.42f);
        strokeArc (angle, C::arcUnderlay, metrics.dialUnderlayThickness * 1.14f);
        strokeArc (angle, C::arcBody, metrics.dialTrackThickness * 1.48f);
        strokeArc (angle, C::arcHighlight, metrics.dialTrackThickness * 0.88f);
        strokeArc (angle, C::arcCore, metrics.dialTrackThickness * 0.34f);
    }

    // Pointer, standing on the centre.
    const float pw = juce::jmax (0.026f * s, 2.0f);
    juce::Path pointer;
    pointer.addRoundedRectangle (-pw * 0.5f, -0.27f * s, pw, 0.27f * s, 0.45f * pw);
    pointer.applyTransform (juce::AffineTransform::rotation (angle).translated (cx, cy));
    g.setColour (lit ? C::pointerLit : C::pointerUnlit);
    g.fillPath (pointer);

    const float cap = juce::jmax (0.07f * s, 8.0f);
    g.setColour (C::centreCap);
    g.fillEllipse (cx - cap * 0.5f, cy - cap * 0.5f, cap, cap);

    g.setColour (lit ? C::rimLit : C::rimUnlit);
    g.drawEllipse (knob.getX() + 1.5f, knob.getY() + 1.5f, juce::jmax (0.0f, d - 3.0f), juce::jmax (0.0f, d - 3.0f), 1.0f);
}

juce::Font DialLookAndFeel::getLabelFont (juce::Label&)
{
    return EditorTheme::font (metrics.dialLabelFontHeight);
}
