#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <cmath>
#include <vector>

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
    /** The values derived from one width. */
    struct Shape { float k = 1.0f, e = 0.0f, h = 1.0f, synthWeight = 0.0f; };

    static Shape shapeFor (float widthPercent) noexcept;

    /** The output for a width above 100 %. */
    static void wide (float& l, float& r, float mid, float side, float midE, float sideE,
                      float dA, float dB, const Shape& s) noexcept
    {
        const float ratio = std::sqrt (juce::jmax (sideE, 0.0f) / juce::jmax (midE, 1.0e-14f)) / 0.35f;
        const float mono = 1.0f - juce::jlimit (0.0f, 1.0f, ratio);
        const float side2 = s.synthWeight * mono * (dA - dB) + s.h * side;
        const float g = std::sqrt ((sideE + midE + 1.0e-9f) / (sideE * s.h * s.h + midE + 1.0e-9f))
                      * (1.0f - 0.04f * s.e * mono);
        l = (mid + side2) * g;
        r = (mid - side2) * g;
    }

    void applyMoving (float& l, float& r, float mid, float side, float midE, float sideE,
                      float dA, float dB, float widthPercent) noexcept;
    void applySteady (float* left, float* right, const float* mid, const float* side, const float* midE,
                      const float* sideE, const float* dA, const float* dB, int n, float widthPercent) noexcept;

    std::vector<float> delay;
    int delaySize = 0, writePos = 0, tapA = 1, tapB = 1;
    juce::SmoothedValue<float> smoothedWidth;
    float midEnergy = 0.0f, sideEnergy = 0.0f, energyCoeff = 0.0f;
    Shape shape;
    float lastShapeWidth = -1.0f;   // the width shape was computed for
    double sampleRate = 44100.0;
};
