// Measures what an open Orvel panel costs the host's message thread while the meters move.
//
// Usage (needs a display, e.g. under xvfb-run): orvel_panel_idle_load [seconds] [--uncached] [--editor] [--still]
//
// The panel (or with --editor the whole editor, menu bar included) is put on the desktop in a
// window of its own. A second thread plays a tone whose
// level rises and falls through the processor, in real time, so the meters keep moving as
// they would in a session (with --still it plays silence, which shows the cost of an open
// window whose meters rest). The figure is the message thread's CPU time over the wall time.

#include "editor/OrvelAudioProcessorEditor.h"

#include <atomic>
#include <ctime>
#include <iostream>
#include <thread>

namespace
{
    // JUCE installs its X error handlers only for an application; an absent one is enough.
    juce::JUCEApplicationBase* createNoApplication() { return nullptr; }

    double threadCpuSeconds()
    {
        timespec t {};
        clock_gettime (CLOCK_THREAD_CPUTIME_ID, &t);
        return (double) t.tv_sec + (double) t.tv_nsec * 1.0e-9;
    }

    void playTone (OrvelAudioProcessor& processor, std::atomic<bool>& running, bool silent)
    {
        constexpr double rate = 48000.0;
        constexpr int block = 512;
        juce::AudioBuffer<float> buffer (2, block);
        juce::MidiBuffer midi;
        double phase = 0.0, t = 0.0;
        auto next = std::chrono::steady_clock::now();

        while (running.load())
        {
            for (int i = 0; i < block; ++i, phase += 220.0 / rate, t += 1.0 / rate)
            {
                // The level swells between about -40 and -6 dBFS twice a second.
                const double level = 0.01 + 0.49 * (0.5 + 0.5 * std::sin (juce::MathConstants<double>::twoPi * 2.0 * t));
                const float s = silent ? 0.0f : (float) (level * std::sin (juce::MathConstants<double>::twoPi * phase));
                buffer.setSample (0, i, s);
                buffer.setSample (1, i, s);
            }

            processor.processBlock (buffer, midi);
            next += std::chrono::microseconds ((int) (1.0e6 * block / rate));
            std::this_thread::sleep_until (next);
        }
    }
}

int main (int argc, char** argv)
{
    juce::JUCEApplicationBase::createInstance = &createNoApplication;
    const juce::ScopedJuceInitialiser_GUI juceInitialiser;
    double seconds = 10.0;
    bool cached = true, wholeEditor = false, still = false;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);
        if (arg == "--uncached")
            cached = false;
        else if (arg == "--editor")
            wholeEditor = true;
        else if (arg == "--still")
            still = true;
        else if (arg.getDoubleValue() > 0.0)
            seconds = arg.getDoubleValue();
        else
        {
            std::cerr << "usage: orvel_panel_idle_load [seconds] [--uncached] [--editor] [--still]\n";
            return 2;
        }
    }

    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
    {
        std::cerr << "orvel_panel_idle_load: no display; run it under xvfb-run\n";
        return 1;
    }

    OrvelAudioProcessor processor;
    processor.setPlayConfigDetails (2, 2, 48000.0, 512);
    processor.prepareToPlay (48000.0, 512);

    std::unique_ptr<OrvelAudioProcessorEditor> editor;
    std::unique_ptr<OrvelGUI> panelAlone;
    juce::Component* window = nullptr;

    if (wholeEditor)
    {
        editor = std::make_unique<OrvelAudioProcessorEditor> (processor);
        editor->getPanel().setPaintCachingEnabled (cached);
        window = editor.get();
    }
    else
    {
        panelAlone = std::make_unique<OrvelGUI> (processor);
        panelAlone->setPaintCachingEnabled (cached);
        panelAlone->setSize (1347, 662);
        window = panelAlone.get();
    }

    window->addToDesktop (juce::ComponentPeer::windowIsTemporary);
    window->setVisible (true);

    std::atomic<bool> running { true };
    std::thread audio ([&] { playTone (processor, running, still); });

    // Measured inside the host-like blocking event loop, from half a second after the window
    // appeared (its first paint is not what this is about) until the time is up.
    double cpu0 = 0.0, wall0 = 0.0, cpu = 0.0, wall = 0.0;
    juce::Timer::callAfterDelay (500, [&]
    {
        cpu0 = threadCpuSeconds();
        wall0 = juce::Time::getMillisecondCounterHiRes();
    });
    juce::Timer::callAfterDelay (500 + (int) (seconds * 1000.0), [&]
    {
        cpu = threadCpuSeconds() - cpu0;
        wall = (juce::Time::getMillisecondCounterHiRes() - wall0) / 1000.0;
        juce::MessageManager::getInstance()->stopDispatchLoop();
    });
    juce::MessageManager::getInstance()->runDispatchLoop();

    running = false;
    audio.join();

    std::cout << (cached ? "cached " : "uncached ") << (wholeEditor ? "editor" : "panel") << (still ? ", meters at rest" : "") << ": message thread " << juce::String (100.0 * cpu / wall, 2)
              << " % of one core over " << juce::String (wall, 1) << " s\n";
    return 0;
}
