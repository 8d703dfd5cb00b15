#pragma once

#include "dsp/BlockReverb.h"
#include <array>

/** The reverb of the Space section, driven by a mix law that keeps the combined power of
    the direct and reverberated signals constant. The reverb is juce::Reverb's algorithm
    run by BlockReverb, which gives the same samples at a fraction of the cost. */
class SpaceReverb
{
public:
    /** Gives the reverb the sample rate and clears it. */
    void prepare (double sampleRate);

    /** Forgets the applied settings. */
    void invalidate() noexcept { lastApplied.fill (-1.0f); }

    /** When size, damping or mix (all in %) moved by more than 0.001, sets all reverb parameters. */
    void update (float sizePercent, float dampingPercent, float mixPercent) noexcept;

    /** Reverberates a one- or two-channel buffer in place; other channel counts pass unchanged. */
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    /** Clears every reverb memory. */
    void reset() noexcept { reverb.reset(); }

    /** The reverb parameters for size, damping and mix in percent. */
    static juce::Reverb::Parameters makeParameters (float sizePercent, float dampingPercent, float mixPercent) noexcept;

    /** The parameters last handed to the reverb. */
    const juce::Reverb::Parameters& getParameters() const noexcept { return params; }

private:
    BlockReverb reverb;
    juce::Reverb::Parameters params;
    std::array<float, 3> lastApplied { -1.0f, -1.0f, -1.0f };
};
