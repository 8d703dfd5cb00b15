#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>

// Audio blocks, host automation and whole-state changes (host restores, presets, undo and
// redo) all at once: no block may ever produce a non-finite sample, and what is left at the
// end must be one consistent state.

TEST (Concurrency, StateChangesAutomationAndAudioTogether)
{
    constexpr int blockSize = 256, numChannels = 2;
    auto processor = TestSupport::makePrepared (48000.0, blockSize, numChannels);
    auto& p = *processor;

    std::atomic<bool> stop { false };
    std::atomic<int> nonFiniteBlocks { 0 }, blocks { 0 }, automationMoves { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (numChannels, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (1);
        double phase = 0.0;

        while (! stop.load())
        {
            for (int i = 0; i < blockSize; ++i, phase += 0.0577)
                for (int ch = 0; ch < numChannels; ++ch)
                    buffer.setSample (ch, i, 0.5f * (float) std::sin (phase + ch) + 0.05f * (random.nextFloat() - 0.5f));

            {
                // The plug-in wrapper holds the callback lock around every block.
                const juce::ScopedLock sl (p.getCallbackLock());
                p.processBlock (buffer, midi);
            }

            bool finite = true;

            for (int ch = 0; ch < numChannels; ++ch)
                for (int i = 0; i < blockSize; ++i)
                    finite = finite && std::isfinite (buffer.getSample (ch, i));

            if (! finite)
                ++nonFiniteBlocks;

            ++blocks;
        }
    });

    std::thread automation ([&] {
        juce::Random random (2);
        auto& params = p.getParameters();

        while (! stop.load())
        {
            params[random.nextInt (params.size())]->setValueNotifyingHost (random.nextFloat());
            ++automationMoves;

            if (automationMoves.load() % 64 == 0)
                std::this_thread::sleep_for (std::chrono::microseconds (200));
        }
    });

    // Host blocks to restore: three different states, one with values that are not numbers.
    std::vector<juce::MemoryBlock> hostBlocks;
    {
        OrvelAudioProcessor source;

        for (const auto* preset : { "Rock", "Airy" })
        {
            source.loadFactoryPreset (preset);
            hostBlocks.emplace_back();
            source.getStateInformation (hostBlocks.back());
        }

        auto xml = source.captureState().createXml();
        xml->getChildByAttribute ("id", "compThresh")->setAttribute ("value", "nan");
        xml->getChildByAttribute ("id", "hpfFreq")->setAttribute ("value", "inf");
        hostBlocks.emplace_back();
        juce::AudioProcessor::copyXmlToBinary (*xml, hostBlocks.back());
    }

    // The message thread: this test's own thread.
    const auto presetNames = p.getFactoryPresetNames();
    juce::Random random (3);
    int operations = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds (2);

    while (std::chrono::steady_clock::now() < end)
    {
        switch (random.nextInt (6))
        {
            case 0:
            {
                const auto& b = hostBlocks[(size_t) random.nextInt ((int) hostBlocks.size())];
                p.setStateInformation (b.getData(), (int) b.getSize());
                break;
            }
            case 1: p.loadFactoryPreset (presetNames[random.nextInt (presetNames.size())]); break;
            case 2: p.undo(); break;
            case 3: p.redo(); break;
            case 4:
                p.beginUndoTransaction ("Adjust width");
                p.setParameterValue ("width", random.nextFloat() * 200.0f);
                p.commitUndoTransaction();
                break;
            default:
            {
                juce::MemoryBlock saved;
                p.getStateInformation (saved);
                break;
            }
        }

        ++operations;
    }

    stop = true;
    audio.join();
    automation.join();

    EXPECT_EQ (nonFiniteBlocks.load(), 0);
    EXPECT_GT (blocks.load(), 100);
    EXPECT_GT (automationMoves.load(), 100);
    EXPECT_GT (operations, 100);

    // The saved state describes exactly what the parameters hold, and a fresh instance
    // restored from it holds the same values.
    const auto state = p.captureState();

    for (const auto* id : ParameterIds::ids)
    {
        const auto child = state.getChildWithProperty ("id", id);
        ASSERT_TRUE (child.isValid()) << id;
        EXPECT_EQ ((float) (double) child.getProperty ("value"), p.getParameterValue (id)) << id;
        EXPECT_TRUE (std::isfinite (p.getParameterValue (id))) << id;
    }

    juce::MemoryBlock block;
    p.getStateInformation (block);
    OrvelAudioProcessor fresh;
    fresh.setStateInformation (block.getData(), (int) block.getSize());

    for (const auto* id : ParameterIds::ids)
        EXPECT_EQ (fresh.getParameterValue (id), p.getParameterValue (id)) << id;

    EXPECT_EQ (fresh.getPresetDisplayName(), p.getPresetDisplayName());
    EXPECT_TRUE (fresh.captureState().isEquivalentTo (state));

    // Audio still runs normally after all of it.
    auto sine = TestSupport::makeSine (numChannels, blockSize, 440.0, 48000.0);
    TestSupport::process (p, sine);

    for (int ch = 0; ch < numChannels; ++ch)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_TRUE (std::isfinite (sine.getSample (ch, i)));
}
