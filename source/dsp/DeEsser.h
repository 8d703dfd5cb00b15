#pragma once

#include "dsp/FilterPair.h"

/** Broadband de-esser: a high-passed side-chain drives one envelope shared by both
    channels, and the whole signal of channels 0 and 1 is turned down by the same factor. */
class DeEsser
{
public:
    /** Envelope level below which nothing is reduced (about -30.5 dBFS). */
    static constexpr float threshold = 0.03f;
    /** Smallest gain the de-esser applies (about -9.1 dB). */
    static constexpr float gainFloor = 0.35f;

    /** Allocates and clears the side-chain filters, clears the envelope and sets the
        1.5 ms attack and 80 ms release coefficients for the rate. */
    void prepare (double sampleRate);

    /** Forgets the applied side-chain frequency. */
    void invalidate() noexcept { lastFrequency = -1.0f; }

    /** Recomputes the side-chain high-pass when the frequency moved by more than 0.001 Hz. */
    void updateFrequency (float frequency) noexcept;

    /** De-esses channels 0 and 1 in place; an amount of 0.01 % or less leaves everything as it is. */
    void process (juce::AudioBuffer<float>& buffer, float amountPercent) noexcept;

    /** Clears the side-chain filters and the envelope. */
    void reset() noexcept;

    /** The gain applied for an envelope level and an amount in percent. */
    static float gainFor (float envelope, float amountPercent) noexcept;

    /** Current detector level. */
    float getEnvelope() const noexcept { return envelope; }

private:
    static float gainForFraction (float env, float a) noexcept
    {
        return juce::jlimit (gainFloor, 1.0f, 1.0f / (juce::jmax (env - threshold, 0.0f) * a * 35.0f + 1.0f));
    }

    FilterPair sideChain;
    float envelope = 0.0f, attackCoeff = 0.0f, releaseCoeff = 0.0f, lastFrequency = -1.0f;
    double sampleRate = 44100.0;
};

/** Tanh saturation blended with the dry signal, on every channel of the buffer.
    A drive or mix of 0.01 or less leaves the buffer as it is. The tanh is PreciseMath::tanh,
    the correctly rounded float value. */
void applySaturation (juce::AudioBuffer<float>& buffer, float driveDecibels, float mixPercent) noexcept;
