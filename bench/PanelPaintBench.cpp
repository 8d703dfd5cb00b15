// Cost of painting Orvel's main panel with JUCE's software renderer, at the default size.

#include "editor/OrvelGUI.h"

#include <benchmark/benchmark.h>

namespace
{
    void paintPanel (benchmark::State& state, bool cached)
    {
        OrvelAudioProcessor processor;
        OrvelGUI panel (processor);
        panel.setSize (1347, 662);
        panel.setPaintCachingEnabled (cached);

        juce::Image image (juce::Image::ARGB, panel.getWidth(), panel.getHeight(), true);
        {
            juce::Graphics g (image);
            panel.paintEntireComponent (g, true);  // warm-up, and fills the cache when it is on
        }

        for (auto _ : state)
        {
            juce::Graphics g (image);
            panel.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelAt (10, 10));
        }
    }

    void paintMeter (benchmark::State& state)
    {
        float level = 0.25f;
        MeterComponent meter ([&level] { return level; }, [&level] { return level * 0.9f; }, "Input", 12.0f);
        meter.setSize (103, 238);
        juce::Image image (juce::Image::ARGB, meter.getWidth(), meter.getHeight(), true);

        for (auto _ : state)
        {
            juce::Graphics g (image);
            meter.paintEntireComponent (g, true);
            benchmark::DoNotOptimize (image.getPixelAt (10, 10));
        }
    }
}

BENCHMARK (paintMeter)->Unit (benchmark::kMicrosecond);
BENCHMARK_CAPTURE (paintPanel, everything_drawn, false)->Unit (benchmark::kMillisecond);
BENCHMARK_CAPTURE (paintPanel, artwork_cached, true)->Unit (benchmark::kMillisecond);

int main (int argc, char** argv)
{
    const juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
