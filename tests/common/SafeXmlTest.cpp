#include "common/SafeXml.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

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
