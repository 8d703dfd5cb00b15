// No allocation on the audio thread inside the hosted plug-in: the support counter replaces
// the allocation functions of this test binary, which exports them so that the plug-in module,
// loaded later, binds to them, and counts around processBlock only the calls whose stack passes
// through the Orvel module. A sanitizer brings its own allocator; the test skips itself there.

#include "HostLoad.h"
#include "support/PluginAllocationCounter.h"

#include <gtest/gtest.h>

namespace alloccount = orvel::alloccount;

TEST (HostedAllocation, TheHostedPluginNeverAllocatesWhileProcessing)
{
    if (! alloccount::isAvailable())
        GTEST_SKIP() << "the sanitizer's allocator cannot be replaced";

    auto p = HostLoad::load (48000.0, 512);
    ASSERT_NE (p, nullptr);
    ASSERT_TRUE (alloccount::watchModule ("Orvel.so")) << "the Orvel module's code was not found";

    p->setPlayConfigDetails (2, 2, 48000.0, 512);
    p->prepareToPlay (48000.0, 512);

    auto& params = p->getParameters();
    juce::Random random (5);
    juce::AudioBuffer<float> buffer (2, 8192);
    juce::MidiBuffer midi;
    double phase = 0.0;
    long blocks = 0;

    const auto run = [&] (int n, bool measure)
    {
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);
        HostLoad::fillSine (view, phase, 440.0, 48000.0, 0.4f);
        if (measure)
        {
            const alloccount::CountingScope scope;
            p->processBlock (view, midi);
        }
        else
        {
            p->processBlock (view, midi);
        }

        ++blocks;
    };

    for (int b = 0; b < 20; ++b)
        run (512, false);

    // Automation on every block (the host queues it; the plug-in applies it inside the call),
    // both bypasses toggling, block sizes changing within what was prepared.
    for (int b = 0; b < 400; ++b)
    {
        params[random.nextInt (params.size())]->setValueNotifyingHost (random.nextFloat());

        if (b % 7 == 0)
            p->getBypassParameter()->setValueNotifyingHost (b % 14 == 0 ? 1.0f : 0.0f);

        run (1 + random.nextInt (512), true);
    }

    EXPECT_EQ (alloccount::fromModule(), 0) << "of " << alloccount::all() << " allocations on the audio thread";
    RecordProperty ("hostAllocations", (int) alloccount::all());
    p->releaseResources();
}
