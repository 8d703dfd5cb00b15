#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

// A plug-in module that exported JUCE's weak template symbols could bind to a different
// JUCE inside the host process. Only the three VST3 entry points may be visible.
TEST (Vst3Exports, ModuleExportsOnlyTheVst3EntryPoints)
{
    const std::string command = std::string ("nm -D --defined-only '") + ORVEL_VST3_BINARY + "'";
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

    ASSERT_EQ (pclose (pipe), 0) << "nm failed on " << ORVEL_VST3_BINARY;
    EXPECT_EQ (symbols, (std::set<std::string> { "GetPluginFactory", "ModuleEntry", "ModuleExit" }));
}
