#include "dsp/BlockReverb.h"

namespace
{
    // juce::Reverb's tunings (in samples at 44.1 kHz), spread and level scaling.
    constexpr short combTunings[] = { 1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617 };
    constexpr short allPassTunings[] = { 556, 441, 341, 225 };
    constexpr int stereoSpread = 23;
    constexpr double rampSeconds = 0.01;

    /** juce::Reverb keeps its delay-line memories out of the denormal range by adding and
        removing 0.1; the rounding this causes is part of its sound, so it is kept too. */
    inline float undenormalise (float x) noexcept
    {
        x += 0.1f;
        x -= 0.1f;
        return x;
    }

    /** A settled ramp gives its target without moving; a moving one is stepped per sample. */
    void fill (juce::SmoothedValue<float>& ramp, float* dest, int n) noexcept
    {
        if (! ramp.isSmoothing())
            std::fill (dest, dest + n, ramp.getTargetValue());
        else
            for (int i = 0; i < n; ++i)
                dest[i] = ramp.getNextValue();
    }
}

void BlockReverb::DelayLine::setSize (int newSize)
{
    // A rate too low for the shortest line would leave it empty; one sample keeps it valid.
    newSize = juce::jmax (1, newSize);

    if (newSize != size)
    {
        index = 0;
        buffer.assign ((size_t) newSize, 0.0f);
        size = newSize;
    }

    clear();
}

BlockReverb::BlockReverb()
{
    setParameters (juce::Reverb::Parameters());
    setSampleRate (44100.0);
}

void BlockReverb::setParameters (const juce::Reverb::Parameters& newParams) noexcept
{
    const float wet = newParams.wetLevel * 3.0f;
    const bool frozen = newParams.freezeMode >= 0.5f;

    dryGain.setTargetValue (newParams.dryLevel * 2.0f);
    wetGain1.setTargetValue (0.5f * wet * (1.0f + newParams.width));
    wetGain2.setTargetValue (0.5f * wet * (1.0f - newParams.width));
    gain = frozen ? 0.0f : 0.015f;
    parameters = newParams;

    damping.setTargetValue (frozen ? 0.0f : parameters.damping * 0.4f);
    feedback.setTargetValue (frozen ? 1.0f : parameters.roomSize * 0.28f + 0.7f);
}

void BlockReverb::setSampleRate (double sampleRate)
{
    const int intSampleRate = (int) sampleRate;

    for (size_t i = 0; i < numCombs; ++i)
    {
        combs[i].setSize ((intSampleRate * combTunings[i]) / 44100);
        combs[numCombs + i].setSize ((intSampleRate * (combTunings[i] + stereoSpread)) / 44100);
    }

    for (size_t i = 0; i < numAllPasses; ++i)
    {
        allPasses[0][i].setSize ((intSampleRate * allPassTunings[i]) / 44100);
        allPasses[1][i].setSize ((intSampleRate * (allPassTunings[i] + stereoSpread)) / 44100);
    }

    combLast.fill (0.0f);

    for (auto* ramp : { &damping, &feedback, &dryGain, &wetGain1, &wetGain2 })
        ramp->reset (sampleRate, rampSeconds);
}

void BlockReverb::reset() noexcept
{
    for (auto& c : combs)
        c.clear();

    for (auto& channel : allPasses)
        for (auto& a : channel)
            a.clear();

    combLast.fill (0.0f);
}

template <size_t channels>
void BlockReverb::runAllCombs (const float* input, float* const* out, const Ramps& r, int n) noexcept
{
    for (int pos = 0; pos < n;)
    {
        int run = juce::jmin (maxRun, n - pos);

        for (size_t lane = 0; lane < channels * numCombs; ++lane)
            run = juce::jmin (run, combs[lane].samplesBeforeWrap());

        float* const shifted[] = { out[0] + pos, out[channels - 1] + pos };
        runCombs<channels> (input + pos, shifted, r.damp + pos, r.feedback + pos, run);
        pos += run;
    }
}

void BlockReverb::fillRamps (Ramps& r, int n, bool stereo) noexcept
{
    fill (damping, r.damp, n);
    fill (feedback, r.feedback, n);
    fill (dryGain, r.dry, n);
    fill (wetGain1, r.wet1, n);

    // juce::Reverb::processMono does not step the second wet ramp.
    if (stereo)
        fill (wetGain2, r.wet2, n);
}

template <size_t channels>
void BlockReverb::runCombs (const float* input, float* const* out, const float* dampRamp, const float* feedbackRamp, int n) noexcept
{
    constexpr size_t lanes = channels * numCombs;

    // The combs' outputs of the run are gathered sample-major, so that each sample's
    // sixteen comb steps sit side by side and run as vector operations. A run never
    // crosses a wrap, so each comb's stretch is contiguous in its line and every position
    // in it is read once, then written once: the writes can wait until the run ends.
    // Gathering and writing back go sample by sample, across the combs, which measured
    // faster than comb by comb.
    float outputs[maxRun][lanes], inputs[maxRun][lanes];
    float last[lanes];
    float* heads[lanes];

    for (size_t lane = 0; lane < lanes; ++lane)
    {
        heads[lane] = combs[lane].head();
        last[lane] = combLast[lane];
    }

    for (int i = 0; i < n; ++i)
        for (size_t lane = 0; lane < lanes; ++lane)
            outputs[i][lane] = heads[lane][i];

    for (int i = 0; i < n; ++i)
    {
        const float in = input[i], damp = dampRamp[i], fb = feedbackRamp[i];
        const float keep = 1.0f - damp;

        // Kept as a loop (not unrolled into sixteen scalar steps) so that it is vectorised.
        #pragma GCC unroll 1
        for (size_t lane = 0; lane < lanes; ++lane)
        {
            const float l = undenormalise ((outputs[i][lane] * keep) + (last[lane] * damp));
            last[lane] = l;
            inputs[i][lane] = undenormalise (in + (l * fb));
        }

        // Summed from zero, comb 0 first, as juce::Reverb accumulates them.
        for (size_t c = 0; c < (size_t) channels; ++c)
        {
            float sum = 0.0f;

            for (size_t j = 0; j < numCombs; ++j)
                sum += outputs[i][c * numCombs + j];

            out[c][i] = sum;
        }
    }

    for (int i = 0; i < n; ++i)
        for (size_t lane = 0; lane < lanes; ++lane)
            heads[lane][i] = inputs[i][lane];

    for (size_t lane = 0; lane < lanes; ++lane)
    {
        combLast[lane] = last[lane];
        combs[lane].advance (n);
    }
}

void BlockReverb::runAllPasses (int channel, float* samples, int n) noexcept
{
    // Each position of a line is read once and then written once within a stretch that
    // does not wrap, so the samples are independent and the loop runs element-wise.
    for (auto& a : allPasses[(size_t) channel])
    {
        for (int pos = 0; pos < n;)
        {
            const int stretch = juce::jmin (n - pos, a.samplesBeforeWrap());
            float* __restrict line = a.head();
            float* __restrict x = samples + pos;

            for (int i = 0; i < stretch; ++i)
            {
                const float buffered = line[i];
                line[i] = undenormalise (x[i] + (buffered * 0.5f));
                x[i] = buffered - x[i];
            }

            a.advance (stretch);
            pos += stretch;
        }
    }
}

void BlockReverb::processStereo (float* left, float* right, int numSamples) noexcept
{
    for (int pos = 0; pos < numSamples; pos += chunkSize)
    {
        const int n = juce::jmin (chunkSize, numSamples - pos);
        float* __restrict l = left + pos;
        float* __restrict r = right + pos;

        Ramps ramps;
        fillRamps (ramps, n, true);

        float input[chunkSize], outL[chunkSize], outR[chunkSize];
        float* const out[] = { outL, outR };

        for (int i = 0; i < n; ++i)
            input[i] = (l[i] + r[i]) * gain;

        runAllCombs<2> (input, out, ramps, n);
        runAllPasses (0, outL, n);
        runAllPasses (1, outR, n);

        for (int i = 0; i < n; ++i)
        {
            l[i] = outL[i] * ramps.wet1[i] + outR[i] * ramps.wet2[i] + l[i] * ramps.dry[i];
            r[i] = outR[i] * ramps.wet1[i] + outL[i] * ramps.wet2[i] + r[i] * ramps.dry[i];
        }
    }
}

void BlockReverb::processMono (float* samples, int numSamples) noexcept
{
    for (int pos = 0; pos < numSamples; pos += chunkSize)
    {
        const int n = juce::jmin (chunkSize, numSamples - pos);
        float* __restrict s = samples + pos;

        Ramps ramps;
        fillRamps (ramps, n, false);

        float input[chunkSize], output[chunkSize];
        float* const out[] = { output };

        for (int i = 0; i < n; ++i)
            input[i] = s[i] * gain;

        runAllCombs<1> (input, out, ramps, n);
        runAllPasses (0, output, n);

        for (int i = 0; i < n; ++i)
            s[i] = output[i] * ramps.wet1[i] + s[i] * ramps.dry[i];
    }
}
