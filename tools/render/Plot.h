#pragma once

#include "Loudness.h"

#include <juce_graphics/juce_graphics.h>

/** A picture of one render: waveform envelopes, average spectra and short-term loudness of
    the input and the output, one above the other. */
namespace Plot
{
    struct Signal
    {
        const juce::AudioBuffer<float>& audio;
        const Loudness& loudness;
    };

    juce::Image draw (const Signal& input, const Signal& output, double sampleRate, const juce::String& title);

    /** Writes the picture as PNG through a temporary file and a rename. */
    bool writePng (const juce::Image& image, const juce::File& target, juce::String& error);

    /** Average magnitude spectrum in dB (Hann-windowed frames, power averaged over frames and
        channels), one value per bin from 0 Hz to half the sample rate. */
    std::vector<double> averageSpectrumDb (const juce::AudioBuffer<float>& audio, int fftOrder);
}
