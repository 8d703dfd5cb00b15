// Orvel.lv2's TTL files as Debian's LV2 tools and a lilv host read them: lv2ls and lv2info
// (lilv-utils) list the plug-in, its class and its ports, sord_validate (sordi) checks the
// files against the LV2 schemas of lv2-dev, and lilv finds the 26 parameters' control ports
// with the names, ranges and defaults that the VST3 shows. The tools see this bundle and the LV2
// schema bundles only, never the other plug-ins on the machine.

#include "Command.h"
#include "Lv2TestHost.h"
#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <lv2/core/lv2.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using orvel::formats::parameterTable;

namespace
{
    const std::string pluginUri = "https://corvaneaudio.com/plugins/orvel";

    // The LV2 schema bundles that lv2-dev installs.
    constexpr std::array<const char*, 25> specBundles {
        "atom", "buf-size", "core", "data-access", "dynmanifest", "event", "instance-access", "log",
        "midi", "morph", "options", "parameters", "patch", "port-groups", "port-props", "presets",
        "resize-port", "schemas", "state", "time", "ui", "units", "uri-map", "urid", "worker"
    };

    using orvel::formats::CommandResult;
    using orvel::formats::quoted;

    CommandResult run (const std::string& command) { return orvel::formats::runCommand (command); }

    /** An LV2_PATH of its own: links to the built bundle and to the LV2 schema bundles. */
    class Lv2Tools : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite()
        {
            char pattern[] = "/tmp/orvel-lv2path-XXXXXX";
            ASSERT_NE (mkdtemp (pattern), nullptr);
            path = new fs::path (pattern);
            fs::create_directory_symlink (ORVEL_LV2_BUNDLE, *path / "Orvel.lv2");

            for (const auto* spec : specBundles)
                fs::create_directory_symlink (fs::path (ORVEL_LV2_SPEC_DIR) / (std::string (spec) + ".lv2"),
                                              *path / (std::string (spec) + ".lv2"));
        }

        static void TearDownTestSuite()
        {
            fs::remove_all (*path);
            delete path;
            path = nullptr;
        }

        static CommandResult tool (const std::string& command)
        {
            return run ("LV2_PATH=" + quoted (path->string()) + " " + command);
        }

        static fs::path* path;
    };

    fs::path* Lv2Tools::path = nullptr;
}

TEST_F (Lv2Tools, Lv2lsListsOrvelAlone)
{
    const auto r = tool (ORVEL_LV2LS);
    ASSERT_EQ (r.status, 0) << r.output;
    EXPECT_EQ (r.output, pluginUri + "\n");

    const auto named = tool (std::string (ORVEL_LV2LS) + " -n");
    EXPECT_EQ (named.output, "Orvel\n");
}

TEST_F (Lv2Tools, Lv2infoShowsNameClassAndPorts)
{
    const auto r = tool (std::string (ORVEL_LV2INFO) + " " + pluginUri);
    ASSERT_EQ (r.status, 0) << r.output;
    std::printf ("%s\n", r.output.c_str());

    EXPECT_TRUE (std::regex_search (r.output, std::regex ("\\n\\s*Name:\\s+Orvel\\n"))) << r.output;
    EXPECT_TRUE (std::regex_search (r.output, std::regex ("\\n\\s*Class:\\s+Plugin\\n"))) << r.output;
    EXPECT_TRUE (std::regex_search (r.output, std::regex ("\\n\\s*Author:\\s+Corvane Audio\\n"))) << r.output;

    // Every port, by symbol: stereo audio, the atom ports, the host's latency, free-wheeling
    // and bypass (lv2:enabled) controls, then one input control port per parameter.
    std::vector<std::string> symbols;
    const std::regex symbol ("\\n\\s*Symbol:\\s+(\\S+)");

    for (std::sregex_iterator it (r.output.begin(), r.output.end(), symbol), end; it != end; ++it)
        symbols.push_back ((*it)[1]);

    std::vector<std::string> expected { "audio_in_1", "audio_in_2", "audio_out_1", "audio_out_2",
                                        "in", "out", "latency", "freeWheeling", "enabled" };

    for (const auto& row : parameterTable)
        expected.push_back (row.id);

    EXPECT_EQ (symbols, expected);

    // Each port's block starts with its two types, in either order; the parameters' ports
    // are input control ports.
    const std::regex typed ("Type:\\s+(\\S+)\\s+(\\S+)\\s+Symbol:\\s+(\\S+)");
    const std::set<std::string> inputControl { "http://lv2plug.in/ns/lv2core#ControlPort", "http://lv2plug.in/ns/lv2core#InputPort" };
    std::vector<std::string> controls;

    for (std::sregex_iterator it (r.output.begin(), r.output.end(), typed), end; it != end; ++it)
        if (std::set<std::string> { (*it)[1], (*it)[2] } == inputControl && (*it)[3] != "freeWheeling" && (*it)[3] != "enabled")
            controls.push_back ((*it)[3]);

    EXPECT_EQ (controls, std::vector<std::string> (expected.begin() + 9, expected.end()));
}

TEST_F (Lv2Tools, TtlFilesValidateAgainstTheLv2Schemas)
{
    std::string command = ORVEL_SORD_VALIDATE;

    for (const auto* spec : specBundles)
        for (const auto& entry : fs::directory_iterator (fs::path (ORVEL_LV2_SPEC_DIR) / (std::string (spec) + ".lv2")))
            if (entry.path().extension() == ".ttl")
                command += " " + quoted (entry.path().string());

    std::vector<std::string> ours;

    for (const auto& entry : fs::directory_iterator (ORVEL_LV2_BUNDLE))
        if (entry.path().extension() == ".ttl")
            ours.push_back (entry.path().filename().string());

    std::sort (ours.begin(), ours.end());
    ASSERT_EQ (ours, (std::vector<std::string> { "dsp.ttl", "manifest.ttl", "ui.ttl" }));

    for (const auto& name : ours)
        command += " " + quoted ((fs::path (ORVEL_LV2_BUNDLE) / name).string());

    const auto r = run (command);
    std::printf ("%s\n", r.output.c_str());
    EXPECT_EQ (r.status, 0) << r.output;
    EXPECT_FALSE (std::regex_search (r.output, std::regex ("(^|\\n)error:"))) << r.output;
    EXPECT_TRUE (std::regex_search (r.output, std::regex ("Found 0 errors"))) << r.output;
}

TEST (Lv2Parameters, TheTwentySixControlPortsHaveTheParametersNamesRangesAndDefaults)
{
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    const auto* plugin = world.plugin (pluginUri);
    ASSERT_NE (plugin, nullptr);
    auto* w = world.get();

    auto* toggled = lilv_new_uri (w, LV2_CORE__toggled);
    auto* controlClass = lilv_new_uri (w, LV2_CORE__ControlPort);
    auto* inputClass = lilv_new_uri (w, LV2_CORE__InputPort);
    const auto firstParameterPort = lilv_plugin_get_num_ports (plugin) - (std::uint32_t) parameterTable.size();
    EXPECT_EQ (firstParameterPort, 9u);

    for (std::size_t i = 0; i < parameterTable.size(); ++i)
    {
        const auto& row = parameterTable[i];
        SCOPED_TRACE (row.id);
        const auto* port = lilv_plugin_get_port_by_index (plugin, firstParameterPort + (std::uint32_t) i);
        ASSERT_NE (port, nullptr);

        EXPECT_TRUE (lilv_port_is_a (plugin, port, controlClass));
        EXPECT_TRUE (lilv_port_is_a (plugin, port, inputClass));
        EXPECT_STREQ (lilv_node_as_string (lilv_port_get_symbol (plugin, port)), row.id);

        auto* name = lilv_port_get_name (plugin, port);
        ASSERT_NE (name, nullptr);
        EXPECT_STREQ (lilv_node_as_string (name), row.name);
        lilv_node_free (name);

        LilvNode *defaultValue = nullptr, *minimum = nullptr, *maximum = nullptr;
        lilv_port_get_range (plugin, port, &defaultValue, &minimum, &maximum);
        ASSERT_TRUE (defaultValue != nullptr && minimum != nullptr && maximum != nullptr);

        // Read back exactly: a host that starts a port at its default must give the
        // parameter's own default, not a rounded one.
        EXPECT_EQ (lilv_node_as_float (minimum), row.minimum);
        EXPECT_EQ (lilv_node_as_float (maximum), row.maximum);
        EXPECT_EQ (lilv_node_as_float (defaultValue), row.defaultValue);
        EXPECT_EQ (lilv_port_has_property (plugin, port, toggled), row.isBool);

        for (auto* node : { defaultValue, minimum, maximum })
            lilv_node_free (node);
    }

    for (auto* node : { toggled, controlClass, inputClass })
        lilv_node_free (node);
}
