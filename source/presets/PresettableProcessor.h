#pragma once

#include <juce_core/juce_core.h>

/** What the menu bar needs from the processor to list, apply and manage presets and to
    drive undo and redo. */
class PresettableProcessor
{
public:
    virtual ~PresettableProcessor() = default;

    /** The eleven factory preset names, in menu order. */
    virtual juce::StringArray getFactoryPresetNames() const = 0;
    /** The user presets found in the presets folder, sorted case-insensitively. */
    virtual juce::StringArray getUserPresetNames() const = 0;
    /** Applies a factory preset as one undo step. */
    virtual void loadFactoryPreset (const juce::String& name) = 0;
    /** Saves the whole state as a user preset; true when the file was written. */
    virtual bool saveUserPreset (const juce::String& name) = 0;
    /** Applies a user preset, keeping input and output gain; true when one was read and applied. */
    virtual bool loadUserPreset (const juce::String& name) = 0;
    /** Deletes a user preset file; true when it was deleted. */
    virtual bool deleteUserPreset (const juce::String& name) = 0;
    /** Gives a user preset a new name, never replacing another; true when it now has that name. */
    virtual bool renameUserPreset (const juce::String& oldName, const juce::String& newName) = 0;
    /** The file a user preset of this name is read from and written to; it need not exist.
        Two names that differ only in characters the file naming drops share one file, so
        this, not the listed names, tells whether a save would replace an existing preset. */
    virtual juce::File getUserPresetFile (const juce::String& name) const = 0;
    /** Name of the current preset; "Presets" when there is none. */
    virtual juce::String getCurrentPresetName() const = 0;
    /** The current preset's name as shown, followed by " *" when it has been modified. */
    virtual juce::String getPresetDisplayName() const = 0;
    /** Whether the current preset is a user preset. */
    virtual bool isCurrentPresetUser() const = 0;
    /** Whether there is a step to undo. */
    virtual bool canUndo() const = 0;
    /** Whether there is a step to redo. */
    virtual bool canRedo() const = 0;
    /** Steps back one recorded step. */
    virtual void undo() = 0;
    /** Steps forward one undone step. */
    virtual void redo() = 0;
};
