#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

/** Loudness of a signal after ITU-R BS.1770 / EBU R128, measured by libebur128. A file's
    channels are its left and right speakers; a mono file is one speaker. */
struct Loudness
{
    double integratedLufs = -HUGE_VAL;  // -inf for silence
    double rangeLu = 0.0;
    double truePeakDbtp = -HUGE_VAL;
    double rmsDbfs = -HUGE_VAL;         // of all samples of all channels

    /** Short-term loudness (3 s window) every shortTermStep seconds; -inf where silent. */
    std::vector<double> shortTerm;
    static constexpr double shortTermStep = 0.1;

    /** Measures the first numSamples of a 1- or 2-channel buffer. */
    static Loudness measure (const juce::AudioBuffer<float>& audio, int numSamples, double sampleRate);
};
