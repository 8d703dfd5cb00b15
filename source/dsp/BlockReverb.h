#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <array>
#include <vector>

/** juce::Reverb's arithmetic, sample for sample, rearranged to run over blocks.

    juce::Reverb (eight parallel combs and four series all-passes per channel) steps each
    of its 24 delay lines one sample at a time, wrapping every index with an integer
    division, and runs the combs one after another. This class performs exactly the same
    floating-point operations on the same values in the same order per delay line, so
    its output is bit for bit that of juce::Reverb, but:
    - the combs go in runs of samples in which none of them wraps, so indices are plain
      offsets; per sample all sixteen combs of both channels step side by side, which the
      compiler turns into vector operations, and their outputs are summed in juce::Reverb's
      order;
    - each all-pass then takes a whole chunk of the summed outputs, split only where it
      wraps; within a stretch it reads and writes every position once, so it is a plain
      element-wise loop, also vectorised;
    - the five parameter ramps are read once per chunk while they are settled.

    Parameters, sizes, ramps and the level scaling are juce::Reverb's. */
class BlockReverb
{
public:
    BlockReverb();

    /** Same meaning and effect as juce::Reverb::setParameters. */
    void setParameters (const juce::Reverb::Parameters& newParams) noexcept;

    /** Sizes the delay lines for the rate (allocates; not for the audio thread) and clears
        them, as juce::Reverb::setSampleRate does. */
    void setSampleRate (double sampleRate);

    /** Clears every delay line. */
    void reset() noexcept;

    /** Reverberates two channels in place (juce::Reverb::processStereo). */
    void processStereo (float* left, float* right, int numSamples) noexcept;

    /** Reverberates one channel in place with the left-hand tank (juce::Reverb::processMono). */
    void processMono (float* samples, int numSamples) noexcept;

private:
    static constexpr size_t numCombs = 8, numAllPasses = 4, numChannels = 2;
    static constexpr size_t numCombLanes = numCombs * numChannels;

    /** Samples per chunk: ramps, input, all-passes and output mix go chunk by chunk. */
    static constexpr int chunkSize = 256;

    /** Longest comb run: within a chunk the combs go in runs that no comb wraps in. */
    static constexpr int maxRun = 64;

    struct DelayLine
    {
        std::vector<float> buffer;
        int size = 0, index = 0;

        void setSize (int newSize);
        void clear() noexcept { std::fill (buffer.begin(), buffer.end(), 0.0f); }
        int samplesBeforeWrap() const noexcept { return size - index; }
        float* head() noexcept { return buffer.data() + index; }
        void advance (int n) noexcept { index += n; if (index == size) index = 0; }
    };

    /** Per-sample values of the five ramps over one chunk; a settled ramp fills a constant. */
    struct Ramps
    {
        float damp[chunkSize], feedback[chunkSize], dry[chunkSize], wet1[chunkSize], wet2[chunkSize];
    };

    void fillRamps (Ramps& r, int n, bool stereo) noexcept;
    template <size_t channels>
    void runAllCombs (const float* input, float* const* out, const Ramps& r, int n) noexcept;
    template <size_t channels>
    void runCombs (const float* input, float* const* out, const float* damp, const float* feedback, int n) noexcept;
    void runAllPasses (int channel, float* samples, int n) noexcept;

    juce::Reverb::Parameters parameters;
    float gain = 0.015f;

    // Lane c * numCombs + j is comb j of channel c.
    std::array<DelayLine, numCombLanes> combs;
    std::array<float, numCombLanes> combLast {};
    std::array<std::array<DelayLine, numAllPasses>, numChannels> allPasses;

    juce::SmoothedValue<float> damping, feedback, dryGain, wetGain1, wetGain2;
};
