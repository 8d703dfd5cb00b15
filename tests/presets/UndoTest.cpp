#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <chrono>

// Whole-state undo: transactions around gestures, undo and redo of values and of the
// preset record, the interplay with open transactions, snapshot sharing and the limit.

namespace
{
    constexpr float tolerance = 0.006f;

    /** A dial gesture as the panel performs it: open, move, close. */
    void gesture (OrvelAudioProcessor& p, const char* id, float value)
    {
        p.beginUndoTransaction (juce::String ("Adjust ") + id);
        p.setParameterValue (id, value);
        p.commitUndoTransaction();
    }

    int steps (const OrvelAudioProcessor& p) { return p.getUndoHistory().getNumSteps(); }
}

TEST (Undo, OneGestureIsOneStepAndUndoRedoRestoreValueAndDisplayName)
{
    OrvelAudioProcessor p;
    p.loadFactoryPreset ("Clean");
    ASSERT_EQ (steps (p), 1);

    p.beginUndoTransaction ("Adjust threshold");
    for (float v = -18.5f; v >= -24.0f; v -= 0.5f) // a drag passes many values
        p.setParameterValue ("compThresh", v);
    p.commitUndoTransaction();

    EXPECT_EQ (steps (p), 2);
    EXPECT_EQ (p.getPresetDisplayName(), "Clean *");

    p.undo();
    EXPECT_NEAR (p.getParameterValue ("compThresh"), -18.0f, tolerance);
    EXPECT_EQ (p.getPresetDisplayName(), "Clean");
    EXPECT_TRUE (p.canUndo());
    EXPECT_TRUE (p.canRedo());

    p.redo();
    EXPECT_NEAR (p.getParameterValue ("compThresh"), -24.0f, tolerance);
    EXPECT_EQ (p.getPresetDisplayName(), "Clean *");
    EXPECT_FALSE (p.canRedo());

    p.undo();
    p.undo();
    EXPECT_EQ (p.getPresetDisplayName(), "Presets");
    EXPECT_NEAR (p.getParameterValue ("hpfFreq"), 80.0f, tolerance);
    EXPECT_FALSE (p.canUndo());

    p.undo(); // nothing left: no effect
    EXPECT_EQ (p.getPresetDisplayName(), "Presets");
    EXPECT_TRUE (p.canRedo());
}

TEST (Undo, GesturesThatChangeNothing)
{
    OrvelAudioProcessor p;

    p.beginUndoTransaction ("Adjust width");
    p.commitUndoTransaction();
    EXPECT_FALSE (p.canUndo()) << "no change on an unmodified preset records nothing";

    p.beginUndoTransaction ("Adjust width");
    p.setParameterValue ("width", 150.0f);
    p.setParameterValue ("width", 100.0f);
    p.commitUndoTransaction();
    EXPECT_EQ (steps (p), 1) << "dragged away and back: only the modified mark changed, still a step";

    p.beginUndoTransaction ("Adjust width");
    p.setParameterValue ("width", 100.0f);
    p.commitUndoTransaction();
    EXPECT_EQ (steps (p), 1) << "already modified and nothing moved";

    p.commitUndoTransaction(); // no open transaction
    EXPECT_EQ (steps (p), 1);
}

TEST (Undo, NewGestureDiscardsRedo)
{
    OrvelAudioProcessor p;
    gesture (p, "width", 120.0f);
    gesture (p, "width", 140.0f);
    p.undo();
    ASSERT_TRUE (p.canRedo());

    gesture (p, "reverbMix", 25.0f);
    EXPECT_FALSE (p.canRedo());
    EXPECT_EQ (steps (p), 2);

    p.undo();
    EXPECT_NEAR (p.getParameterValue ("width"), 120.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("reverbMix"), 0.0f, tolerance);
}

TEST (Undo, UndoDuringAnOpenTransactionDropsIt)
{
    OrvelAudioProcessor p;
    gesture (p, "width", 120.0f);

    p.beginUndoTransaction ("Adjust mix");
    p.setParameterValue ("reverbMix", 30.0f);
    p.undo();
    EXPECT_NEAR (p.getParameterValue ("width"), 100.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("reverbMix"), 0.0f, tolerance) << "the whole earlier state came back";
    EXPECT_FALSE (p.getUndoHistory().isTransactionOpen());

    p.setParameterValue ("reverbMix", 40.0f); // the drag goes on after the undo
    p.commitUndoTransaction();
    EXPECT_EQ (steps (p), 1) << "the dropped transaction records nothing";
    EXPECT_TRUE (p.canRedo()) << "and so does not discard the redo step";

    p.redo();
    EXPECT_NEAR (p.getParameterValue ("width"), 120.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("reverbMix"), 0.0f, tolerance);
}

TEST (Undo, OverlappingBeginMergesIntoTheFirstTransaction)
{
    OrvelAudioProcessor p;
    p.beginUndoTransaction ("Adjust width");
    p.setParameterValue ("width", 150.0f);
    p.beginUndoTransaction ("Compression Power"); // ignored: one is already open
    p.setParameterValue ("compBypass", 1.0f);
    p.commitUndoTransaction();
    p.commitUndoTransaction();

    EXPECT_EQ (steps (p), 1);
    p.undo();
    EXPECT_NEAR (p.getParameterValue ("width"), 100.0f, tolerance);
    EXPECT_EQ (p.getParameterValue ("compBypass"), 0.0f);
    EXPECT_FALSE (p.canUndo());
}

TEST (Undo, HostRestoreClearsHistoryAndOpenTransaction)
{
    OrvelAudioProcessor p;
    juce::MemoryBlock block;
    p.getStateInformation (block);

    gesture (p, "width", 150.0f);
    p.undo();
    gesture (p, "width", 50.0f);
    gesture (p, "width", 60.0f);
    p.undo();
    p.beginUndoTransaction ("Adjust mix");
    p.setParameterValue ("reverbMix", 30.0f);
    ASSERT_TRUE (p.canUndo());
    ASSERT_TRUE (p.canRedo());

    p.setStateInformation (block.getData(), (int) block.getSize());
    p.commitUndoTransaction();
    EXPECT_FALSE (p.canUndo());
    EXPECT_FALSE (p.canRedo());
}

TEST (Undo, HistoryNeverSharesATreeWithTheLiveState)
{
    // Steps that meet share one snapshot; the live parameter tree must never be one of
    // them, or later changes would rewrite the history.
    OrvelAudioProcessor p;
    std::vector<juce::ValueTree> recorded { p.captureState() };

    const std::pair<const char*, float> moves[] { { "width", 120.0f }, { "reverbMix", 20.0f }, { "width", 60.0f }, { "satMix", 33.0f } };

    for (const auto& [id, v] : moves)
    {
        gesture (p, id, v);
        recorded.push_back (p.captureState());
    }

    const auto expectState = [&p] (const juce::ValueTree& expected, const char* where)
    {
        EXPECT_TRUE (p.captureState().isEquivalentTo (expected)) << where;
    };

    p.undo();
    p.undo();
    expectState (recorded[2], "after two undos");

    // Changes to the live state right after an undo (automation, no transaction).
    p.setParameterValue ("width", 5.0f);
    p.setParameterValue ("satMix", 90.0f);
    p.getValueTreeState().getParameter ("reverbMix")->setValueNotifyingHost (0.9f);
    (void) p.captureState(); // pushes the new values into the live tree

    p.redo();
    expectState (recorded[3], "redo after live changes");
    p.setParameterValue ("width", 7.0f);
    (void) p.captureState();

    p.undo();
    expectState (recorded[2], "undo after live changes");
    p.undo();
    expectState (recorded[1], "second undo");
    p.redo();
    p.redo();
    p.redo();
    expectState (recorded[4], "redo to the end");

    // A new gesture starting from the state an undo left shares that snapshot; undoing it
    // must still give the recorded values.
    p.undo();
    (void) p.captureState();
    gesture (p, "compThresh", -30.0f);
    p.undo();
    expectState (recorded[3], "undo of a gesture begun after an undo");

    // Automation between an undo and the next gesture belongs to that gesture's "before".
    p.setParameterValue ("reverbSize", 77.0f);
    const auto automated = p.captureState();
    gesture (p, "compThresh", -40.0f);
    p.undo();
    expectState (automated, "undo of a gesture begun after automation");
}

TEST (Undo, LimitKeepsTheNewestSteps)
{
    // The history holds 30000 one-unit steps; older ones are dropped first.
    constexpr int total = 30010, kept = 30000;
    const auto start = std::chrono::steady_clock::now();

    OrvelAudioProcessor p;

    // Step i leaves width = (i % 10000) / 100 and satMix = i / 10000, a distinct state for every i.
    const auto widthFor = [] (int i) { return (float) (i % 10000) * 0.01f; };
    const auto mixFor = [] (int i) { return (float) (i / 10000); };

    for (int i = 1; i <= total; ++i)
    {
        p.beginUndoTransaction ("Adjust width");
        p.setParameterValue ("width", widthFor (i));
        p.setParameterValue ("satMix", mixFor (i));
        p.commitUndoTransaction();
    }

    EXPECT_EQ (steps (p), kept);

    // Undo back a few steps, then all the way: the oldest state reachable is the one that
    // step total - kept left behind.
    for (int i = 0; i < 3; ++i)
        p.undo();

    EXPECT_NEAR (p.getParameterValue ("width"), widthFor (total - 3), tolerance);

    int undone = 3;

    while (p.canUndo())
    {
        p.undo();
        ++undone;
    }

    EXPECT_EQ (undone, kept);
    EXPECT_NEAR (p.getParameterValue ("width"), widthFor (total - kept), tolerance);
    EXPECT_NEAR (p.getParameterValue ("satMix"), mixFor (total - kept), tolerance);

    p.redo();
    EXPECT_NEAR (p.getParameterValue ("width"), widthFor (total - kept + 1), tolerance);

    const auto seconds = std::chrono::duration<double> (std::chrono::steady_clock::now() - start).count();
    RecordProperty ("seconds", juce::String (seconds, 2).toStdString());
}
