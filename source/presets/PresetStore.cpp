#include "presets/PresetStore.h"
#include "common/SafeXml.h"

namespace
{
    const juce::String extension { ".xml" };

    /** True when a name may be used as a file stem as it stands: one path component that
        cannot climb out of the folder or be read as an absolute or home-relative path. */
    bool isPlainFileStem (const juce::String& name)
    {
        return name != "." && name != ".."
            && ! name.containsAnyOf ("/\\")
            && ! name.startsWithChar ('~')
            && ! name.containsChar (0);
    }
}

PresetStore::PresetStore (const ProductInfo& info) : product (info) {}

juce::File PresetStore::getBaseFolder() const
{
    return product.getUserVersionFolder();
}

juce::File PresetStore::getPresetsFolder() const
{
    return getBaseFolder().getChildFile ("Presets");
}

juce::String PresetStore::fileNameFor (const juce::String& presetName)
{
    const auto kept = presetName.trim().retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 _-");
    return kept.isEmpty() ? juce::String ("Preset") : kept;
}

juce::File PresetStore::fileFor (const juce::String& presetName) const
{
    const auto folder = getPresetsFolder();

    if (isPlainFileStem (presetName))
    {
        const auto exact = folder.getChildFile (presetName + extension);

        if (exact.getParentDirectory() == folder && exact.existsAsFile())
            return exact;
    }

    return folder.getChildFile (fileNameFor (presetName) + extension);
}

juce::StringArray PresetStore::listNames() const
{
    juce::StringArray names;
    const auto folder = getPresetsFolder();

    if (! folder.isDirectory())
        return names;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*" + extension))
        names.add (file.getFileNameWithoutExtension());

    names.sort (true);
    return names;
}

bool PresetStore::write (const juce::ValueTree& state, const juce::String& presetName) const
{
    const auto folder = getPresetsFolder();

    if (! folder.isDirectory() && ! folder.createDirectory())
        return false;

    const auto xml = state.createXml();
    return xml != nullptr && xml->writeTo (fileFor (presetName));
}

juce::ValueTree PresetStore::read (const juce::String& presetName) const
{
    if (const auto xml = SafeXml::parse (fileFor (presetName)))
        return juce::ValueTree::fromXml (*xml);

    return {};
}

bool PresetStore::remove (const juce::String& presetName) const
{
    const auto file = fileFor (presetName);
    return file.existsAsFile() && file.deleteFile();
}

bool PresetStore::rename (const juce::String& oldName, const juce::String& newName) const
{
    const auto from = fileFor (oldName);

    if (! from.existsAsFile() || newName.trim().isEmpty())
        return false;

    const auto to = getPresetsFolder().getChildFile (fileNameFor (newName) + extension);

    if (to.getFullPathName() == from.getFullPathName())
        return false; // the preset already has that file name

    // Where the file system ignores case, a new name that differs only in letter case finds
    // the preset's own file as the target. That is the one move allowed onto an existing
    // path; it goes through a temporary name because a direct move would first delete the
    // target, which is the file itself.
    if (to.exists() && to.getFullPathName().equalsIgnoreCase (from.getFullPathName())
        && to.getFileIdentifier() == from.getFileIdentifier())
    {
        const auto temporary = getPresetsFolder().getNonexistentChildFile ("rename", ".tmp", false);

        if (! from.moveFileTo (temporary))
            return false;

        if (temporary.moveFileTo (to))
            return true;

        temporary.moveFileTo (from); // put the preset back under its old name
        return false;
    }

    // Any other existing target, including a listed file that carries the new name exactly
    // or a file of another letter case where names are case-sensitive, is another preset
    // and is never replaced.
    if (to.exists() || fileFor (newName).exists())
        return false;

    return from.moveFileTo (to);
}
