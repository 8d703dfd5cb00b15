#pragma once

#include "common/ProductInfo.h"
#include <juce_data_structures/juce_data_structures.h>

/** User preset files: one XML file per preset in a per-user, per-version folder.
    The store only handles files; the processor decides what a preset does to its state. */
class PresetStore
{
public:
    explicit PresetStore (const ProductInfo& info);

    /** The user's application data folder, then the company, product and version levels. */
    juce::File getBaseFolder() const;

    /** The "Presets" folder inside the base folder (it may not exist yet). */
    juce::File getPresetsFolder() const;

    /** The file-name stem a preset name is written under: trimmed, reduced to letters,
        digits, blank, underscore and hyphen, and "Preset" when nothing is left. */
    static juce::String fileNameFor (const juce::String& presetName);

    /** The file that holds the named preset. A listed file whose stem equals the name
        exactly is found even when the file-name rule would map the name elsewhere. */
    juce::File fileFor (const juce::String& presetName) const;

    /** Stems of the *.xml files directly in the presets folder, sorted case-insensitively. */
    juce::StringArray listNames() const;

    /** Writes the state as the named preset, creating the folder if needed. The file is
        replaced atomically, so a failed write leaves an existing file as it was. */
    bool write (const juce::ValueTree& state, const juce::String& presetName) const;

    /** Reads the named preset; an invalid tree when there is no such file or it is not XML. */
    juce::ValueTree read (const juce::String& presetName) const;

    /** Deletes the named preset's file; true when a file was deleted. */
    bool remove (const juce::String& presetName) const;

    /** Moves a preset to a new name; never replaces an existing preset. */
    bool rename (const juce::String& oldName, const juce::String& newName) const;

private:
    ProductInfo product;
};
