#include "HostLoad.h"

#include <gtest/gtest.h>
#include <thread>

// What the standard VST3 validators check, run here against the built Orvel.vst3 through
// JUCE's hosting, as a DAW drives it: every sample rate and block size a host may use with
// automation on every block, cold and warm re-opening, programs as a host sees them, and
// state calls from a background thread while audio runs.

namespace
{
    /** The component's own state block inside what JUCE's host stores (base64 in XML). */
    juce::String componentState (juce::AudioPluginInstance& p)
    {
        juce::MemoryBlock wrapped, state;
        p.getStateInformation (wrapped);
        const auto xml = juce::AudioProcessor::getXmlFromBinary (wrapped.getData(), (int) wrapped.getSize());

        if (xml == nullptr || xml->getChildByName ("IComponent") == nullptr
            || ! state.fromBase64Encoding (xml->getChildByName ("IComponent")->getAllSubText()))
            return {};

        return juce::String::fromUTF8 (static_cast<const char*> (state.getData()) + 8, (int) state.getSize() - 9);
    }

    void pumpMessages (int milliseconds) { juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds); }
}

TEST (HostConformance, EveryRateAndBlockSizeWithAutomationEveryBlockGivesOnlyNormalNumbers)
{
    // Block sizes: one sample, the prepared size and its neighbours, the plug-in's own capacity,
    // sizes larger than prepared, and random sizes that change every block.
    const int fixedSizes[] { 1, 2, 3, 511, 512, 513, 1024, 4096, 8192, 64, 1 };

    for (const double rate : { 8000.0, 11025.0, 22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 })
    {
        SCOPED_TRACE (juce::String (rate).toStdString() + " Hz");
        auto p = HostLoad::load (rate, 512);
        ASSERT_NE (p, nullptr);
        p->setPlayConfigDetails (2, 2, rate, 512);
        p->prepareToPlay (rate, 512);

        auto& params = p->getParameters();
        juce::Random random ((juce::int64) rate);
        juce::AudioBuffer<float> buffer (2, 8192);
        juce::MidiBuffer midi;
        double phase = 0.0;
        int blocks = 0;

        const auto run = [&] (int n, bool silent)
        {
            juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);

            if (silent)
                view.clear();
            else
                HostLoad::fillSine (view, phase, 0.0371 * rate, rate, 0.4f);

            // Automation: a few parameters per block, random values and the range ends.
            for (int k = 0; k < (silent ? 0 : 3); ++k)
            {
                const int pick = random.nextInt (5);
                params[random.nextInt (params.size())]->setValueNotifyingHost (pick == 0 ? 0.0f : pick == 1 ? 1.0f : random.nextFloat());
            }

            p->processBlock (view, midi);
            ++blocks;
            return HostLoad::allNormalOrZero (view, n);
        };

        for (const int n : fixedSizes)
            ASSERT_TRUE (run (n, false)) << "block of " << n;

        for (int b = 0; b < 40; ++b)
        {
            const int n = 1 + random.nextInt (random.nextBool() ? 8192 : 600);
            ASSERT_TRUE (run (n, false)) << "block " << b << " of " << n;
        }

        // The tails (reverb, filters, compressor release) decay through two seconds of silence
        // without a subnormal, with the chain fully switched on.
        for (int i = 0; i < 26; ++i)
            if (params[i]->getName (100).endsWith ("Bypass"))
                params[i]->setValueNotifyingHost (0.0f);

        p->getBypassParameter()->setValueNotifyingHost (0.0f);
        params[25]->setValueNotifyingHost (1.0f); // Reverb Mix at 100 %: the longest tail

        for (int done = 0; done < (int) (2.0 * rate); done += 512)
            ASSERT_TRUE (run (512, true)) << "silent block at sample " << done;

        EXPECT_GT (blocks, 50);
        p->releaseResources();
    }
}

TEST (HostConformance, ColdAndWarmReopeningKeepInstancesApart)
{
    juce::MemoryBlock saved;
    juce::String freshState;

    {
        auto first = HostLoad::load();
        ASSERT_NE (first, nullptr);
        freshState = componentState (*first);
        ASSERT_TRUE (freshState.contains ("compThresh"));

        // Warm: a second instance while the first is open is a separate instance.
        auto second = HostLoad::load();
        ASSERT_NE (second, nullptr);
        first->getParameters()[11]->setValueNotifyingHost (0.25f); // Comp Threshold: -45 dB of -60..0
        EXPECT_EQ (componentState (*second), freshState);
        EXPECT_NE (componentState (*first), freshState);
        EXPECT_TRUE (componentState (*first).contains ("id=\"compThresh\" value=\"-45.0\""));
        first->getStateInformation (saved);
    }

    // Cold: every instance closed, the module opened again from scratch.
    auto reopened = HostLoad::load();
    ASSERT_NE (reopened, nullptr);
    EXPECT_EQ (componentState (*reopened), freshState);

    reopened->setStateInformation (saved.getData(), (int) saved.getSize());
    juce::MemoryBlock resaved;
    reopened->getStateInformation (resaved);
    EXPECT_EQ (resaved, saved);
}

TEST (HostConformance, ProgramsAsTheHostSeesThem)
{
    // Orvel has one program; a VST3 host then sees no program list, and whatever it is told
    // about programs must be consistent.
    auto p = HostLoad::load();
    ASSERT_NE (p, nullptr);
    EXPECT_LE (p->getNumPrograms(), 1);

    for (int i = 0; i < p->getNumPrograms(); ++i)
        EXPECT_TRUE (p->getProgramName (i).isNotEmpty()) << "program " << i;

    EXPECT_EQ (p->getCurrentProgram(), 0);
    const auto before = componentState (*p);
    p->setCurrentProgram (0);
    EXPECT_EQ (componentState (*p), before);
}

TEST (HostConformance, StateCallsFromABackgroundThreadWhileProcessing)
{
    auto p = HostLoad::load();
    ASSERT_NE (p, nullptr);
    p->setPlayConfigDetails (2, 2, 48000.0, 256);
    p->prepareToPlay (48000.0, 256);

    // Two different states to alternate between.
    juce::MemoryBlock stateA, stateB;
    p->getStateInformation (stateA);
    p->getParameters()[22]->setValueNotifyingHost (0.9f); // Width
    p->getParameters()[25]->setValueNotifyingHost (0.5f); // Reverb Mix
    p->getStateInformation (stateB);

    std::atomic<bool> stop { false }, normal { true };
    std::atomic<int> blocks { 0 }, stateCalls { 0 };

    std::thread audio ([&] {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        double phase = 0.0;

        while (! stop.load())
        {
            HostLoad::fillSine (buffer, phase, 330.0, 48000.0, 0.4f);
            {
                const juce::ScopedLock lock (p->getCallbackLock());
                p->processBlock (buffer, midi);
            }
            normal = normal && HostLoad::allNormalOrZero (buffer, 256);
            ++blocks;
            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    });

    // JUCE's host runs state calls under the message manager's lock, so this thread needs the
    // message loop below to keep turning.
    std::thread state ([&] {
        for (int i = 0; i < 60; ++i)
        {
            const auto& s = (i % 2 == 0) ? stateB : stateA;
            p->setStateInformation (s.getData(), (int) s.getSize());
            juce::MemoryBlock readBack;
            p->getStateInformation (readBack);
            ++stateCalls;
        }
    });

    while (stateCalls.load() < 60)
        pumpMessages (10);

    state.join();
    stop = true;
    audio.join();

    EXPECT_GT (blocks.load(), 10);
    EXPECT_TRUE (normal.load());

    // The last restore was stateA: it must come back byte for byte.
    juce::MemoryBlock last;
    p->getStateInformation (last);
    EXPECT_EQ (last, stateA);
}
