#include "presets/GuiSettings.h"
#include "common/SafeXml.h"

namespace
{
    // PropertiesFile turns an element inside a value back into text with JUCE's single-line
    // writer, which follows a null line ending (strlen (nullptr)) when an element comes after
    // text and holds elements or long attributes itself. True for a tree with any element
    // after text.
    bool hasElementAfterText (const juce::XmlElement& element)
    {
        bool afterText = false;

        for (const auto* child : element.getChildIterator())
        {
            if (child->isTextElement())
                afterText = true;
            else if (afterText || hasElementAfterText (*child))
                return true;
        }

        return false;
    }

    // Only called on text already found safe for JUCE's parser.
    bool hasValueJuceWouldMisprint (const juce::String& fileText)
    {
        if (const auto xml = juce::parseXML (fileText))
            for (const auto* value : xml->getChildIterator())
                if (hasElementAfterText (*value))
                    return true;

        return false;
    }

    // Each save parses every stored value as XML and keeps those that parse as elements, which
    // the next read prints back to text. Entities in the file decode into any text, so a value
    // can hold markup the parser misreads, or a tree the printer fails on.
    bool hasOnlyValuesJuceCanParse (juce::PropertiesFile& file)
    {
        for (const auto& value : file.getAllProperties().getAllValues())
        {
            if (! SafeXml::isNestingWithinLimit (value) || ! SafeXml::isReadableByJuceParser (value))
                return false;

            if (const auto xml = juce::parseXML (value); xml != nullptr && hasElementAfterText (*xml))
                return false;
        }

        return true;
    }
}

juce::PropertiesFile::Options GuiSettings::makeOptions (const ProductInfo& info)
{
    juce::PropertiesFile::Options options;
    options.applicationName = info.productName;
    options.filenameSuffix = ".settings";
    options.folderName = info.getVersionFolderName();
    options.osxLibrarySubFolder = "Application Support";

   #if JUCE_LINUX || JUCE_BSD
    // On Linux JUCE would put a per-user file in a visible folder of that name straight under
    // the home folder. Keep it beside the presets in the user's configuration folder instead;
    // an absolute folder name is used as it stands.
    options.folderName = info.getUserVersionFolder().getFullPathName();
   #endif
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.processLock = nullptr;
    return options;
}

void GuiSettings::initialise (const ProductInfo& info)
{
    product = info;
    properties.setStorageParameters (makeOptions (product));
    initialised = true;
    opened = false;
}

juce::PropertiesFile* GuiSettings::getSettingsFile()
{
    if (! initialised)
        return nullptr;

    // JUCE parses the file whenever it is read. A file that no parser could read safely (far
    // too large, or nested deep enough to overflow the stack) is left alone, and the store
    // behaves as if there were no file at all. The check runs on every access because
    // another instance, or the user, may replace the file at any time.
    const auto file = makeOptions (product).getDefaultFile();

    if (file.existsAsFile())
    {
        if (file.getSize() > SafeXml::maxFileSize)
            return nullptr;

        // Text JUCE's parser misreads (broken UTF-8, a cut-off character reference) can make
        // it read past the end of the text or loop for ever; such a file is left alone like
        // any other damage. PropertiesFile hands the parser the file's raw bytes, so those
        // are what is checked.
        juce::MemoryBlock content;
        if (! file.loadFileAsData (content) || ! SafeXml::isFileContentReadableByJuceParser (content)
            || hasValueJuceWouldMisprint (juce::String::fromUTF8 (static_cast<const char*> (content.getData()), (int) content.getSize())))
            return nullptr;
    }

    auto* settingsFile = properties.getUserSettings();

    // Every editor of this version shares the file. Read it again before each use, so that a
    // value read or written here is never based on a copy that another editor has since
    // changed: a write saves the whole file, and a stale copy would undo the other's change.
    if (opened && settingsFile != nullptr)
    {
        settingsFile->clear();
        settingsFile->reload();
        settingsFile->setNeedsToBeSaved (false); // clearing marked it changed; nothing new is to be written
    }

    opened = true;

    // A file with a value that the next save or read would choke on counts as damaged too.
    if (settingsFile != nullptr && ! hasOnlyValuesJuceCanParse (*settingsFile))
        return nullptr;

    return settingsFile;
}

bool GuiSettings::isGuiScaleAutoSaveEnabled()
{
    auto* file = getSettingsFile();
    return file != nullptr && file->getBoolValue (autoSaveKey, false);
}

bool GuiSettings::setGuiScaleAutoSaveEnabled (bool enabled)
{
    auto* file = getSettingsFile();

    if (file == nullptr)
        return false;

    file->setValue (autoSaveKey, enabled);
    file->saveIfNeeded();
    return true;
}

juce::String GuiSettings::getDefaultGuiScalePreset (const juce::String& fallback)
{
    const auto normalisedFallback = normaliseGuiScaleText (fallback);
    auto* file = getSettingsFile();

    if (file == nullptr)
        return normalisedFallback;

    return normaliseGuiScaleText (file->getValue (defaultScaleKey, normalisedFallback));
}

bool GuiSettings::setDefaultGuiScalePreset (const juce::String& text)
{
    auto* file = getSettingsFile();

    if (file == nullptr)
        return false;

    file->setValue (defaultScaleKey, normaliseGuiScaleText (text));
    file->saveIfNeeded();
    return true;
}

juce::String GuiSettings::normaliseGuiScaleText (const juce::String& text)
{
    const auto t = text.trim().toLowerCase();
    return juce::StringArray { "50", "75", "100", "125", "150" }.contains (t) ? t : juce::String ("100");
}
