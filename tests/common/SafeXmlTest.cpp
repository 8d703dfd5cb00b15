#include "common/SafeXml.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

// Documents from outside are refused before parsing when they nest deeper than any state
// Orvel writes; JUCE's recursive parser would otherwise overflow the stack.

namespace
{
    juce::String nested (int depth, const char* open = "<a>", const char* close = "</a>")
    {
        juce::MemoryOutputStream out;
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

        for (int i = 0; i < depth; ++i)
            out << open;

        for (int i = 0; i < depth; ++i)
            out << close;

        return out.toString();
    }

    juce::MemoryBlock stateBlockOf (const juce::String& xmlText)
    {
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        out.writeInt (0x21324356);
        out.writeInt ((int) xmlText.getNumBytesAsUTF8());
        out << xmlText;
        out.writeByte (0);
        return block;
    }
}

TEST (SafeXml, NestingLimitTable)
{
    struct Case { const char* name; juce::String text; bool accepted; };
    const Case cases[] {
        { "flat document", "<a x=\"1\"><b/><b/><b/></a>", true },
        { "at the limit", nested (SafeXml::maxDepth), true },
        { "one level beyond", nested (SafeXml::maxDepth + 1), false },
        { "self-closing children do not nest", "<a>" + juce::String::repeatedString ("<b/>", 10000) + "</a>", true },
        { "quoted > and / inside attributes", nested (SafeXml::maxDepth, "<a v=\"x/>y\" w='/'>"), true },
        { "comments and declarations do not count", "<!-- c --><?pi x?><a><!-- <b/> --></a>", true },
    };

    for (const auto& c : cases)
        EXPECT_EQ (SafeXml::isNestingWithinLimit (c.text), c.accepted) << c.name;

    // The processor's own state passes.
    OrvelAudioProcessor p;
    EXPECT_TRUE (SafeXml::isNestingWithinLimit (p.captureState().toXmlString()));
    EXPECT_NE (SafeXml::parse (p.captureState().toXmlString()), nullptr);
}

TEST (SafeXml, DeeplyNestedStateBlockAndPresetFileAreRefusedWithoutHarm)
{
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor p;
    p.setParameterValue ("width", 150.0f);
    p.beginUndoTransaction ("Adjust threshold");
    p.setParameterValue ("compThresh", -30.0f);
    p.commitUndoTransaction();

    // Deep enough to overflow the stack of a recursive parser.
    const auto bomb = nested (200000);

    const auto block = stateBlockOf (bomb);
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (p.getParameterValue ("width"), 150.0f);
    EXPECT_FLOAT_EQ (p.getParameterValue ("compThresh"), -30.0f);
    EXPECT_TRUE (p.canUndo()) << "a refused block leaves the history alone";

    const auto folder = p.getPresetStore().getPresetsFolder();
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (folder.getChildFile ("Deep.xml").replaceWithText (bomb));
    EXPECT_FALSE (p.loadUserPreset ("Deep"));

    // A file far larger than any preset is not read at all.
    juce::MemoryOutputStream big;
    big << "<?xml version=\"1.0\"?><PARAMETERS note=\"" << juce::String::repeatedString ("x", (int) SafeXml::maxFileSize) << "\"/>";
    ASSERT_TRUE (folder.getChildFile ("Huge.xml").replaceWithText (big.toString()));
    EXPECT_FALSE (p.loadUserPreset ("Huge"));

    EXPECT_FLOAT_EQ (p.getParameterValue ("width"), 150.0f);
    EXPECT_EQ (p.getCurrentPresetName(), "Presets");
}

// Text that JUCE's parser misreads is refused before it gets there: a few damaged bytes kept it
// looping over the same entity until memory ran out, or reading past the end of the text.
TEST (SafeXml, TextThatJucesParserMisreadsIsRefused)
{
    const auto bytes = [] (const char* raw) { return juce::String::fromUTF8 (raw, (int) std::strlen (raw)); };

    struct Case { const char* name; juce::String text; bool accepted; };
    const Case cases[] {
        { "stray continuation bytes read as '#' and '&'", bytes ("<a b=\"\xd7\x8d\xa3\xa6\"/>"), false },
        { "a lone continuation byte", bytes ("<a b=\"x\x80y\"/>"), false },
        { "a multi-byte character cut off by the end", bytes ("<a b=\"\xe2\x82"), false },
        { "a hexadecimal reference cut off in text", "<a>&#x", false },
        { "a hexadecimal reference cut off in an attribute", "<a b=\"1&#X4f", false },
        { "valid non-ASCII text", bytes ("<a b=\"Stimme \xc3\xa9\xe2\x82\xac\"/>"), true },
        { "complete references", "<a b=\"&#x41;&#66;&amp;\">&#x43;</a>", true },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (SafeXml::isReadableByJuceParser (c.text), c.accepted) << c.name;
        EXPECT_EQ (SafeXml::parse (c.text) != nullptr, c.accepted) << c.name;
    }

    // Through the host's state call: the looping bytes inside a real state block change nothing.
    OrvelAudioProcessor p;
    p.setParameterValue ("width", 150.0f);
    auto xml = p.captureState().toXmlString (juce::XmlElement::TextFormat().singleLine());
    xml = xml.replace ("Presets", bytes ("Pre\xd7\x8d\xa3\xa6sets"));
    p.setParameterValue ("width", 80.0f);
    const auto block = stateBlockOf (xml);
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (p.getParameterValue ("width"), 80.0f);
}

// Found by fuzzing user preset files: JUCE's parser never returned from a preset whose body
// held a processing instruction followed by text. A document type, whose entities expand into
// the same markup, is refused as well; what comes before the document element is not.
TEST (SafeXml, MarkupJucesParserLoopsOnIsRefused)
{
    const juce::String declaration ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");

    struct Case { const char* name; juce::String text; bool accepted; };
    const Case cases[] {
        { "an instruction then text inside the element", declaration + "<a><?p?>x</a>", false },
        { "an instruction then text, nested", "<a><b/><b><?p x?> y</b></a>", false },
        { "any instruction inside the element, even one JUCE skips", "<a><b/><?p?></a>", false },
        { "a document type defining an entity with that markup",
          declaration + "<!DOCTYPE a [<!ENTITY e \"<b><?p?>x</b>\">]><a>&e;</a>", false },
        { "a document type without entities", "<!DOCTYPE a><a/>", false },
        { "instructions and comments before the element", declaration + "<?p?><!-- <?q?> --><a><!-- c -->x</a>", true },
        { "an escaped instruction in an attribute", "<a b=\"&lt;?p?&gt;x\">&lt;?p?&gt;x</a>", true },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (SafeXml::isReadableByJuceParser (c.text), c.accepted) << c.name;
        EXPECT_EQ (SafeXml::parse (c.text) != nullptr, c.accepted) << c.name;
    }

    // The fuzzer's file, shortened: a damaged user preset fails to load and changes nothing.
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor p;
    p.setParameterValue ("width", 150.0f);
    auto xml = p.captureState().toXmlString (juce::XmlElement::TextFormat().singleLine());
    xml = xml.replace ("<PARAM id=\"lowGain\"", "<?xml version=\"1.0\"?>eq\" <PARAM id=\"lowGain\"");
    const auto folder = p.getPresetStore().getPresetsFolder();
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE (folder.getChildFile ("Looping.xml").replaceWithText (xml));
    EXPECT_FALSE (p.loadUserPreset ("Looping"));
    EXPECT_FLOAT_EQ (p.getParameterValue ("width"), 150.0f);
    EXPECT_EQ (p.getCurrentPresetName(), "Presets");

    // And through the host's state call.
    p.setParameterValue ("width", 80.0f);
    const auto block = stateBlockOf (xml);
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (p.getParameterValue ("width"), 80.0f);
}

TEST (SafeXml, AnAttributeRepeatedInOneElementIsRefused)
{
    // Found by fuzzing user preset files: JUCE keeps both attributes, the state tree reads the
    // first and a save writes the last, so "satMix" came back from the next save as a second
    // "reverbMix" and its value was lost.
    const juce::String repeated ("<PARAMETERS><PARAM id=\"satMix\" id=\"reverbMix\" value=\"40.0\"/></PARAMETERS>");
    EXPECT_EQ (SafeXml::parse (repeated), nullptr);
    EXPECT_EQ (SafeXml::parse ("<PARAMETERS a=\"1\" b=\"2\" a=\"3\"/>"), nullptr);
    EXPECT_NE (SafeXml::parse ("<PARAMETERS a=\"1\"><PARAM a=\"1\" id=\"x\"/><PARAM id=\"y\"/></PARAMETERS>"), nullptr);

    // Neither a host block nor a preset file with it changes the instance.
    TestSupport::ScopedConfigHome home;
    OrvelAudioProcessor p;
    TestSupport::setParam (p, "satMix", 25.0f);
    const auto block = stateBlockOf (repeated);
    p.setStateInformation (block.getData(), (int) block.getSize());
    EXPECT_FLOAT_EQ (p.getParameterValue ("satMix"), 25.0f);

    const auto file = p.getPresetStore().getPresetsFolder().getChildFile ("Twice.xml");
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithText (repeated));
    EXPECT_FALSE (p.loadUserPreset ("Twice"));
    EXPECT_FLOAT_EQ (p.getParameterValue ("satMix"), 25.0f);
}
