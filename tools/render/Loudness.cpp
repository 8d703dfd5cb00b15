#include "Loudness.h"

#include <ebur128.h>

#include <cmath>
#include <memory>

namespace
{
    struct StateDeleter { void operator() (ebur128_state* s) const { ebur128_destroy (&s); } };

    double toDb (double linear) { return linear > 0.0 ? 20.0 * std::log10 (linear) : -HUGE_VAL; }
}

Loudness Loudness::measure (const juce::AudioBuffer<float>& audio, int numSamples, double sampleRate)
{
    Loudness result;
    const int channels = audio.getNumChannels();

    std::unique_ptr<ebur128_state, StateDeleter> state (
        ebur128_init ((unsigned int) channels, (unsigned long) std::lround (sampleRate),
                      EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_S | EBUR128_MODE_TRUE_PEAK));

    if (state == nullptr)
        return result;

    ebur128_set_channel (state.get(), 0, EBUR128_LEFT);

    if (channels > 1)
        ebur128_set_channel (state.get(), 1, EBUR128_RIGHT);

    // Fed in steps of the short-term series, which is read after each step.
    const int step = juce::jmax (1, (int) std::lround (sampleRate * shortTermStep));
    std::vector<float> interleaved ((size_t) (step * channels));
    double sumOfSquares = 0.0;

    for (int start = 0; start < numSamples; start += step)
    {
        const int n = juce::jmin (step, numSamples - start);

        for (int ch = 0; ch < channels; ++ch)
        {
            const float* src = audio.getReadPointer (ch, start);

            for (int i = 0; i < n; ++i)
            {
                interleaved[(size_t) (i * channels + ch)] = src[i];
                sumOfSquares += (double) src[i] * (double) src[i];
            }
        }

        ebur128_add_frames_float (state.get(), interleaved.data(), (size_t) n);

        double shortTerm = -HUGE_VAL;
        ebur128_loudness_shortterm (state.get(), &shortTerm);
        result.shortTerm.push_back (shortTerm);
    }

    ebur128_loudness_global (state.get(), &result.integratedLufs);
    ebur128_loudness_range (state.get(), &result.rangeLu);

    double peak = 0.0;

    for (int ch = 0; ch < channels; ++ch)
    {
        double channelPeak = 0.0;
        ebur128_true_peak (state.get(), (unsigned int) ch, &channelPeak);
        peak = juce::jmax (peak, channelPeak);
    }

    result.truePeakDbtp = toDb (peak);

    if (numSamples > 0)
        result.rmsDbfs = toDb (std::sqrt (sumOfSquares / ((double) numSamples * channels)));

    return result;
}
