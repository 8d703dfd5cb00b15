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
}

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
