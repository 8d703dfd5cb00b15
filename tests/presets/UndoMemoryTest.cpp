#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <malloc.h>

// A history may hold 30000 steps in every instance of a session, so a step must stay small:
// under 1 kB of heap, whether adjacent steps meet (gestures back to back) or not (automation
// moved a parameter between two gestures).

namespace
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool heapIsMeasurable = false;
#elif defined(__has_feature)
  #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    constexpr bool heapIsMeasurable = false;
  #else
    constexpr bool heapIsMeasurable = true;
  #endif
#else
    constexpr bool heapIsMeasurable = true;
#endif

    size_t heapInUse()
    {
        const auto info = mallinfo2();
        return info.uordblks + info.hblkhd;
    }
}

TEST (UndoMemory, AStepCostsLessThanOneKilobyte)
{
    if (! heapIsMeasurable)
        GTEST_SKIP() << "the sanitizer's allocator does not report heap use";

    constexpr int steps = 3000;

    for (const bool interrupted : { false, true })
    {
        OrvelAudioProcessor p;
        auto* threshold = p.getValueTreeState().getParameter ("compThresh");
        auto* ratio = p.getValueTreeState().getParameter ("compRatio");
        const juce::String name ("Adjust threshold");

        // One step first, so that what is made once per history is not counted per step.
        p.beginUndoTransaction (name);
        threshold->setValueNotifyingHost (0.1f);
        p.commitUndoTransaction();

        const auto before = heapInUse();

        for (int i = 0; i < steps; ++i)
        {
            if (interrupted)
                ratio->setValueNotifyingHost ((float) ((i * 7) % 100) / 100.0f);

            p.beginUndoTransaction (name);
            threshold->setValueNotifyingHost ((float) (i % 997) / 997.0f);
            p.commitUndoTransaction();
        }

        const auto perStep = (double) (heapInUse() - before) / steps;
        ASSERT_EQ (p.getUndoHistory().getNumSteps(), steps + 1);
        EXPECT_LT (perStep, 1024.0) << (interrupted ? "interrupted" : "chained") << " steps";
        RecordProperty (interrupted ? "interruptedBytesPerStep" : "chainedBytesPerStep", (int) perStep);
    }
}
