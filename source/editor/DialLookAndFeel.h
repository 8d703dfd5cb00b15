#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Stroke widths, tick sizes and font heights that the dial drawing and the panel's group
    frames scale with. Each panel keeps its own set, derived from its size, so two panels
    at different sizes never draw with each other's strokes. */
struct DialDrawingMetrics
{
    float dialLabelFontHeight = 13.0f;   ///< Label font of the dial look.
    float groupTitleFontHeight = 12.0f;  ///< Titles of the panel's group frames.
    float dialTrackThickness = 3.4f;     ///< Dial track and value arc strokes.
    float dialGlowThickness = 10.0f;     ///< Outer glow of the value arc.
    float dialUnderlayThickness = 6.0f;  ///< Dark underlay of the value arc.
    float majorTickThickness = 1.2f;     ///< Scale ticks 0, 5 and 10.
    float minorTickThickness = 1.0f;     ///< The other scale ticks.
    float majorTickLength = 6.0f;        ///< Length of ticks 0, 5 and 10.
    float minorTickLength = 3.5f;        ///< Length of the other ticks.

    /** The metrics for a panel whose smaller side is m pixels. */
    static DialDrawingMetrics forPanelSize (float m) noexcept;
};

/** The look of the panel's rotary dials: a dark disc with a thin ring, a shaded knob, an
    eleven-tick scale, a green value arc with a layered glow and a bright pointer. A dial
    whose "orvelLit" property is false is drawn unlit: no arc, a grey pointer, dim ticks. */
class DialLookAndFeel : public juce::LookAndFeel_V4
{
public:
    /** The slider property that tells whether a dial is lit; absent means lit. */
    static constexpr const char* litProperty = "orvelLit";

    /** Replaces the drawing metrics (the panel does this whenever it is laid out). */
    void setMetrics (const DialDrawingMetrics& newMetrics) noexcept { metrics = newMetrics; }

    /** The current drawing metrics. */
    const DialDrawingMetrics& getMetrics() const noexcept { return metrics; }

    /** Gives a slider the dial's style: this look, rotary drag in both directions, no text
        box and one decimal place. */
    void configureDial (juce::Slider& dial);

    /** Whether a component counts as lit. */
    static bool isLit (const juce::Component& c);

    void drawRotarySlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos,
                           float rotaryStartAngle, float rotaryEndAngle, juce::Slider& slider) override;

    juce::Font getLabelFont (juce::Label& label) override;

private:
    DialDrawingMetrics metrics;
};
