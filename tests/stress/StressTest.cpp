#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <thread>

// Three threads on one processor for a bounded time, as a busy session drives it:
//  - the audio thread processes blocks of changing sizes within the prepared capacity, under
//    the callback lock as the plug-in wrapper does, now and then with the host's bypass on;
//  - a second thread applies host states, factory and user presets, gestures, undo and redo;
//  - a third automates every parameter with random and extreme values.
// Built with ThreadSanitizer (scripts/stress-tsan.sh) this is the check that state changes,
// automation and audio never touch the same data unguarded. Without a sanitizer it still
// checks that no block ever carries a non-finite sample and that the instance ends usable.
//
// ORVEL_STRESS_SECONDS sets the duration (default 5).

namespace
{
    double stressSeconds()
    {
        if (const char* s = std::getenv ("ORVEL_STRESS_SECONDS"))
            return juce::jmax (0.1, std::atof (s));

        return 5.0;
    }
}

TEST (Stress, AudioStateChangesAndAutomationOnThreeThreads)
{
    TestSupport::ScopedConfigHome home;
    constexpr int preparedBlock = 512, numChannels = 2;
    auto processor = TestSupport::makePrepared (48000.0, preparedBlock, numChannels);
    auto& p = *processor;
    const int capacity = p.getMaxBlockSamples();
    ASSERT_GE (capacity, 8192);

    // Material for the state thread: host blocks, two user presets, the factory list.
    std::vector<juce::MemoryBlock> hostBlocks;
    {
        OrvelAudioProcessor source;

        for (const auto* preset : { "Rock", "Airy", "Clean" })
        {
            source.loadFactoryPreset (preset);
            hostBlocks.emplace_back();
            source.getStateInformation (hostBlocks.back());
        }

        TestSupport::setParam (source, "compThresh", -50.0f);
        ASSERT_TRUE (source.saveUserPreset ("Stress A"));
        TestSupport::setParam (source, "reverbMix", 80.0f);
        TestSupport::setParam (source, "spaceBypass", 1.0f);
        ASSERT_TRUE (source.saveUserPreset ("Stress B"));
    }
    const auto factory = p.getFactoryPresetNames();
    ASSERT_FALSE (factory.isEmpty());

    std::atomic<bool> stop { false };
    std::atomic<long> blocks { 0 }, nonFiniteBlocks { 0 }, stateOps { 0 }, automationMoves { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> storage (numChannels, capacity);
        juce::MidiBuffer midi;
        juce::Random random (11);
        double phase = 0.0;
        bool hostBypass = false;

        while (! stop.load())
        {
            // Mostly everyday sizes, sometimes one sample, sometimes the whole capacity.
            const int pick = random.nextInt (20);
            const int n = pick == 0 ? 1 : pick == 1 ? capacity : 1 + random.nextInt (1024);
            juce::AudioBuffer<float> buffer (storage.getArrayOfWritePointers(), numChannels, n);

            for (int i = 0; i < n; ++i, phase += 0.0577)
                for (int ch = 0; ch < numChannels; ++ch)
                    buffer.setSample (ch, i, 0.5f * (float) std::sin (phase + ch) + 0.05f * (random.nextFloat() - 0.5f));

            if (random.nextInt (64) == 0)
                hostBypass = ! hostBypass;

            {
                const juce::ScopedLock sl (p.getCallbackLock());

                if (hostBypass)
                    p.processBlockBypassed (buffer, midi);
                else
                    p.processBlock (buffer, midi);
            }

            bool finite = true;

            for (int ch = 0; ch < numChannels; ++ch)
                for (int i = 0; i < n; ++i)
                    finite = finite && std::isfinite (buffer.getSample (ch, i));

            if (! finite)
                ++nonFiniteBlocks;

            ++blocks;
        }
    });

    std::thread automation ([&] {
        juce::Random random (12);
        auto& params = p.getParameters();
        const float extremes[] { 0.0f, 1.0f, 1.0e-30f, 1.0f - 1.0e-7f, -0.5f, 1.5f,
                                 std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() };

        while (! stop.load())
        {
            for (auto* param : params)
            {
                const int pick = random.nextInt (4);
                param->setValueNotifyingHost (pick == 0 ? extremes[random.nextInt ((int) std::size (extremes))] : random.nextFloat());
                ++automationMoves;
            }

            std::this_thread::sleep_for (std::chrono::microseconds (100));
        }
    });

    juce::Random random (13);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double> (stressSeconds());

    while (std::chrono::steady_clock::now() < end)
    {
        switch (random.nextInt (8))
        {
            case 0:
            {
                const auto& b = hostBlocks[(size_t) random.nextInt ((int) hostBlocks.size())];
                p.setStateInformation (b.getData(), (int) b.getSize());
                break;
            }
            case 1: p.loadFactoryPreset (factory[random.nextInt (factory.size())]); break;
            case 2: p.loadUserPreset (random.nextBool() ? "Stress A" : "Stress B"); break;
            case 3:
                p.beginUndoTransaction ("Adjust width");
                TestSupport::setParam (p, "width", random.nextFloat() * 200.0f);
                p.commitUndoTransaction();
                break;
            case 4: p.undo(); break;
            case 5: p.redo(); break;
            case 6:
            {
                juce::MemoryBlock saved;
                p.getStateInformation (saved);
                break;
            }
            default:
                // Drain what the message thread would have done (parameter listeners, timers).
                juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
                break;
        }

        ++stateOps;
    }

    stop = true;
    audio.join();
    automation.join();

    EXPECT_EQ (nonFiniteBlocks.load(), 0);
    EXPECT_GT (blocks.load(), 100);
    EXPECT_GT (stateOps.load(), 100);
    EXPECT_GT (automationMoves.load(), 1000);
    RecordProperty ("blocks", (int) blocks.load());
    RecordProperty ("stateOps", (int) stateOps.load());

    // The instance ends in one consistent state: a copy made from its saved state saves the
    // same bytes, and it still processes a block.
    juce::MemoryBlock saved, resaved;
    p.getStateInformation (saved);
    OrvelAudioProcessor copy;
    copy.setStateInformation (saved.getData(), (int) saved.getSize());
    copy.getStateInformation (resaved);
    EXPECT_EQ (saved, resaved);

    auto buffer = TestSupport::makeSine (numChannels, preparedBlock, 440.0, 48000.0);
    TestSupport::process (p, buffer);
    EXPECT_GT (buffer.getMagnitude (0, preparedBlock), 0.0f);
}
