#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

// Like the VST3 module, the LV2 binary shows its hosts the entry points and nothing else:
// JUCE's weak template symbols could otherwise bind to another JUCE in the host's process.
// juce_lv2_helper writes the bundle's TTL files through lv2_descriptor alone.
TEST (Lv2Exports, BinaryExportsOnlyThePluginAndUiDescriptors)
{
    const std::string command = std::string ("nm -D --defined-only '") + ORVEL_LV2_BINARY + "'";
    FILE* pipe = popen (command.c_str(), "r");
    ASSERT_NE (pipe, nullptr);

    std::set<std::string> symbols;
    char line[4096];

    while (fgets (line, sizeof (line), pipe) != nullptr)
    {
        std::istringstream fields (line);
        std::string address, type, name;

        if (fields >> address >> type >> name)
            symbols.insert (name);
    }

    ASSERT_EQ (pclose (pipe), 0) << "nm failed on " << ORVEL_LV2_BINARY;
    EXPECT_EQ (symbols, (std::set<std::string> { "lv2_descriptor", "lv2ui_descriptor" }));
}
