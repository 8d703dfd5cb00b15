// User preset files: whatever a file in the presets folder holds, loading it (and undoing
// and redoing the load) leaves the instance valid.
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize (int*, char***)
{
    FuzzSupport::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    auto& p = FuzzSupport::processor();
    const auto file = p.getPresetStore().getPresetsFolder().getChildFile ("Fuzz.xml");
    file.getParentDirectory().createDirectory();
    FuzzSupport::require (file.replaceWithData (data, size), "the preset file is written");

    const bool loaded = p.loadUserPreset ("Fuzz");
    FuzzSupport::checkInvariants (p);

    if (loaded)
    {
        FuzzSupport::require (p.getCurrentPresetName() == "Fuzz" && p.isCurrentPresetUser(), "a loaded preset is current");
        p.undo();
        FuzzSupport::checkInvariants (p);
        p.redo();
        FuzzSupport::checkInvariants (p);
    }

    return 0;
}
