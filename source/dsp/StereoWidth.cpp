#include "dsp/StereoWidth.h"

#include <cmath>

void StereoWidth::prepare (double newSampleRate, float widthPercent)
{
    sampleRate = newSampleRate;
    delaySize = juce::jmax (2, (int) std::round (sampleRate * 0.016));
    delay.assign ((size_t) delaySize, 0.0f);
    writePos = 0;

    tapA = juce::jlimit (1, delaySize - 1, (int) std::round (sampleRate * 0.007));
    tapB = juce::jlimit (1, delaySize - 1, (int) std::round (sampleRate * 0.013));

    smoothedWidth.reset (sampleRate, 0.025);
    smoothedWidth.setCurrentAndTargetValue (widthPercent);

    energyCoeff = (float) std::exp (-1.0 / (sampleRate * 0.06));
    midEnergy = sideEnergy = 0.0f;
}

void StereoWidth::reset (float widthPercent) noexcept
{
    std::fill (delay.begin(), delay.end(), 0.0f);
    writePos = 0;
    midEnergy = sideEnergy = 0.0f;
    smoothedWidth.setCurrentAndTargetValue (juce::jlimit (0.0f, 200.0f, widthPercent));
}

namespace
{
    /** Samples handled per run; bounds the stack arrays. */
    constexpr int maxRun = 64;

    /** Copies n samples of a circular line starting at position start (which may be
        negative, meaning that many samples before the end). */
    void readLine (const float* line, int size, int start, float* dest, int n) noexcept
    {
        if (start < 0)
            start += size;

        const int first = juce::jmin (n, size - start);
        std::copy (line + start, line + start + first, dest);
        std::copy (line, line + (n - first), dest + first);
    }

    /** Writes n samples into a circular line starting at position start. */
    void writeLine (float* line, int size, int start, const float* src, int n) noexcept
    {
        const int first = juce::jmin (n, size - start);
        std::copy (src, src + first, line + start);
        std::copy (src + first, src + n, line);
    }
}

void StereoWidth::process (juce::AudioBuffer<float>& buffer, float widthPercent) noexcept
{
    const int numSamples = buffer.getNumSamples();

    if (buffer.getNumChannels() < 2 || numSamples == 0 || delaySize < 2 || delay.empty())
        return;

    smoothedWidth.setTargetValue (juce::jlimit (0.0f, 200.0f, widthPercent));

    // The same arithmetic as a sample-by-sample loop, in passes over runs: the energies are
    // the only recursion; the delay taps are copied, since a run is never longer than the
    // shorter tap and so reads only samples written before it; and while the width is
    // steady, its derived values are computed once per run and the output pass is
    // element-wise.
    const int longestRun = juce::jmin (maxRun, tapA, tapB);
    const float c = energyCoeff;

    for (int pos = 0; pos < numSamples;)
    {
        const int n = juce::jmin (longestRun, numSamples - pos);
        float* __restrict left = buffer.getWritePointer (0) + pos;
        float* __restrict right = buffer.getWritePointer (1) + pos;
        float mid[maxRun], side[maxRun], midE[maxRun], sideE[maxRun], dA[maxRun], dB[maxRun];

        for (int i = 0; i < n; ++i)
        {
            mid[i] = (left[i] + right[i]) * 0.5f;
            side[i] = (left[i] - right[i]) * 0.5f;
        }

        for (int i = 0; i < n; ++i)
        {
            midEnergy = mid[i] * mid[i] * (1.0f - c) + midEnergy * c;
            sideEnergy = side[i] * side[i] * (1.0f - c) + sideEnergy * c;
            midE[i] = midEnergy;
            sideE[i] = sideEnergy;
        }

        readLine (delay.data(), delaySize, writePos - tapA, dA, n);
        readLine (delay.data(), delaySize, writePos - tapB, dB, n);
        writeLine (delay.data(), delaySize, writePos, mid, n);
        writePos = (writePos + n) % delaySize;

        if (! smoothedWidth.isSmoothing())
            applySteady (left, right, mid, side, midE, sideE, dA, dB, n, smoothedWidth.getTargetValue());
        else
            for (int i = 0; i < n; ++i)
                applyMoving (left[i], right[i], mid[i], side[i], midE[i], sideE[i], dA[i], dB[i], smoothedWidth.getNextValue());

        pos += n;
    }
}

StereoWidth::Shape StereoWidth::shapeFor (float w) noexcept
{
    Shape s;
    s.k = juce::jlimit (0.0f, 1.0f, w / 100.0f);
    s.e = juce::jlimit (0.0f, 1.0f, (w - 100.0f) / 100.0f);
    s.h = 1.0f + s.e;
    s.synthWeight = 0.48f * std::pow (s.e, 0.78f);
    return s;
}

void StereoWidth::applyMoving (float& l, float& r, float mid, float side, float midE, float sideE,
                               float dA, float dB, float w) noexcept
{
    if (w != lastShapeWidth)
    {
        lastShapeWidth = w;
        shape = shapeFor (w);
    }

    if (w <= 100.0f)
    {
        l = mid + shape.k * side;
        r = mid - shape.k * side;
    }
    else
    {
        wide (l, r, mid, side, midE, sideE, dA, dB, shape);
    }
}

void StereoWidth::applySteady (float* __restrict left, float* __restrict right, const float* __restrict mid,
                               const float* __restrict side, const float* __restrict midE, const float* __restrict sideE,
                               const float* __restrict dA, const float* __restrict dB, int n, float w) noexcept
{
    if (w != lastShapeWidth)
    {
        lastShapeWidth = w;
        shape = shapeFor (w);
    }

    const Shape s = shape;

    if (w <= 100.0f)
    {
        for (int i = 0; i < n; ++i)
        {
            left[i] = mid[i] + s.k * side[i];
            right[i] = mid[i] - s.k * side[i];
        }
    }
    else
    {
        for (int i = 0; i < n; ++i)
            wide (left[i], right[i], mid[i], side[i], midE[i], sideE[i], dA[i], dB[i], s);
    }
}
