#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <atomic>

/** Measures a block's peak on channels 0 and 1 and moves the two published levels towards
    it: a rise covers 55 % of the distance per block, a fall loses 8 % per block.
    A one-channel buffer drives both levels. */
void updateLevelMeter (const juce::AudioBuffer<float>& buffer, std::atomic<float>& levelL, std::atomic<float>& levelR) noexcept;
