#include "processor/OrvelAudioProcessor.h"
#include "presets/FactoryPresets.h"

void OrvelAudioProcessor::setPresetInfo (const juce::String& name, bool isUser, bool modified)
{
    {
        const juce::ScopedLock lock (presetStateLock);
        currentPresetName = name.isEmpty() ? juce::String (noPresetName) : name;
        currentPresetIsUser = isUser;
    }

    presetModified.store (modified);
}

juce::String OrvelAudioProcessor::getCurrentPresetName() const
{
    const juce::ScopedLock lock (presetStateLock);
    return currentPresetName;
}

bool OrvelAudioProcessor::isCurrentPresetUser() const
{
    const juce::ScopedLock lock (presetStateLock);
    return currentPresetIsUser;
}

juce::String OrvelAudioProcessor::getPresetDisplayName() const
{
    const bool modified = presetModified.load();
    auto name = getCurrentPresetName();

    if (name.isEmpty())
        name = noPresetName;

    return modified ? name + " *" : name;
}

juce::StringArray OrvelAudioProcessor::getFactoryPresetNames() const
{
    juce::StringArray names;

    for (const auto& preset : FactoryPresets::table)
        names.add (preset.name);

    return names;
}

void OrvelAudioProcessor::loadFactoryPreset (const juce::String& name)
{
    beginUndoTransaction ("Factory Preset");
    suppressModifiedFlag.store (true);

    if (const auto* preset = FactoryPresets::find (name.toRawUTF8()))
        for (size_t i = 0; i < FactoryPresets::parameters.size(); ++i)
            setParameterValue (ParameterIds::ids[(size_t) FactoryPresets::parameters[i]], preset->values[i]);

    suppressModifiedFlag.store (false);
    setPresetInfo (name, false, false);
    commitUndoTransaction();
}

//==============================================================================
juce::StringArray OrvelAudioProcessor::getUserPresetNames() const
{
    return presetStore.listNames();
}

juce::File OrvelAudioProcessor::getUserPresetFile (const juce::String& name) const
{
    return presetStore.fileFor (name);
}

bool OrvelAudioProcessor::saveUserPreset (const juce::String& name)
{
    if (! presetStore.write (captureState(), name))
        return false;

    setPresetInfo (name, true, false);
    return true;
}

bool OrvelAudioProcessor::loadUserPreset (const juce::String& name)
{
    const auto state = presetStore.read (name);

    if (! state.isValid())
        return false;

    const float inputGain = getParameterValue (ParameterIds::ids[ParameterIds::inputGain]);
    const float outputGain = getParameterValue (ParameterIds::ids[ParameterIds::outputGain]);

    beginUndoTransaction ("Load User Preset");
    const bool previousSuppress = suppressModifiedFlag.exchange (true);

    applyState (state, false);
    setParameterValue (ParameterIds::ids[ParameterIds::inputGain], inputGain);
    setParameterValue (ParameterIds::ids[ParameterIds::outputGain], outputGain);

    suppressModifiedFlag.store (previousSuppress);
    setPresetInfo (name, true, false);
    commitUndoTransaction();
    return true;
}

bool OrvelAudioProcessor::deleteUserPreset (const juce::String& name)
{
    if (! presetStore.remove (name))
        return false;

    if (isCurrentPresetUser() && getCurrentPresetName() == name)
        setPresetInfo (noPresetName, false, false);

    return true;
}

bool OrvelAudioProcessor::renameUserPreset (const juce::String& oldName, const juce::String& newName)
{
    if (! presetStore.rename (oldName, newName))
        return false;

    if (isCurrentPresetUser() && getCurrentPresetName() == oldName)
        setPresetInfo (newName, true, false);

    return true;
}
