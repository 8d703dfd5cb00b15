#include "dsp/reference/CompressionStage.h"
#include "common/AudioHelpers.h"

namespace Reference
{
namespace
{
    constexpr float sentinel = 999.0f;
}

void CompressionStage::prepare (double sampleRate, int maximumBlockSize)
{
    const juce::dsp::ProcessSpec spec { sampleRate, (juce::uint32) juce::jmax (1, maximumBlockSize), 1 };

    for (auto& c : compressors)
        c.prepare (spec);
}

void CompressionStage::invalidate() noexcept
{
    lastApplied.fill (sentinel);
}

void CompressionStage::update (const Settings& s) noexcept
{
    const std::array<float, 4> values { s.threshold, s.ratio, s.attack, s.release };
    bool changed = false;

    for (size_t i = 0; i < values.size(); ++i)
        changed = changed || AudioHelpers::hasChanged (values[i], lastApplied[i]);

    if (! changed)
        return;

    for (auto& c : compressors)
    {
        c.setThreshold (s.threshold);
        c.setRatio (s.ratio);
        c.setAttack (s.attack);
        c.setRelease (s.release);
    }

    lastApplied = values;
}

void CompressionStage::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = juce::jmin (buffer.getNumChannels(), 2);
    const int numSamples = buffer.getNumSamples();

    for (int ch = 0; ch < numChannels; ++ch)
    {
        auto& compressor = compressors[(size_t) ch];
        auto* data = buffer.getWritePointer (ch);

        for (int i = 0; i < numSamples; ++i)
            data[i] = compressor.processSample (0, data[i]);
    }
}

void CompressionStage::reset() noexcept
{
    for (auto& c : compressors)
        c.reset();
}

float CompressionStage::makeupTarget (bool sectionBypassed, float makeupDecibels) noexcept
{
    return sectionBypassed ? 1.0f : AudioHelpers::dbToGain (makeupDecibels);
}
} // namespace Reference
