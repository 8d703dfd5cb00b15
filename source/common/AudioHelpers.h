#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** Small pieces of arithmetic shared by the processing code. */
namespace AudioHelpers
{
    /** A mix at or below this counts as fully dry. */
    inline constexpr float mixDryThreshold = 1.0e-6f;

    /** A mix at or above this counts as fully processed. */
    inline constexpr float mixWetThreshold = 1.0f - 1.0e-6f;

    /** Parameter values closer than this to the last applied value do not trigger a recomputation. */
    inline constexpr float changeTolerance = 0.001f;

    /** A bool parameter is on (its stage switched off) from 0.5 upward. */
    inline bool isOn (float rawValue) noexcept { return rawValue >= 0.5f; }

    /** Decibels to a linear factor, 0 at -100 dB or below. */
    inline float dbToGain (float decibels) noexcept { return juce::Decibels::decibelsToGain (decibels); }

    /** True when a parameter has moved far enough from its last applied value to recompute. */
    inline bool hasChanged (float value, float lastApplied) noexcept
    {
        return std::abs (value - lastApplied) > changeTolerance;
    }
}
