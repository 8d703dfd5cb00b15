#include "presets/GuiSettings.h"
#include "presets/PresetStore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

// The per-user settings file: display-size texts, defaults, immediate saving and damaged files.

namespace
{
    // The settings file sits in the same version folder as the presets folder, under the
    // user's application data folder.
    juce::File expectedSettingsFile (const TestSupport::ScopedConfigHome& home)
    {
        return home.getFolder().getChildFile ("CorvaneAudio/Orvel/version_2.0.0/Orvel.settings");
    }

    /** Writes a settings file by hand, as an earlier session (or a user) left it. */
    void writeStoredScale (const juce::File& file, const juce::String& storedText)
    {
        juce::XmlElement root ("PROPERTIES");
        auto* v = root.createNewChildElement ("VALUE");
        v->setAttribute ("name", "defaultGuiScalePreset");
        v->setAttribute ("val", storedText);
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        ASSERT_TRUE (root.writeTo (file));
    }
}

TEST (GuiSettingsText, Normalising)
{
    const std::pair<const char*, const char*> cases[] {
        { "50", "50" }, { "75", "75" }, { "100", "100" }, { "125", "125" }, { "150", "150" },
        { "  125\t", "125" }, { " 150 ", "150" }, { "fullscreen", "100" }, { "FULLSCREEN", "100" },
        { "110", "100" }, { "", "100" }, { "75%", "100" }, { "0.75", "100" }, { "1 50", "100" },
    };

    for (const auto& [in, out] : cases)
        EXPECT_EQ (GuiSettings::normaliseGuiScaleText (in), out) << '"' << in << '"';
}

TEST (GuiSettingsStore, UninitialisedStoreReadsDefaultsAndRefusesWrites)
{
    TestSupport::ScopedConfigHome home;
    GuiSettings s;

    EXPECT_EQ (s.getSettingsFile(), nullptr);
    EXPECT_FALSE (s.isGuiScaleAutoSaveEnabled());
    EXPECT_EQ (s.getDefaultGuiScalePreset ("100"), "100");
    EXPECT_EQ (s.getDefaultGuiScalePreset (" 75 "), "75") << "the fallback is normalised too";
    EXPECT_EQ (s.getDefaultGuiScalePreset ("fullscreen"), "100");
    EXPECT_FALSE (s.setGuiScaleAutoSaveEnabled (true));
    EXPECT_FALSE (s.setDefaultGuiScalePreset ("150"));

    EXPECT_TRUE (home.getHomeFolder().findChildFiles (juce::File::findFiles, true).isEmpty())
        << "nothing was written";
}

TEST (GuiSettingsStore, FileLocationAndDefaults)
{
    TestSupport::ScopedConfigHome home;
    GuiSettings s;
    s.initialise (ProductInfo {});

    auto* file = s.getSettingsFile();
    ASSERT_NE (file, nullptr);
    ASSERT_EQ (file->getFile(), expectedSettingsFile (home));
    ASSERT_TRUE (file->getFile().isAChildOf (home.getHomeFolder()));
    EXPECT_EQ (file->getFile().getParentDirectory(), PresetStore (ProductInfo {}).getPresetsFolder().getParentDirectory());

    EXPECT_FALSE (s.isGuiScaleAutoSaveEnabled());
    EXPECT_EQ (s.getDefaultGuiScalePreset ("100"), "100");
    EXPECT_FALSE (expectedSettingsFile (home).exists()) << "reading never creates the file";
}

TEST (GuiSettingsStore, WritesAreSavedAtOnce)
{
    TestSupport::ScopedConfigHome home;
    GuiSettings s;
    s.initialise (ProductInfo {});
    ASSERT_EQ (s.getSettingsFile()->getFile(), expectedSettingsFile (home));

    ASSERT_TRUE (s.setGuiScaleAutoSaveEnabled (true));
    ASSERT_TRUE (expectedSettingsFile (home).existsAsFile());
    ASSERT_TRUE (s.setDefaultGuiScalePreset (" 150 "));

    {
        GuiSettings other; // a second editor reads what the first one wrote
        other.initialise (ProductInfo {});
        EXPECT_TRUE (other.isGuiScaleAutoSaveEnabled());
        EXPECT_EQ (other.getDefaultGuiScalePreset ("100"), "150");
    }

    ASSERT_TRUE (s.setDefaultGuiScalePreset ("75"));
    ASSERT_TRUE (s.setGuiScaleAutoSaveEnabled (false));

    const auto xml = juce::parseXML (expectedSettingsFile (home));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getChildByAttribute ("name", "defaultGuiScalePreset")->getStringAttribute ("val"), "75");

    GuiSettings later;
    later.initialise (ProductInfo {});
    EXPECT_FALSE (later.isGuiScaleAutoSaveEnabled());
    EXPECT_EQ (later.getDefaultGuiScalePreset ("100"), "75") << "turning auto-save off keeps the last size";
}

TEST (GuiSettingsStore, StoredTextsAreNormalisedOnRead)
{
    const std::pair<const char*, const char*> cases[] {
        { "  125  ", "125" }, { "fullscreen", "100" }, { "110", "100" }, { "75", "75" }, { "50", "50" },
    };

    for (const auto& [stored, read] : cases)
    {
        TestSupport::ScopedConfigHome home;
        writeStoredScale (expectedSettingsFile (home), stored);

        GuiSettings s;
        s.initialise (ProductInfo {});
        EXPECT_EQ (s.getDefaultGuiScalePreset ("100"), read) << '"' << stored << '"';
    }
}

TEST (GuiSettingsStore, CorruptFileReadsAsDefaults)
{
    TestSupport::ScopedConfigHome home;
    const auto file = expectedSettingsFile (home);
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    const char garbage[] { '\x00', '\x7f', '\xff', '<', 'P', 'R', '\x01', '>', '\xfe', '\x10' };
    ASSERT_TRUE (file.replaceWithData (garbage, sizeof (garbage)));

    GuiSettings s;
    s.initialise (ProductInfo {});
    EXPECT_FALSE (s.isGuiScaleAutoSaveEnabled());
    EXPECT_EQ (s.getDefaultGuiScalePreset ("100"), "100");

    // The store stays usable: a write replaces the damaged file.
    ASSERT_TRUE (s.setDefaultGuiScalePreset ("125"));
    GuiSettings other;
    other.initialise (ProductInfo {});
    EXPECT_EQ (other.getDefaultGuiScalePreset ("100"), "125");
}

TEST (GuiSettingsStore, FileNestedTooDeeplyIsLeftAloneAndReadsAsDefaults)
{
    TestSupport::ScopedConfigHome home;
    const auto file = expectedSettingsFile (home);
    ASSERT_TRUE (file.getParentDirectory().createDirectory());

    // Deep enough to overflow the stack of a recursive parser.
    const auto bomb = "<?xml version=\"1.0\"?>" + juce::String::repeatedString ("<PROPERTIES>", 200000);
    ASSERT_TRUE (file.replaceWithText (bomb));

    GuiSettings s;
    s.initialise (ProductInfo {});
    EXPECT_EQ (s.getSettingsFile(), nullptr);
    EXPECT_FALSE (s.isGuiScaleAutoSaveEnabled());
    EXPECT_EQ (s.getDefaultGuiScalePreset ("150"), "150");
    EXPECT_FALSE (s.setDefaultGuiScalePreset ("75"));
    EXPECT_EQ (file.loadFileAsString(), bomb) << "the file is not touched";
}

TEST (GuiSettingsStore, FileJuceWouldMisreadIsLeftAloneAndReadsAsDefaults)
{
    // Each was found by fuzzing the settings file: JUCE's parser read past the end of its
    // buffer or never returned, on reading the file or on saving it.
    const char* const damagedFiles[] {
        // Cut off inside a character reference, as a crash while saving leaves it.
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"defaultGuiScalePreset\" val=\"75&#x",
        // A last byte that is not UTF-8: read raw, it makes the parser step over the end.
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"defaultGuiScalePreset\" val=\"75\"/>\xff",
        // A processing instruction followed by text inside the document element.
        "<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <?p?>x\n</PROPERTIES>\n",
        // Values whose entities decode into such markup, which JUCE parses on every save.
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"x\" val=\"&lt;a&gt;&amp;#x\"/></PROPERTIES>",
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"x\" val=\"&lt;a&gt;&lt;?p?&gt;x&lt;/a&gt;\"/></PROPERTIES>",
        // An element after text inside a value, which JUCE prints back to text following a
        // null pointer; as elements in the file, and as a value that a save turns into them.
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"x\"><a>t<b><c/></b></a></VALUE></PROPERTIES>",
        "<?xml version=\"1.0\"?><PROPERTIES><VALUE name=\"x\" val=\"&lt;a&gt;t&lt;b&gt;&lt;c/&gt;&lt;/b&gt;&lt;/a&gt;\"/></PROPERTIES>",
    };

    for (const auto* damaged : damagedFiles)
    {
        SCOPED_TRACE (damaged);
        TestSupport::ScopedConfigHome home;
        const auto file = expectedSettingsFile (home);
        ASSERT_TRUE (file.getParentDirectory().createDirectory());
        const juce::MemoryBlock bytes (damaged, std::strlen (damaged));
        ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));

        GuiSettings s;
        s.initialise (ProductInfo {});
        EXPECT_EQ (s.getSettingsFile(), nullptr);
        EXPECT_EQ (s.getDefaultGuiScalePreset ("150"), "150");
        EXPECT_FALSE (s.setDefaultGuiScalePreset ("50"));

        juce::MemoryBlock after;
        ASSERT_TRUE (file.loadFileAsData (after));
        EXPECT_EQ (after, bytes) << "the file is not touched";
    }
}
