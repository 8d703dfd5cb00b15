#include "processor/OrvelAudioProcessor.h"
#include "common/SafeXml.h"

#include <locale>
#include <sstream>

namespace StateKeys
{
    static const juce::Identifier presetName { "uiCurrentPresetName" };
    static const juce::Identifier presetIsUser { "uiCurrentPresetIsUser" };
    static const juce::Identifier presetModified { "uiCurrentPresetModified" };
    static const juce::Identifier windowWidth { "uiSavedWindowWidth" };
    static const juce::Identifier windowHeight { "uiSavedWindowHeight" };
    static const juce::Identifier windowSizeSet { "uiSavedWindowSizeSet" };
    static const juce::Identifier param { "PARAM" };
    static const juce::Identifier id { "id" };
    static const juce::Identifier value { "value" };
}

namespace
{
    /** "VC2!" read as a little-endian number: the first four bytes of every state block. */
    constexpr juce::uint32 stateMagicNumber = 0x21324356;

    /** True when a stored parameter value is a finite number, or a text that reads
        entirely as one. */
    bool isFiniteNumber (const juce::var& v)
    {
        if (v.isInt() || v.isInt64() || v.isBool())
            return true;

        if (v.isDouble())
            return std::isfinite ((double) v);

        if (! v.isString())
            return false;

        // Stored states always write a full stop, so the text is read in the classic locale:
        // a host running with a decimal comma must not turn every fractional value into
        // "not a number".
        std::istringstream in (v.toString().trim().toStdString());
        in.imbue (std::locale::classic());
        double d = 0.0;
        in >> d;
        return ! in.fail() && (in >> std::ws).eof() && std::isfinite (d);
    }

    /** Drops every "value" that is not a finite number, so that the parameter falls back
        to its default instead of carrying NaN or infinity into the signal path. */
    void removeNonFiniteValues (juce::ValueTree& state)
    {
        for (auto child : state)
            if (child.hasType (StateKeys::param) && child.hasProperty (StateKeys::value)
                && ! isFiniteNumber (child.getProperty (StateKeys::value)))
                child.removeProperty (StateKeys::value, nullptr);
    }

    /** A stored editor dimension is only taken when it is a finite, positive number. */
    bool isUsableSize (float v) { return std::isfinite (v) && v > 0.0f; }
}

juce::ValueTree OrvelAudioProcessor::captureState()
{
    auto state = parameters.copyState();

    // The parameter tree rewrites a child's "value" only when its parameter moves. A child it
    // added for a missing entry, or one still holding a value the parameter clamped (700 Hz
    // on a filter already at its 500 Hz limit) or refused (not a number), would otherwise be
    // saved as it came in instead of as the parameter holds it.
    for (auto child : state)
    {
        if (! child.hasType (StateKeys::param))
            continue;

        const auto index = ParameterIds::indexOf (child.getProperty (StateKeys::id).toString().toRawUTF8());

        if (index >= 0)
            child.setProperty (StateKeys::value, (double) raw ((ParameterIds::Index) index), nullptr);
    }

    {
        const juce::ScopedLock lock (presetStateLock);
        state.setProperty (StateKeys::presetName, currentPresetName, nullptr);
        state.setProperty (StateKeys::presetIsUser, currentPresetIsUser, nullptr);
    }

    state.setProperty (StateKeys::presetModified, presetModified.load(), nullptr);
    state.setProperty (StateKeys::windowWidth, (double) savedWindowWidth.load(), nullptr);
    state.setProperty (StateKeys::windowHeight, (double) savedWindowHeight.load(), nullptr);
    state.setProperty (StateKeys::windowSizeSet, savedWindowSizeSet.load(), nullptr);
    return state;
}

void OrvelAudioProcessor::applyState (const juce::ValueTree& state, bool restorePresetInfo)
{
    if (! state.isValid())
        return;

    const auto name = state.getProperty (StateKeys::presetName, noPresetName).toString();
    const bool isUser = state.getProperty (StateKeys::presetIsUser, false);
    const bool modified = state.getProperty (StateKeys::presetModified, false);
    const bool sizeSet = state.getProperty (StateKeys::windowSizeSet, false);
    const auto width = (float) (double) state.getProperty (StateKeys::windowWidth, (double) savedWindowWidth.load());
    const auto height = (float) (double) state.getProperty (StateKeys::windowHeight, (double) savedWindowHeight.load());

    // The parameter tree takes the copy as its own live state, so the caller's tree
    // (a host block, a preset file, an undo snapshot) is never modified.
    auto copy = state.createCopy();
    removeNonFiniteValues (copy);

    const bool previousSuppress = suppressModifiedFlag.exchange (true);
    parameters.replaceState (copy);
    suppressModifiedFlag.store (previousSuppress);

    if (restorePresetInfo)
        setPresetInfo (name, isUser, modified);

    if (sizeSet && isUsableSize (width) && isUsableSize (height))
    {
        savedWindowWidth.store (width);
        savedWindowHeight.store (height);
        savedWindowSizeSet.store (true);
    }
    else
    {
        savedWindowSizeSet.store (false);
    }

    // Only the DSP refresh must not overlap a block. replaceState above notifies the host
    // of every parameter it moves, and a host may take its own engine lock in there while
    // its audio thread waits for ours: holding the callback lock across it would stall
    // the audio thread for the whole apply, or deadlock.
    const juce::ScopedLock audioLock (getCallbackLock());
    invalidateDspCaches();
    updateFilters();
    updateCompressors();
    updateReverb();
}

void OrvelAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    if (const auto xml = captureState().createXml())
        copyXmlToBinary (*xml, destData);
}

void OrvelAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // The layout written by copyXmlToBinary: magic number, length, XML text. The text is
    // parsed with a nesting limit, as a damaged block must never take the host down.
    if (data == nullptr || sizeInBytes <= 8 || juce::ByteOrder::littleEndianInt (data) != stateMagicNumber)
        return;

    const auto length = (int) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4));

    if (length <= 0)
        return;

    const auto xml = SafeXml::parse (juce::String::fromUTF8 (static_cast<const char*> (data) + 8, juce::jmin (sizeInBytes - 8, length)));

    if (xml == nullptr)
        return;

    const auto state = juce::ValueTree::fromXml (*xml);

    if (! state.isValid())
        return;

    applyState (state, true);
    undoHistory.clear();
}
