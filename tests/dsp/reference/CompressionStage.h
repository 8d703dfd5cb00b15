#pragma once

#include <juce_dsp/juce_dsp.h>
#include <array>

/* A frozen copy of the section as it was before the optimised code replaced it, kept
   for the equivalence test only: it must not change. */
namespace Reference
{
/** The Compression section: one hard-knee peak compressor per channel, unlinked.
    The makeup gain belongs to the section but is applied by the processor after the
    whole chain; makeupTarget() gives its law. */
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
    std::array<juce::dsp::Compressor<float>, 2> compressors;
    std::array<float, 4> lastApplied {};
};
} // namespace Reference
