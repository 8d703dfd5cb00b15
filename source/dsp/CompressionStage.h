#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <array>

/** The Compression section: one hard-knee peak compressor per channel, unlinked.
    The makeup gain belongs to the section but is applied by the processor after the
    whole chain; makeupTarget() gives its law.

    The arithmetic is that of juce::dsp::Compressor<float> (a peak ballistics filter and
    a power-law gain above the threshold), but it runs over blocks inline instead of
    through two out-of-line calls and a bounds-checked vector per sample, the two channels'
    envelopes advance in one loop so that their recursions overlap, and the gains of a run
    are computed together with PreciseMath::pow, which is vectorised. The envelopes are
    the same values as before; each gain is within a relative 1.6e-7 of the exact power,
    where std::pow was within 6e-8. */
class CompressionStage
{
public:
    /** The four values the compressors are set from. */
    struct Settings
    {
        float threshold; ///< dB
        float ratio;     ///< n : 1
        float attack;    ///< ms
        float release;   ///< ms
    };

    /** Prepares both compressors for one channel each at the given rate and clears them. */
    void prepare (double sampleRate, int maximumBlockSize);

    /** Forgets the applied settings, so that the next update sets them again. */
    void invalidate() noexcept;

    /** When any of the four values moved by more than 0.001, sets all four on both compressors. */
    void update (const Settings& settings) noexcept;

    /** Compresses channels 0 and 1 of the buffer in place. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    /** Releases both envelopes. */
    void reset() noexcept;

    /** The makeup factor: 1 while the section is switched off, else the makeup in dB as a gain. */
    static float makeupTarget (bool sectionBypassed, float makeupDecibels) noexcept;

private:
    void computeCoefficients() noexcept;
    void applyGains (float* data, const float* envelopes, int n) const noexcept;

    // The settings and their defaults as juce::dsp::Compressor keeps them.
    float thresholdDecibels = 0.0f, ratio = 1.0f, attackMs = 1.0f, releaseMs = 100.0f;
    double sampleRate = 44100.0;

    float threshold = 1.0f, thresholdInverse = 1.0f, ratioInverse = 1.0f;
    float attackCoeff = 0.0f, releaseCoeff = 0.0f;
    std::array<float, 2> envelope {};
    std::array<float, 4> lastApplied {};
};
