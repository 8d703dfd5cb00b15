#include "editor/SectionPowerButton.h"
#include "editor/EditorTheme.h"

SectionPowerButton::SectionPowerButton (const juce::String& buttonName)
    : juce::Button (buttonName)
{
    setClickingTogglesState (true);
    setWantsKeyboardFocus (false);
}

bool SectionPowerButton::isLampLit() const
{
    const bool allowed = (bool) getProperties().getWithDefault (lampAllowedProperty, true);
    return allowed && ! getToggleState();
}

void SectionPowerButton::mouseDown (const juce::MouseEvent& e)
{
    if (onPress)
        onPress();

    juce::Button::mouseDown (e);
}

void SectionPowerButton::mouseUp (const juce::MouseEvent& e)
{
    juce::Button::mouseUp (e);

    if (onRelease)
        onRelease();
}

void SectionPowerButton::paintButton (juce::Graphics& g, bool highlighted, bool down)
{
    namespace C = EditorTheme::Lamp;
    const float e = juce::jmax (0.0f, (float) getWidth() - 2.0f);
    const float f = juce::jmax (0.0f, (float) getHeight() - 2.0f);
    const juce::Rectangle<float> lamp (1.0f, 1.0f, e, f);

    const bool lit = isLampLit();
    auto h = lit ? C::lit : C::unlit;

    if (highlighted)
        h = h.brighter (0.12f);
    if (down)
        h = h.darker (0.14f);

    g.setColour (C::well);
    g.fillEllipse (lamp);
    g.setColour (highlighted ? C::hover : C::hover.withAlpha ((juce::uint8) 0));
    g.fillEllipse (lamp);

    g.setColour (h.withAlpha ((juce::uint8) (lit ? 56 : 23)));
    g.fillEllipse (1.0f + 0.14f * e, 1.0f + 0.14f * e, juce::jmax (0.0f, e - 0.28f * e), juce::jmax (0.0f, f - 0.28f * e));

    // The power symbol: a ring open at the top with a bar through the gap.
    const float t = juce::jmax (0.075f * e, 1.25f);
    const float cx = 1.0f + e * 0.5f, cy = 1.0f + f * 0.5f;
    const float radius = 0.29f * juce::jmin (e, f);
    const float pi = juce::MathConstants<float>::pi;

    juce::Path ring;
    ring.addCentredArc (cx, cy, radius, radius, 0.0f, 0.23f * pi, 1.77f * pi, true);
    g.setColour (h);
    g.strokePath (ring, juce::PathStrokeType (t, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    g.drawLine (cx, cy - 1.2f * radius, cx, cy - 0.12f * radius, t);

    g.setColour (C::outline);
    g.drawEllipse (lamp, juce::jmax (0.035f * e, 1.0f));
}
