#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Corvane Audio's logo: a dark disc with an audio waveform cut through it, drawn from a
    vector image so it stays sharp at every size. */
class BrandLogoSimple : public juce::Component
{
public:
    BrandLogoSimple();

    /** Whether the vector image could be built (it always can unless the SVG is broken). */
    bool hasDrawable() const noexcept { return drawable != nullptr; }

    /** The logo's SVG text: a 100 x 100 view box with one even-odd path. */
    static const char* getSvgText() noexcept;

    void paint (juce::Graphics& g) override;

private:
    std::unique_ptr<juce::Drawable> drawable;
};
