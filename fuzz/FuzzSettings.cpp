// The settings file: whatever it holds, reading it gives one of the known display sizes, and
// a write through the store reads back as written.
#include "FuzzSupport.h"
#include "presets/GuiSettings.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static const ProductInfo info;
    static const juce::StringArray sizes { "50", "75", "100", "125", "150" };

    const auto file = GuiSettings::makeOptions (info).getDefaultFile();
    file.getParentDirectory().createDirectory();
    FuzzSupport::require (file.replaceWithData (data, size), "the settings file is written");

    GuiSettings settings;
    settings.initialise (info);
    (void) settings.isGuiScaleAutoSaveEnabled();
    FuzzSupport::require (sizes.contains (settings.getDefaultGuiScalePreset ("75")), "the stored size is a known size");

    if (settings.setDefaultGuiScalePreset ("125"))
        FuzzSupport::require (settings.getDefaultGuiScalePreset ("75") == "125", "a written size reads back");

    if (settings.setGuiScaleAutoSaveEnabled (true))
        FuzzSupport::require (settings.isGuiScaleAutoSaveEnabled(), "a written switch reads back");

    return 0;
}
