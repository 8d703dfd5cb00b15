#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <array>
#include <atomic>
#include <functional>
#include <memory>

/** Whole-state undo and redo. Each step holds the state before and after a user gesture
    or preset load; undoing or redoing applies one of them as a whole.

    A history can reach 30000 steps, so a step does not keep whole state trees: it keeps the
    values that differ from state to state (the parameter values and the root properties)
    against one shared "layout" tree, and two adjacent steps share the snapshot they meet
    at. A state whose shape differs from the layout (a foreign or damaged tree a host
    restored) is kept whole, so that what undo applies is always exactly what was captured. */
class UndoHistory
{
public:
    /** Returns an independent snapshot of the whole current state. */
    using CaptureFunction = std::function<juce::ValueTree()>;
    /** Applies a snapshot as the whole state, including the current-preset record. */
    using ApplyFunction = std::function<void (const juce::ValueTree&)>;

    /** @param suppressModifiedFlag the processor's flag that keeps parameter changes from
                                    marking the preset modified while a snapshot is applied */
    UndoHistory (CaptureFunction capture, ApplyFunction apply, std::atomic<bool>& suppressModifiedFlag);

    /** Opens a transaction and takes the "before" snapshot. Ignored while one is open or
        while an undo or redo runs, so overlapping gestures merge into the first. */
    void beginTransaction (const juce::String& name);

    /** Closes the open transaction, recording one step when the state changed. */
    void commitTransaction();

    /** Drops the open transaction without recording. */
    void cancelTransaction();

    /** Whether a step can be undone or redone. */
    bool canUndo() const { return manager.canUndo(); }
    bool canRedo() const { return manager.canRedo(); }

    /** Steps back or forward one step; an open transaction is dropped first. */
    void undo();
    void redo();

    /** Forgets every step and any open transaction. */
    void clear();

    /** Whether a transaction is open. */
    bool isTransactionOpen() const noexcept { return pending; }

    /** Name of the step that undo would revert, or empty when there is none. */
    juce::String getUndoDescription() const { return manager.getUndoDescription(); }

    /** Number of recorded steps (for inspection). */
    int getNumSteps() const { return manager.getNumberOfUnitsTakenUpByStoredCommands(); }

private:
    class FullStateUndoAction;
    struct Snapshot;
    using SnapshotPtr = std::shared_ptr<const Snapshot>;

    void step (bool forward);
    SnapshotPtr takeSnapshot();
    juce::ValueTree toTree (const Snapshot&) const;
    bool equivalent (const Snapshot&, const Snapshot&) const;

    CaptureFunction capture;
    ApplyFunction apply;
    std::atomic<bool>& suppressModified;

    juce::UndoManager manager;
    juce::ValueTree layout;        // shape and fixed properties of the states held compactly
    SnapshotPtr snapshot;          // "before" of the open transaction
    SnapshotPtr lastKnownState;    // the state the last step recorded or applied
    bool pending = false;
    std::atomic<bool> inProgress { false };
};
