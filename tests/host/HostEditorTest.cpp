#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <thread>

// The built plug-in's editor, opened in a window of its own through JUCE's VST3 hosting, as a
// DAW opens it, while another thread keeps processing audio.

namespace
{
    std::unique_ptr<juce::AudioPluginInstance> loadOrvel()
    {
        juce::VST3PluginFormat format;
        juce::OwnedArray<juce::PluginDescription> types;
        format.findAllTypesForFile (types, ORVEL_VST3_BUNDLE);
        if (types.size() != 1)
            return {};

        juce::String error;
        return format.createInstanceFromDescription (*types[0], 48000.0, 512, error);
    }

    void pumpMessages (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }

    /** Processes blocks of a tone on its own thread until destroyed. */
    struct AudioThread
    {
        explicit AudioThread (juce::AudioPluginInstance& p) : plugin (p), thread ([this] { run(); }) {}
        ~AudioThread() { running = false; thread.join(); }

        void run()
        {
            juce::AudioBuffer<float> buffer (2, 512);
            juce::MidiBuffer midi;
            double phase = 0.0;

            while (running.load())
            {
                for (int i = 0; i < 512; ++i, phase += 440.0 / 48000.0)
                    for (int ch = 0; ch < 2; ++ch)
                        buffer.setSample (ch, i, 0.3f * (float) std::sin (juce::MathConstants<double>::twoPi * phase));

                {
                    const juce::ScopedLock lock (plugin.getCallbackLock());
                    plugin.processBlock (buffer, midi);
                }
                finite = finite && buffer.getMagnitude (0, 512) < 100.0f;
                ++blocks;
                std::this_thread::sleep_for (std::chrono::milliseconds (5));
            }
        }

        juce::AudioPluginInstance& plugin;
        std::atomic<bool> running { true }, finite { true };
        std::atomic<int> blocks { 0 };
        std::thread thread;
    };

    /** Whether the plug-in's own state block, as the host would store it, contains a piece of text. */
    bool stateContains (juce::AudioPluginInstance& plugin, const std::string& text)
    {
        // JUCE's host keeps the component's block base64-encoded inside an XML wrapper.
        juce::MemoryBlock wrapped;
        plugin.getStateInformation (wrapped);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (wrapped.getData(), (int) wrapped.getSize());
        juce::MemoryBlock state;
        if (xml == nullptr || xml->getChildByName ("IComponent") == nullptr
            || ! state.fromBase64Encoding (xml->getChildByName ("IComponent")->getAllSubText()))
            return false;

        return std::string (static_cast<const char*> (state.getData()), state.getSize()).find (text) != std::string::npos;
    }
}

TEST (HostedEditor, OpensAtItsSizeResizesAndClosesWhileAudioRuns)
{
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr) << "needs a display (ctest runs under xvfb-run)";
    const auto area = display->userArea;

    auto plugin = loadOrvel();
    ASSERT_NE (plugin, nullptr);
    plugin->setPlayConfigDetails (2, 2, 48000.0, 512);
    plugin->prepareToPlay (48000.0, 512);
    ASSERT_TRUE (plugin->hasEditor());

    AudioThread audio (*plugin);

    // The size the editor picks for this screen: 70 % of its usable height at a ratio of 1.85,
    // between 500 and 1600 pixels wide.
    const int width = juce::jlimit (500, 1600, juce::roundToInt ((float) area.getHeight() * 0.7f * 1.85f));
    const int height = (int) std::round ((float) width / 1.85f);

    for (int round = 0; round < 2; ++round)  // opened, closed, and opened again
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->addToDesktop (0);
        editor->setVisible (true);
        pumpMessages (300);

        if (round == 0)
            EXPECT_EQ (editor->getBounds().withZeroOrigin(), juce::Rectangle<int> (width, height));

        // The host resizes the window; the plug-in keeps and remembers the new size.
        editor->setSize (1000, 541);
        pumpMessages (200);
        EXPECT_EQ (editor->getBounds().withZeroOrigin(), juce::Rectangle<int> (1000, 541)) << "round " << round;
        EXPECT_TRUE (stateContains (*plugin, "uiSavedWindowWidth=\"1000")) << "round " << round;

        editor.reset();
        pumpMessages (100);
    }

    EXPECT_GT (audio.blocks.load(), 20);
    EXPECT_TRUE (audio.finite.load());
}

TEST (HostedEditor, OpensAndClosesManyTimesWhileAudioAndAutomationRun)
{
    // A user clicking through tracks opens and closes the editor again and again while the
    // transport runs and automation moves the dials the panel is drawing.
    auto plugin = loadOrvel();
    ASSERT_NE (plugin, nullptr);
    plugin->setPlayConfigDetails (2, 2, 48000.0, 512);
    plugin->prepareToPlay (48000.0, 512);

    AudioThread audio (*plugin);
    auto& params = plugin->getParameters();
    juce::Random random (3);

    for (int round = 0; round < 30; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr) << "round " << round;
        editor->addToDesktop (0);
        editor->setVisible (true);

        for (int k = 0; k < 4; ++k)
        {
            params[3 + random.nextInt (23)]->setValueNotifyingHost (random.nextFloat()); // not the gain stages
            pumpMessages (10 + random.nextInt (30));
        }

        editor.reset();
        pumpMessages (random.nextInt (20));
    }

    EXPECT_GT (audio.blocks.load(), 30);
    EXPECT_TRUE (audio.finite.load());

    // The instance is still whole: its state survives a save and restore byte for byte.
    juce::MemoryBlock saved, resaved;
    plugin->getStateInformation (saved);
    plugin->setStateInformation (saved.getData(), (int) saved.getSize());
    plugin->getStateInformation (resaved);
    EXPECT_EQ (resaved, saved);
}
