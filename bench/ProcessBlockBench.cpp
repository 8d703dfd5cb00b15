#include "processor/OrvelAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    enum class Setting { defaults, fullChain, mainBypassed };

    /** A voice-like test signal: a few harmonics with some noise, around -12 dBFS. */
    juce::AudioBuffer<float> makeInput()
    {
        juce::AudioBuffer<float> input (2, blockSize);
        juce::Random random (1234);

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < blockSize; ++i)
            {
                const double t = i / sampleRate;
                const double voice = 0.15 * std::sin (juce::MathConstants<double>::twoPi * 220.0 * t + ch)
                                   + 0.06 * std::sin (juce::MathConstants<double>::twoPi * 660.0 * t)
                                   + 0.03 * std::sin (juce::MathConstants<double>::twoPi * 5200.0 * t);
                input.setSample (ch, i, (float) voice + 0.02f * (random.nextFloat() - 0.5f));
            }

        return input;
    }

    void processBlock (benchmark::State& state, Setting setting)
    {
        OrvelAudioProcessor processor;
        processor.setRateAndBufferSizeDetails (sampleRate, blockSize);

        if (setting == Setting::fullChain)
            processor.loadFactoryPreset ("Rock");
        else if (setting == Setting::mainBypassed)
            processor.setParameterValue ("mainBypass", 1.0f);

        processor.prepareToPlay (sampleRate, blockSize);

        const auto input = makeInput();
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;

        // Let every ramp settle so that the steady state is measured.
        for (int i = 0; i < 200; ++i)
        {
            buffer.makeCopyOf (input, true);
            processor.processBlock (buffer, midi);
        }

        for (auto _ : state)
        {
            buffer.makeCopyOf (input, true);
            processor.processBlock (buffer, midi);
            benchmark::DoNotOptimize (buffer.getReadPointer (0));
            benchmark::ClobberMemory();
        }

        const auto samples = (double) state.iterations() * blockSize;
        state.counters["ns_per_stereo_sample"] = benchmark::Counter (samples, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
        state.counters["realtime_factor"] = benchmark::Counter (samples / sampleRate, benchmark::Counter::kIsRate);
    }
}

BENCHMARK_CAPTURE (processBlock, defaults, Setting::defaults);
BENCHMARK_CAPTURE (processBlock, full_chain_rock, Setting::fullChain);
BENCHMARK_CAPTURE (processBlock, main_bypass_settled, Setting::mainBypassed);

BENCHMARK_MAIN();
