#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <vector>

/* A frozen copy of the section as it was before the optimised code replaced it, kept
   for the equivalence test only: it must not change. */
namespace Reference
{
/** Mid/side width from mono (0 %) through unchanged (100 %) to wide (200 %). Above
    100 % a nearly mono signal gets a synthetic side from two delayed copies of its mid,
    and the loudness that widening adds is compensated. */
class StereoWidth
{
public:
    /** Sizes and clears the 16 ms delay line, sets the 25 ms width ramp and the 60 ms
        energy smoothing for the rate, and jumps to the given width. */
    void prepare (double sampleRate, float widthPercent);

    /** Clears the delay line and energies and jumps to the given width (limited to 0..200). */
    void reset (float widthPercent) noexcept;

    /** Widens channels 0 and 1 of the buffer in place, ramping towards the given width.
        Buffers with fewer than two channels pass unchanged. */
    void process (juce::AudioBuffer<float>& buffer, float widthPercent) noexcept;

    /** Delay line length in samples. */
    int getDelaySize() const noexcept { return delaySize; }
    /** The two delay taps in samples. */
    int getTapA() const noexcept { return tapA; }
    int getTapB() const noexcept { return tapB; }
    /** The smoothed width in percent. */
    float getCurrentWidth() const noexcept { return smoothedWidth.getCurrentValue(); }

private:
    std::vector<float> delay;
    int delaySize = 0, writePos = 0, tapA = 1, tapB = 1;
    juce::SmoothedValue<float> smoothedWidth;
    float midEnergy = 0.0f, sideEnergy = 0.0f, energyCoeff = 0.0f;
    double sampleRate = 44100.0;
};
} // namespace Reference
