#pragma once

#include "dsp/reference/FilterPair.h"

/* A frozen copy of the section as it was before the optimised code replaced it, kept
   for the equivalence test only: it must not change. */
namespace Reference
{
/** The Tone section: high-pass, low-pass, low shelf, mid peak, high shelf and air shelf,
    in series on the first two channels. Only the two cut-offs and four gains are set by
    the user; band frequencies and Q values are fixed. */
class ToneEqualiser
{
public:
    /** The six values the section is designed from. */
    struct Settings
    {
        float hpfFreq, lpfFreq;                     ///< Hz
        float lowGain, midGain, highGain, airGain;  ///< dB
    };

    /** The six stages, in processing order. */
    enum Stage { highPass, lowPass, lowShelf, midPeak, highShelf, airShelf, numStages };

    /** Fixed band frequencies and Q values. */
    static constexpr float lowShelfFreq = 120.0f, midPeakFreq = 2500.0f, highShelfFreq = 6500.0f, airShelfFreq = 12000.0f;
    static constexpr float shelfQ = 0.707f, peakQ = 0.9f;

    /** Allocates and clears the filter state and forgets the applied settings. */
    void prepare (double sampleRate);

    /** Forgets the applied settings, so that the next update recomputes every stage. */
    void invalidate() noexcept;

    /** Recomputes the coefficients of each stage whose value moved by more than 0.001. */
    void update (const Settings& settings) noexcept;

    /** Runs the six stages on channels 0 and 1 of the buffer, in place. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    /** Clears every stage's memory. */
    void reset() noexcept;

    /** The coefficient array a stage's maker gives for a value at a sample rate. */
    static FilterPair::Array design (Stage stage, float value, double sampleRate) noexcept;

    /** Access for inspection. */
    const FilterPair& getStage (Stage stage) const noexcept { return stages[(size_t) stage]; }

private:
    static constexpr float sentinelFor (int stage) noexcept { return stage <= lowPass ? -1.0f : -1000.0f; }

    std::array<FilterPair, numStages> stages;
    std::array<float, numStages> lastApplied {};
    double sampleRate = 44100.0;
};
} // namespace Reference
