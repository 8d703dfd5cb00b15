#include "processor/OrvelAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 512;

    enum class Setting { defaults, fullChain, mainBypassed, toneOnly, compressionOnly, characterOnly, spaceOnly, reverbOnly };

    /** The section bypass parameters, in chain order. */
    constexpr const char* sectionBypasses[] = { "toneBypass", "compBypass", "characterBypass", "spaceBypass" };

    /** With the "Rock" settings, switches every section off except the one given (0 to 3). */
    void keepOnlySection (OrvelAudioProcessor& processor, int section)
    {
        processor.loadFactoryPreset ("Rock");

        for (int s = 0; s < 4; ++s)
            processor.setParameterValue (sectionBypasses[s], s == section ? 0.0f : 1.0f);
    }

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

        switch (setting)
        {
            case Setting::defaults:        break;
            case Setting::fullChain:       processor.loadFactoryPreset ("Rock"); break;
            case Setting::mainBypassed:    processor.setParameterValue ("mainBypass", 1.0f); break;
            case Setting::toneOnly:        keepOnlySection (processor, 0); break;
            case Setting::compressionOnly: keepOnlySection (processor, 1); break;
            case Setting::characterOnly:   keepOnlySection (processor, 2); break;
            case Setting::spaceOnly:       keepOnlySection (processor, 3); break;
            case Setting::reverbOnly:
                // The Space section at width 100 %, where the width stage only splits and rejoins
                // mid and side: what remains is the reverb's cost.
                keepOnlySection (processor, 3);
                processor.setParameterValue ("width", 100.0f);
                break;
        }

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
// One section at a time with the "Rock" settings (the other three switched off and settled),
// so that a change can be judged per section.
BENCHMARK_CAPTURE (processBlock, section_tone, Setting::toneOnly);
BENCHMARK_CAPTURE (processBlock, section_compression, Setting::compressionOnly);
BENCHMARK_CAPTURE (processBlock, section_character, Setting::characterOnly);
BENCHMARK_CAPTURE (processBlock, section_space, Setting::spaceOnly);
BENCHMARK_CAPTURE (processBlock, section_space_reverb_only, Setting::reverbOnly);

BENCHMARK_MAIN();
