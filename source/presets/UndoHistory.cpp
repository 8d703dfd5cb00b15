#include "presets/UndoHistory.h"
#include "common/ParameterIds.h"

#include <limits>

namespace
{
    const juce::Identifier valueProperty { "value" };

    // Room for what a state holds: the six root properties (preset record and editor size)
    // and one child per parameter. A larger state is kept whole.
    constexpr int maxRootProperties = 6;
    constexpr int maxChildren = (int) ParameterIds::count;

    /** Equality of two stored numbers as juce::var compares doubles, so that two snapshots
        are equal exactly when their trees would be equivalent. */
    bool sameNumber (float a, float b) noexcept
    {
        return std::abs ((double) a - (double) b) < std::numeric_limits<double>::epsilon();
    }
}

/** A state held as the values that vary against the history's layout tree: the root
    properties (preset record, editor size) and each child's "value" as a float. States
    that do not fit the layout are held whole in "tree". */
struct UndoHistory::Snapshot
{
    std::array<juce::var, maxRootProperties> properties;
    std::array<float, maxChildren> values {};
    juce::ValueTree tree;
};

UndoHistory::SnapshotPtr UndoHistory::takeSnapshot()
{
    const auto state = capture();

    if (! state.isValid())
        return nullptr;

    // The layout is the shape of the first state captured: the tree type, the root
    // property names, and the children with every property other than "value".
    const auto fitsLayout = [this] (const juce::ValueTree& s)
    {
        if (! layout.isValid() || ! s.hasType (layout.getType())
            || s.getNumProperties() != layout.getNumProperties() || s.getNumChildren() != layout.getNumChildren())
            return false;

        for (int i = 0; i < s.getNumProperties(); ++i)
            if (s.getPropertyName (i) != layout.getPropertyName (i))
                return false;

        for (int c = 0; c < s.getNumChildren(); ++c)
        {
            const auto child = s.getChild (c), shape = layout.getChild (c);

            if (! child.hasType (shape.getType()) || child.getNumChildren() != 0
                || child.getNumProperties() != shape.getNumProperties())
                return false;

            for (int i = 0; i < child.getNumProperties(); ++i)
            {
                const auto name = child.getPropertyName (i);

                if (name != shape.getPropertyName (i))
                    return false;

                const auto& v = child.getProperty (name);

                if (name == valueProperty ? ! (v.isDouble() && (double) (float) (double) v == (double) v)
                                          : v != shape.getProperty (name))
                    return false;
            }
        }

        return true;
    };

    const auto canBeLayout = [] (const juce::ValueTree& s)
    {
        if (s.getNumProperties() > maxRootProperties || s.getNumChildren() > maxChildren)
            return false;

        for (const auto& child : s)
            if (! child.hasProperty (valueProperty) || child.getNumChildren() != 0)
                return false;

        return true;
    };

    if (! layout.isValid() && canBeLayout (state))
        layout = state.createCopy();

    auto result = std::make_shared<Snapshot>();

    if (! fitsLayout (state))
    {
        result->tree = state.createCopy();
        return result;
    }

    for (int i = 0; i < state.getNumProperties(); ++i)
        result->properties[(size_t) i] = state.getProperty (state.getPropertyName (i));

    for (int c = 0; c < state.getNumChildren(); ++c)
        result->values[(size_t) c] = (float) (double) state.getChild (c).getProperty (valueProperty);

    return result;
}

juce::ValueTree UndoHistory::toTree (const Snapshot& s) const
{
    if (s.tree.isValid())
        return s.tree;

    auto tree = layout.createCopy();

    for (int i = 0; i < tree.getNumProperties(); ++i)
        tree.setProperty (tree.getPropertyName (i), s.properties[(size_t) i], nullptr);

    for (int c = 0; c < tree.getNumChildren(); ++c)
        tree.getChild (c).setProperty (valueProperty, (double) s.values[(size_t) c], nullptr);

    return tree;
}

bool UndoHistory::equivalent (const Snapshot& a, const Snapshot& b) const
{
    if (&a == &b)
        return true;

    if (a.tree.isValid() || b.tree.isValid())
        return toTree (a).isEquivalentTo (toTree (b));

    for (int i = 0; i < layout.getNumProperties(); ++i)
        if (a.properties[(size_t) i] != b.properties[(size_t) i])
            return false;

    for (int c = 0; c < layout.getNumChildren(); ++c)
        if (! sameNumber (a.values[(size_t) c], b.values[(size_t) c]))
            return false;

    return true;
}

//==============================================================================
/** One recorded step: the whole state before and after it. */
class UndoHistory::FullStateUndoAction : public juce::UndoableAction
{
public:
    FullStateUndoAction (UndoHistory& h, SnapshotPtr beforeState, SnapshotPtr afterState)
        : history (h), before (std::move (beforeState)), after (std::move (afterState)) {}

    bool perform() override
    {
        if (firstPerformPending)
        {
            firstPerformPending = false;

            // Recording a step: the state is normally already the "after" state.
            if (after != nullptr)
                if (const auto current = history.takeSnapshot(); current != nullptr && history.equivalent (*current, *after))
                    return true;
        }

        return applyState (after);
    }

    bool undo() override { return applyState (before); }

    int getSizeInUnits() override { return 1; }

private:
    bool applyState (const SnapshotPtr& state)
    {
        if (state == nullptr)
            return false;

        const bool previous = history.suppressModified.exchange (true);
        history.apply (history.toTree (*state));
        history.suppressModified.store (previous);
        history.lastKnownState = state;
        return true;
    }

    UndoHistory& history;
    const SnapshotPtr before, after;
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
    snapshot = takeSnapshot();
    pending = true;
}

void UndoHistory::commitTransaction()
{
    if (! pending)
        return;

    auto before = std::move (snapshot);
    snapshot = nullptr;
    pending = false;

    if (before == nullptr)
        return;

    auto after = takeSnapshot();

    if (after == nullptr || equivalent (*before, *after))
        return;

    // Consecutive steps usually meet: this step's "before" is the state the previous step
    // left. Holding that snapshot once instead of twice halves the history's memory.
    // Snapshots are never modified after capture, so sharing them is safe.
    if (lastKnownState != nullptr && equivalent (*before, *lastKnownState))
        before = lastKnownState;

    manager.perform (new FullStateUndoAction (*this, std::move (before), after));
    lastKnownState = std::move (after);
}

void UndoHistory::cancelTransaction()
{
    snapshot = nullptr;
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
    lastKnownState = nullptr;
    layout = {};
}
