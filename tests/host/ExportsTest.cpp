#include "support/ExportedSymbols.h"

#include <gtest/gtest.h>

// A plug-in module that exported JUCE's weak template symbols could bind to a different
// JUCE inside the host process. Only the three VST3 entry points may be visible.
TEST (Vst3Exports, ModuleExportsOnlyTheVst3EntryPoints)
{
    const auto symbols = orvel::testsupport::exportedSymbols (ORVEL_VST3_BINARY);
    ASSERT_TRUE (symbols.has_value()) << "nm failed on " << ORVEL_VST3_BINARY;
    EXPECT_EQ (*symbols, (std::set<std::string> { "GetPluginFactory", "ModuleEntry", "ModuleExit" }));
}
