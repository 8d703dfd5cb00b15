#include "presets/UndoHistory.h"

/** One recorded step: the whole state before and after it. */
class UndoHistory::FullStateUndoAction : public juce::UndoableAction
{
public:
    FullStateUndoAction (UndoHistory& h, juce::ValueTree beforeState, juce::ValueTree afterState)
        : history (h), before (std::move (beforeState)), after (std::move (afterState)) {}

    bool perform() override
    {
        if (firstPerformPending)
        {
            firstPerformPending = false;

            // Recording a step: the state is normally already the "after" state.
            if (after.isValid())
            {
                const auto current = history.capture();

                if (current == after || current.isEquivalentTo (after))
                    return true;
            }
        }

        return applyState (after);
    }

    bool undo() override { return applyState (before); }

    int getSizeInUnits() override { return 1; }

private:
    bool applyState (const juce::ValueTree& state)
    {
        if (! state.isValid())
            return false;

        const bool previous = history.suppressModified.exchange (true);
        history.apply (state);
        history.suppressModified.store (previous);
        history.lastKnownState = state;
        return true;
    }

    UndoHistory& history;
    const juce::ValueTree before, after;
    bool firstPerformPending = true;
};

UndoHistory::UndoHistory (CaptureFunction captureFn, ApplyFunction applyFn, std::atomic<bool>& suppressModifiedFlag)
    : capture (std::move (captureFn)), apply (std::move (applyFn)), suppressModified (suppressModifiedFlag)
{
}

void UndoHistory::beginTransaction (const juce::String& name)
{
    if (inProgress.load() || pending)
        return;

    manager.beginNewTransaction (name);
    snapshot = capture().createCopy();
    pending = true;
}

void UndoHistory::commitTransaction()
{
    if (! pending)
        return;

    auto before = std::move (snapshot);
    snapshot = {};
    pending = false;

    if (! before.isValid())
        return;

    auto after = capture().createCopy();

    if (before == after || before.isEquivalentTo (after))
        return;

    // Consecutive steps usually meet: this step's "before" is the state the previous step
    // left. Holding that tree once instead of twice halves the history's memory. The
    // trees are never modified after capture, so sharing them is safe.
    if (lastKnownState.isValid() && before.isEquivalentTo (lastKnownState))
        before = lastKnownState;

    manager.perform (new FullStateUndoAction (*this, std::move (before), after));
    lastKnownState = after;
}

void UndoHistory::cancelTransaction()
{
    snapshot = {};
    pending = false;
}

void UndoHistory::undo() { step (false); }
void UndoHistory::redo() { step (true); }

void UndoHistory::step (bool forward)
{
    if (forward ? ! manager.canRedo() : ! manager.canUndo())
        return;

    if (inProgress.exchange (true))
        return;

    cancelTransaction();
    suppressModified.store (true);

    if (forward)
        manager.redo();
    else
        manager.undo();

    suppressModified.store (false);
    inProgress.store (false);
}

void UndoHistory::clear()
{
    cancelTransaction();
    manager.clearUndoHistory();
    lastKnownState = {};
}
