#include "support/ExportedSymbols.h"

#include <gtest/gtest.h>

// Like the VST3 module, the LV2 binary shows its hosts the entry points and nothing else:
// JUCE's weak template symbols could otherwise bind to another JUCE in the host's process.
// juce_lv2_helper writes the bundle's TTL files through lv2_descriptor alone.
TEST (Lv2Exports, BinaryExportsOnlyThePluginAndUiDescriptors)
{
    const auto symbols = orvel::testsupport::exportedSymbols (ORVEL_LV2_BINARY);
    ASSERT_TRUE (symbols.has_value()) << "nm failed on " << ORVEL_LV2_BINARY;
    EXPECT_EQ (*symbols, (std::set<std::string> { "lv2_descriptor", "lv2ui_descriptor" }));
}
