#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <clocale>
#include <functional>
#include <optional>

// Host state: the block layout, a full round trip, and what happens to every kind of
// damaged or foreign block a host may hand back.

namespace
{
    struct ParamValue
    {
        const char* id;
        float value;
    };

    // Construction values of the 26 parameters.
    const std::vector<ParamValue> defaults {
        { "mainBypass", 0.0f }, { "inputGain", 0.0f }, { "outputGain", 0.0f }, { "toneBypass", 0.0f },
        { "hpfFreq", 80.0f }, { "lpfFreq", 20000.0f }, { "lowGain", 0.0f }, { "midGain", 0.0f },
        { "highGain", 0.0f }, { "airGain", 0.0f }, { "compBypass", 0.0f }, { "compThresh", -18.0f },
        { "compRatio", 3.0f }, { "compAttack", 10.0f }, { "compRelease", 80.0f }, { "compMakeup", 0.0f },
        { "characterBypass", 0.0f }, { "deEssFreq", 6000.0f }, { "deEssAmount", 20.0f }, { "satDrive", 0.0f },
        { "satMix", 0.0f }, { "spaceBypass", 0.0f }, { "width", 100.0f }, { "reverbSize", 18.0f },
        { "reverbDamping", 35.0f }, { "reverbMix", 0.0f }
    };

    // A legal, non-default value for every parameter (on the 0.01 grid).
    const std::vector<ParamValue> nonDefaults {
        { "mainBypass", 1.0f }, { "inputGain", 3.25f }, { "outputGain", -6.5f }, { "toneBypass", 1.0f },
        { "hpfFreq", 123.45f }, { "lpfFreq", 9876.54f }, { "lowGain", -3.21f }, { "midGain", 4.56f },
        { "highGain", -7.89f }, { "airGain", 10.11f }, { "compBypass", 1.0f }, { "compThresh", -33.33f },
        { "compRatio", 7.77f }, { "compAttack", 0.55f }, { "compRelease", 321.98f }, { "compMakeup", 12.34f },
        { "characterBypass", 1.0f }, { "deEssFreq", 4321.09f }, { "deEssAmount", 55.55f }, { "satDrive", 21.5f },
        { "satMix", 66.66f }, { "spaceBypass", 1.0f }, { "width", 177.77f }, { "reverbSize", 44.44f },
        { "reverbDamping", 88.88f }, { "reverbMix", 33.33f }
    };

    constexpr float tolerance = 0.002f;

    juce::MemoryBlock blockOf (OrvelAudioProcessor& p)
    {
        juce::MemoryBlock block;
        p.getStateInformation (block);
        return block;
    }

    /** Magic, length field and XML text, optionally with a length field that lies and with
        only the first `keepBytes` bytes of the text present. */
    juce::MemoryBlock makeBlock (const juce::String& xmlText, std::optional<juce::int32> lengthField = {},
                                 std::optional<size_t> keepBytes = {}, juce::uint32 magic = 0x21324356)
    {
        const auto utf8 = xmlText.toStdString();
        const auto length = lengthField.value_or ((juce::int32) utf8.size());
        const auto kept = keepBytes.value_or (utf8.size() + 1); // text plus its trailing zero

        juce::MemoryOutputStream out;
        out.writeInt ((int) magic);
        out.writeInt (length);
        out.write (utf8.c_str(), juce::jmin (kept, utf8.size() + 1));
        return out.getMemoryBlock();
    }

    void applyBlock (OrvelAudioProcessor& p, const juce::MemoryBlock& block)
    {
        p.setStateInformation (block.getData(), (int) block.getSize());
    }

    std::unique_ptr<juce::XmlElement> xmlOfBlock (const juce::MemoryBlock& block)
    {
        if (block.getSize() <= 8)
            return {};

        const auto length = (size_t) juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (block.getData(), 4));
        return juce::parseXML (juce::String::fromUTF8 (static_cast<const char*> (block.getData()) + 8, (int) length));
    }

    juce::XmlElement* paramChild (juce::XmlElement& root, const juce::String& id)
    {
        for (auto* child : root.getChildWithTagNameIterator ("PARAM"))
            if (child->getStringAttribute ("id") == id)
                return child;

        return nullptr;
    }

    float value (OrvelAudioProcessor& p, const char* id) { return p.getParameterValue (id); }

    /** A state from a processor with a few recognisable values, as single-line XML. */
    std::unique_ptr<juce::XmlElement> sourceStateXml()
    {
        OrvelAudioProcessor src;
        src.setParameterValue ("compThresh", -40.0f);
        src.setParameterValue ("hpfFreq", 200.0f);
        src.setPresetInfo ("Song", false, false);
        src.savedWindowWidth = 1000.0f;
        src.savedWindowHeight = 560.0f;
        src.savedWindowSizeSet = true;
        return src.captureState().createXml();
    }

    juce::String text (const juce::XmlElement& xml)
    {
        return xml.toString (juce::XmlElement::TextFormat().singleLine());
    }

    /** The target of every damaged-block case: distinct values, a preset record, a saved
        size and one recorded undo step, so that any unwanted change is visible. */
    void prepareTarget (OrvelAudioProcessor& p)
    {
        p.beginUndoTransaction ("Adjust threshold");
        p.setParameterValue ("compThresh", -30.0f);
        p.setParameterValue ("hpfFreq", 120.0f);
        p.commitUndoTransaction();
        p.setPresetInfo ("Before", true, true);
        p.savedWindowWidth = 900.0f;
        p.savedWindowHeight = 500.0f;
        p.savedWindowSizeSet = true;
        ASSERT_TRUE (p.canUndo());
    }

    void expectUntouched (OrvelAudioProcessor& p)
    {
        EXPECT_NEAR (value (p, "compThresh"), -30.0f, tolerance);
        EXPECT_NEAR (value (p, "hpfFreq"), 120.0f, tolerance);
        EXPECT_EQ (p.getPresetDisplayName(), "Before *");
        EXPECT_TRUE (p.isCurrentPresetUser());
        EXPECT_TRUE (p.savedWindowSizeSet.load());
        EXPECT_FLOAT_EQ (p.savedWindowWidth.load(), 900.0f);
        EXPECT_FLOAT_EQ (p.savedWindowHeight.load(), 500.0f);
        EXPECT_TRUE (p.canUndo());
    }
}

TEST (HostState, FreshBlockLayoutAndContent)
{
    OrvelAudioProcessor p;
    const auto block = blockOf (p);
    ASSERT_GT (block.getSize(), 9u);

    const auto* bytes = static_cast<const char*> (block.getData());
    EXPECT_EQ (std::string (bytes, 4), "VC2!");

    const auto length = (size_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    EXPECT_EQ (block.getSize(), length + 9);
    EXPECT_EQ (bytes[8 + length], 0);

    const std::string xmlText (bytes + 8, length);
    EXPECT_EQ (xmlText.find_first_of ("\r\n"), std::string::npos);
    EXPECT_EQ (xmlText.rfind ("<?xml", 0), 0u);
    EXPECT_EQ (xmlText.find ('\0'), std::string::npos);

    const auto xml = juce::parseXML (juce::String::fromUTF8 (xmlText.c_str(), (int) xmlText.size()));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getTagName(), "PARAMETERS");

    const std::vector<std::pair<const char*, const char*>> attributes {
        { "uiCurrentPresetName", "Presets" }, { "uiCurrentPresetIsUser", "0" }, { "uiCurrentPresetModified", "0" },
        { "uiSavedWindowWidth", "1200.0" }, { "uiSavedWindowHeight", "600.0" }, { "uiSavedWindowSizeSet", "0" }
    };
    ASSERT_EQ (xml->getNumAttributes(), (int) attributes.size());

    for (int i = 0; i < (int) attributes.size(); ++i)
    {
        EXPECT_EQ (xml->getAttributeName (i), attributes[(size_t) i].first) << "attribute order";
        EXPECT_EQ (xml->getAttributeValue (i), attributes[(size_t) i].second) << attributes[(size_t) i].first;
    }

    EXPECT_EQ (xml->getNumChildElements(), 26);

    for (const auto& d : defaults)
    {
        const auto* child = paramChild (*xml, d.id);
        ASSERT_NE (child, nullptr) << d.id;
        ASSERT_TRUE (child->hasAttribute ("value")) << d.id;
        EXPECT_NEAR (child->getDoubleAttribute ("value"), d.value, 1.0e-3) << d.id;
    }
}

TEST (HostState, RoundTripRestoresParametersPresetRecordAndSize)
{
    OrvelAudioProcessor src;

    for (const auto& v : nonDefaults)
        src.setParameterValue (v.id, v.value);

    src.setPresetInfo ("Lead (take 3)", true, true);
    src.savedWindowWidth = 1012.5f;
    src.savedWindowHeight = 547.25f;
    src.savedWindowSizeSet = true;

    const auto block = blockOf (src);

    OrvelAudioProcessor dst;
    dst.beginUndoTransaction ("Adjust width");
    dst.setParameterValue ("width", 20.0f);
    dst.commitUndoTransaction();
    dst.beginUndoTransaction ("Adjust mix"); // left open: a restore must drop it
    dst.setParameterValue ("reverbMix", 50.0f);
    ASSERT_TRUE (dst.canUndo());

    applyBlock (dst, block);

    for (const auto& v : nonDefaults)
        EXPECT_NEAR (value (dst, v.id), v.value, tolerance) << v.id;

    EXPECT_EQ (dst.getCurrentPresetName(), "Lead (take 3)");
    EXPECT_EQ (dst.getPresetDisplayName(), "Lead (take 3) *");
    EXPECT_TRUE (dst.isCurrentPresetUser());
    EXPECT_TRUE (dst.savedWindowSizeSet.load());
    EXPECT_FLOAT_EQ (dst.savedWindowWidth.load(), 1012.5f);
    EXPECT_FLOAT_EQ (dst.savedWindowHeight.load(), 547.25f);
    EXPECT_FALSE (dst.canUndo());
    EXPECT_FALSE (dst.canRedo());

    dst.commitUndoTransaction();
    EXPECT_FALSE (dst.canUndo()) << "the transaction open before the restore was dropped";

    // Saving again gives the same block.
    EXPECT_TRUE (blockOf (dst) == block);
}

namespace
{
    struct BlockCase
    {
        const char* name;
        std::function<juce::MemoryBlock()> make;
        bool applied;
        std::function<void (OrvelAudioProcessor&)> check;
    };

    juce::String withParamValue (const juce::String& id, const juce::String& newValue)
    {
        auto xml = sourceStateXml();
        paramChild (*xml, id)->setAttribute ("value", newValue);
        return text (*xml);
    }

    juce::String withRootAttribute (const juce::String& name, const juce::String& newValue)
    {
        auto xml = sourceStateXml();
        xml->setAttribute (name, newValue);
        return text (*xml);
    }

    void expectSourceApplied (OrvelAudioProcessor& p)
    {
        EXPECT_NEAR (value (p, "compThresh"), -40.0f, tolerance);
        EXPECT_NEAR (value (p, "hpfFreq"), 200.0f, tolerance);
        EXPECT_EQ (p.getPresetDisplayName(), "Song");
        EXPECT_FALSE (p.isCurrentPresetUser());
        EXPECT_TRUE (p.savedWindowSizeSet.load());
        EXPECT_FLOAT_EQ (p.savedWindowWidth.load(), 1000.0f);
        EXPECT_FLOAT_EQ (p.savedWindowHeight.load(), 560.0f);
    }

    void expectSizeFlagClearedAndSizeKept (OrvelAudioProcessor& p)
    {
        EXPECT_FALSE (p.savedWindowSizeSet.load());
        EXPECT_FLOAT_EQ (p.savedWindowWidth.load(), 900.0f);
        EXPECT_FLOAT_EQ (p.savedWindowHeight.load(), 500.0f);
    }

    std::vector<BlockCase> blockCases()
    {
        const auto valid = [] { return text (*sourceStateXml()); };
        const auto validBytes = [valid] { return (size_t) valid().getNumBytesAsUTF8(); };

        std::vector<BlockCase> cases {
            { "empty", [] { return juce::MemoryBlock(); }, false, {} },
            { "four bytes", [] { return juce::MemoryBlock ("VC2!", 4); }, false, {} },
            { "exactly eight bytes", [valid] { return makeBlock (valid(), {}, 0); }, false, {} },
            { "wrong magic", [valid] { return makeBlock (valid(), {}, {}, 0x21324357); }, false, {} },
            { "length zero", [valid] { return makeBlock (valid(), 0); }, false, {} },
            { "negative length", [valid] { return makeBlock (valid(), -5); }, false, {} },
            { "truncated xml", [valid, validBytes] { return makeBlock (valid(), {}, validBytes() / 2); }, false, {} },
            { "not xml", [] { return makeBlock ("this is not a state"); }, false, {} },

            { "length larger than the data", [valid, validBytes] { return makeBlock (valid(), (juce::int32) validBytes() + 1000); }, true,
              expectSourceApplied },
            { "missing preset properties",
              [] {
                  auto xml = sourceStateXml();
                  for (auto* n : { "uiCurrentPresetName", "uiCurrentPresetIsUser", "uiCurrentPresetModified" })
                      xml->removeAttribute (n);
                  return makeBlock (text (*xml));
              },
              true,
              [] (OrvelAudioProcessor& p) {
                  EXPECT_EQ (p.getCurrentPresetName(), "Presets");
                  EXPECT_EQ (p.getPresetDisplayName(), "Presets");
                  EXPECT_FALSE (p.isCurrentPresetUser());
                  EXPECT_NEAR (value (p, "compThresh"), -40.0f, tolerance);
              } },
            { "modified flag set", [] { return makeBlock (withRootAttribute ("uiCurrentPresetModified", "1")); }, true,
              [] (OrvelAudioProcessor& p) { EXPECT_EQ (p.getPresetDisplayName(), "Song *"); } },
            { "missing compThresh child",
              [] {
                  auto xml = sourceStateXml();
                  xml->removeChildElement (paramChild (*xml, "compThresh"), true);
                  return makeBlock (text (*xml));
              },
              true,
              [] (OrvelAudioProcessor& p) {
                  EXPECT_NEAR (value (p, "compThresh"), -18.0f, tolerance);
                  EXPECT_NEAR (value (p, "hpfFreq"), 200.0f, tolerance);
              } },
            { "hpfFreq above its range", [] { return makeBlock (withParamValue ("hpfFreq", "700")); }, true,
              [] (OrvelAudioProcessor& p) { EXPECT_NEAR (value (p, "hpfFreq"), 500.0f, tolerance); } },
            { "size flag cleared", [] { return makeBlock (withRootAttribute ("uiSavedWindowSizeSet", "0")); }, true,
              expectSizeFlagClearedAndSizeKept },
        };

        // Stored editor sizes that cannot be used clear the flag and keep the previous size.
        for (const auto* bad : { "inf", "nan", "0", "-3", "abc" })
            for (const auto* dimension : { "uiSavedWindowWidth", "uiSavedWindowHeight" })
                cases.push_back ({ "unusable saved size", [bad, dimension] { return makeBlock (withRootAttribute (dimension, bad)); }, true,
                                   [] (OrvelAudioProcessor& p) {
                                       expectSizeFlagClearedAndSizeKept (p);
                                       EXPECT_NEAR (value (p, "compThresh"), -40.0f, tolerance);
                                   } });

        // A parameter value that is not a finite number stands for the default.
        for (const auto* bad : { "nan", "inf", "-inf", "1e999", "abc", "" })
            cases.push_back ({ "non-finite parameter value", [bad] { return makeBlock (withParamValue ("compThresh", bad)); }, true,
                               [] (OrvelAudioProcessor& p) {
                                   EXPECT_NEAR (value (p, "compThresh"), -18.0f, tolerance);
                                   EXPECT_NEAR (value (p, "hpfFreq"), 200.0f, tolerance);
                               } });

        return cases;
    }
}

TEST (HostState, DamagedAndUnusualBlocks)
{
    for (const auto& c : blockCases())
    {
        SCOPED_TRACE (c.name);
        OrvelAudioProcessor p;
        prepareTarget (p);

        applyBlock (p, c.make());

        if (! c.applied)
        {
            expectUntouched (p);
            continue;
        }

        c.check (p);
        EXPECT_FALSE (p.canUndo());
        EXPECT_FALSE (p.canRedo());

        // Whatever came in, the next save holds a finite value for every parameter,
        // equal to what the parameter now holds.
        const auto saved = xmlOfBlock (blockOf (p));
        ASSERT_NE (saved, nullptr);

        for (const auto& d : defaults)
        {
            const auto* child = paramChild (*saved, d.id);
            ASSERT_NE (child, nullptr) << d.id;
            ASSERT_TRUE (child->hasAttribute ("value")) << d.id;
            const auto v = child->getDoubleAttribute ("value");
            EXPECT_TRUE (std::isfinite (v)) << d.id;
            EXPECT_NEAR (v, value (p, d.id), 1.0e-3) << d.id;
        }
    }
}

TEST (HostState, ForeignRootTagIsAppliedAndWrittenBack)
{
    OrvelAudioProcessor p;
    prepareTarget (p);

    juce::XmlElement foreign ("SOMEOTHERPLUGIN");
    auto* child = foreign.createNewChildElement ("PARAM");
    child->setAttribute ("id", "compThresh");
    child->setAttribute ("value", -42.5);
    auto* unknown = foreign.createNewChildElement ("PARAM");
    unknown->setAttribute ("id", "notOurs");
    unknown->setAttribute ("value", 7.0);

    applyBlock (p, makeBlock (text (foreign)));

    EXPECT_NEAR (value (p, "compThresh"), -42.5f, tolerance);
    EXPECT_NEAR (value (p, "hpfFreq"), 80.0f, tolerance) << "parameters without a child return to their default";
    EXPECT_EQ (p.getPresetDisplayName(), "Presets");
    EXPECT_FALSE (p.canUndo());

    const auto saved = xmlOfBlock (blockOf (p));
    ASSERT_NE (saved, nullptr);
    EXPECT_EQ (saved->getTagName(), "SOMEOTHERPLUGIN");
    EXPECT_NE (paramChild (*saved, "notOurs"), nullptr) << "unknown children stay in the tree";

    for (const auto& d : defaults)
    {
        const auto* c = paramChild (*saved, d.id);
        ASSERT_NE (c, nullptr) << d.id;
        EXPECT_NEAR (c->getDoubleAttribute ("value", 1.0e9), value (p, d.id), 1.0e-3) << d.id;
    }
}

TEST (HostState, ValueAlreadyAtTheClampedEndIsSavedAsTheParameterHoldsIt)
{
    // The parameter tree only rewrites a child's value when the parameter moves; a state
    // that asks for 700 Hz while the filter already sits at 500 Hz must still save 500.
    OrvelAudioProcessor p;
    p.setParameterValue ("hpfFreq", 500.0f);
    p.setParameterValue ("compThresh", -18.0f);

    auto xml = p.captureState().createXml();
    paramChild (*xml, "hpfFreq")->setAttribute ("value", "700");
    paramChild (*xml, "compThresh")->setAttribute ("value", "nan");
    applyBlock (p, makeBlock (text (*xml)));

    const auto saved = xmlOfBlock (blockOf (p));
    ASSERT_NE (saved, nullptr);
    EXPECT_NEAR (paramChild (*saved, "hpfFreq")->getDoubleAttribute ("value"), 500.0, 1.0e-3);
    ASSERT_TRUE (paramChild (*saved, "compThresh")->hasAttribute ("value"));
    EXPECT_NEAR (paramChild (*saved, "compThresh")->getDoubleAttribute ("value"), -18.0, 1.0e-3);
}

TEST (HostState, CapturedStateIsIndependentOfTheLiveTree)
{
    OrvelAudioProcessor p;
    const auto before = p.captureState();
    p.setParameterValue ("width", 150.0f);
    p.setPresetInfo ("Other", true, true);
    const auto after = p.captureState();

    EXPECT_FALSE (before.isEquivalentTo (after));
    EXPECT_EQ (before.getProperty ("uiCurrentPresetName").toString(), "Presets");
    EXPECT_NEAR ((double) before.getChildWithProperty ("id", "width").getProperty ("value"), 100.0, 1.0e-3);

    // Applying a tree never adopts the caller's object as the live state.
    auto applied = after.createCopy();
    p.applyState (applied, true);
    p.setParameterValue ("width", 10.0f);
    (void) p.captureState(); // the parameter tree writes moved values into its live tree here
    EXPECT_NEAR ((double) applied.getChildWithProperty ("id", "width").getProperty ("value"), 150.0, 1.0e-3);
}

TEST (HostState, NumbersOfEveryKindInAHandBuiltTreeAreTaken)
{
    // Trees built in code (not parsed from text) carry typed values.
    OrvelAudioProcessor p;
    auto state = p.captureState();
    state.getChildWithProperty ("id", "compBypass").setProperty ("value", true, nullptr);
    state.getChildWithProperty ("id", "toneBypass").setProperty ("value", 1, nullptr);
    state.getChildWithProperty ("id", "compRelease").setProperty ("value", (juce::int64) 250, nullptr);
    state.getChildWithProperty ("id", "width").setProperty ("value", 42.5, nullptr);
    state.getChildWithProperty ("id", "compThresh").setProperty ("value", " -20.5 ", nullptr);

    p.applyState (state, true);
    EXPECT_EQ (p.getParameterValue ("compBypass"), 1.0f);
    EXPECT_EQ (p.getParameterValue ("toneBypass"), 1.0f);
    EXPECT_NEAR (p.getParameterValue ("compRelease"), 250.0f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("width"), 42.5f, tolerance);
    EXPECT_NEAR (p.getParameterValue ("compThresh"), -20.5f, tolerance);
}

TEST (HostState, RestoreIsIndependentOfTheHostsNumericLocale)
{
    // Some hosts switch the C library to the user's locale; with a decimal comma, a
    // locale-bound reader would take "-33.33" for something that is not a number.
    const std::string previous = std::setlocale (LC_NUMERIC, nullptr);
    struct RestoreLocale
    {
        std::string name;
        ~RestoreLocale() { std::setlocale (LC_NUMERIC, name.c_str()); }
    } restoreLocale { previous };

    OrvelAudioProcessor src;

    for (const auto& v : nonDefaults)
        src.setParameterValue (v.id, v.value);

    bool commaLocale = false;

    for (const auto* name : { "de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR" })
        if (std::setlocale (LC_NUMERIC, name) != nullptr && std::localeconv()->decimal_point[0] == ',')
        {
            commaLocale = true;
            break;
        }

    if (! commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma is installed";

    const auto block = blockOf (src);
    OrvelAudioProcessor dst;
    applyBlock (dst, block);

    for (const auto& v : nonDefaults)
        EXPECT_NEAR (value (dst, v.id), v.value, tolerance) << v.id;
}
