// Prints what the undo history costs in heap memory per recorded step.
//
// Usage: orvel_undo_memory [steps]   (default 30000, the history's unit limit)
//
// Two kinds of history are measured. "chained" records gestures back to back, as a user
// does in the editor: each step's "before" equals the previous step's "after", so the two
// share one tree. "interrupted" moves a parameter outside any gesture between steps (as
// host automation does), so every step must keep two trees of its own.

#include "processor/OrvelAudioProcessor.h"

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace
{
    size_t heapInUse()
    {
        const auto info = mallinfo2();
        return info.uordblks + info.hblkhd;
    }

    double bytesPerStep (int steps, bool interrupted)
    {
        OrvelAudioProcessor processor;
        auto* threshold = processor.getValueTreeState().getParameter ("compThresh");
        auto* ratio = processor.getValueTreeState().getParameter ("compRatio");

        // One warm-up step so that lazily created objects are not counted.
        processor.beginUndoTransaction ("Warm up");
        threshold->setValueNotifyingHost (0.1f);
        processor.commitUndoTransaction();

        const auto before = heapInUse();

        for (int i = 0; i < steps; ++i)
        {
            if (interrupted)
                ratio->setValueNotifyingHost ((float) ((i * 7) % 100) / 100.0f);

            processor.beginUndoTransaction ("Adjust threshold");
            threshold->setValueNotifyingHost ((float) (i % 997) / 997.0f);
            processor.commitUndoTransaction();
        }

        const auto after = heapInUse();
        return (double) (after - before) / steps;
    }
}

int main (int argc, char** argv)
{
    const int steps = argc > 1 ? std::atoi (argv[1]) : 30000;

    if (steps <= 0)
    {
        std::fprintf (stderr, "usage: %s [steps]   (steps must be a positive number)\n", argv[0]);
        return 2;
    }

    const juce::ScopedJuceInitialiser_GUI juce;

    OrvelAudioProcessor reference;
    const auto before = heapInUse();
    auto tree = reference.captureState();
    const auto treeBytes = (double) (heapInUse() - before);

    const double chained = bytesPerStep (steps, false);
    const double interrupted = bytesPerStep (steps, true);

    std::printf ("one captured state tree:         %8.0f bytes\n", treeBytes);
    std::printf ("chained steps (shared trees):    %8.0f bytes per step, %6.1f MB for %d steps\n",
                 chained, chained * steps / 1.0e6, steps);
    std::printf ("interrupted steps (two trees):   %8.0f bytes per step, %6.1f MB for %d steps\n",
                 interrupted, interrupted * steps / 1.0e6, steps);
    return 0;
}
