#pragma once

#include "common/ProductInfo.h"
#include <juce_data_structures/juce_data_structures.h>

/** The per-user settings file shared by every instance of this version: whether the
    display size is remembered, and the display size new editors start with. */
class GuiSettings
{
public:
    /** Key of the switch that remembers each display size the user picks. */
    static constexpr const char* autoSaveKey = "guiScaleAutoSaveEnabled";
    /** Key of the display size new editors start with. */
    static constexpr const char* defaultScaleKey = "defaultGuiScalePreset";

    /** Sets the file's location and format from the product record. The file itself is
        opened on first use and only created when something is written. */
    void initialise (const ProductInfo& info);

    /** The settings file, freshly read from disk, or nullptr before initialise() or when it
        cannot be opened safely. Each call reads the file again, so what it returns reflects
        changes made meanwhile by another editor. */
    juce::PropertiesFile* getSettingsFile();

    /** Whether each picked display size is written as the default; false without a file. */
    bool isGuiScaleAutoSaveEnabled();

    /** Writes the auto-save switch and saves at once; false without a file. */
    bool setGuiScaleAutoSaveEnabled (bool enabled);

    /** The stored display size text, normalised, or the normalised fallback. */
    juce::String getDefaultGuiScalePreset (const juce::String& fallback);

    /** Writes a display size text (normalised) and saves at once; false without a file. */
    bool setDefaultGuiScalePreset (const juce::String& text);

    /** Trims and lower-cases a display size text; anything but "50", "75", "100", "125"
        or "150" becomes "100". */
    static juce::String normaliseGuiScaleText (const juce::String& text);

    /** The storage options the settings file is opened with. */
    static juce::PropertiesFile::Options makeOptions (const ProductInfo& info);

private:
    ProductInfo product;
    juce::ApplicationProperties properties;
    bool initialised = false, opened = false;
};
