// Orvel.lv2's TTL files as Debian's LV2 tools and a lilv host read them: lv2ls and lv2info
// (lilv-utils) list the plug-in, its class and its ports, sord_validate (sordi) checks the
// files against the LV2 schemas of lv2-dev, and lilv finds the 26 parameters with the names,
// ranges and defaults that the VST3 shows. The tools see this bundle and the LV2
// schema bundles only, never the other plug-ins on the machine.

#include "Lv2TestHost.h"
#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <lv2/core/lv2.h>
#include <lv2/patch/patch.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
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

    struct CommandResult
    {
        int status = -1;
        std::string output; // standard output and standard error
    };

    CommandResult run (const std::string& command)
    {
        CommandResult result;
        FILE* pipe = popen ((command + " 2>&1").c_str(), "r");

        if (pipe == nullptr)
            return result;

        char buffer[4096];

        for (std::size_t n; (n = fread (buffer, 1, sizeof (buffer), pipe)) > 0;)
            result.output.append (buffer, n);

        const auto status = pclose (pipe);
        result.status = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
        return result;
    }

    std::string quoted (const std::string& s) { return "'" + s + "'"; }

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

    // Every port, by symbol: stereo audio, the atom ports that carry the parameters, and the
    // host's latency, free-wheeling and bypass (lv2:enabled) controls.
    std::vector<std::string> symbols;
    const std::regex symbol ("\\n\\s*Symbol:\\s+(\\S+)");

    for (std::sregex_iterator it (r.output.begin(), r.output.end(), symbol), end; it != end; ++it)
        symbols.push_back ((*it)[1]);

    EXPECT_EQ (symbols, (std::vector<std::string> { "audio_in_1", "audio_in_2", "audio_out_1", "audio_out_2",
                                                    "in", "out", "latency", "freeWheeling", "enabled" }));
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

TEST (Lv2Parameters, TheTwentySixParametersHaveTheirNamesRangesAndDefaults)
{
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    ASSERT_NE (world.plugin (pluginUri), nullptr);
    auto* w = world.get();

    auto* subject = lilv_new_uri (w, pluginUri.c_str());
    auto* writable = lilv_new_uri (w, LV2_PATCH__writable);
    auto* label = lilv_new_uri (w, "http://www.w3.org/2000/01/rdf-schema#label");
    auto* minimum = lilv_new_uri (w, LV2_CORE__minimum);
    auto* maximum = lilv_new_uri (w, LV2_CORE__maximum);
    auto* defaultValue = lilv_new_uri (w, LV2_CORE__default);

    std::set<std::string> listed;
    auto* nodes = lilv_world_find_nodes (w, subject, writable, nullptr);
    LILV_FOREACH (nodes, i, nodes)
        listed.insert (lilv_node_as_uri (lilv_nodes_get (nodes, i)));
    lilv_nodes_free (nodes);

    std::set<std::string> expected;

    for (const auto& row : parameterTable)
        expected.insert (pluginUri + ":" + row.id);

    EXPECT_EQ (listed, expected);

    for (const auto& row : parameterTable)
    {
        SCOPED_TRACE (row.id);
        auto* parameter = lilv_new_uri (w, (pluginUri + ":" + row.id).c_str());

        const auto number = [&] (const LilvNode* property)
        {
            auto* node = lilv_world_get (w, parameter, property, nullptr);
            const auto value = node != nullptr && lilv_node_is_float (node) ? lilv_node_as_float (node)
                             : node != nullptr && lilv_node_is_int (node)   ? (float) lilv_node_as_int (node)
                                                                            : -12345.0f;
            lilv_node_free (node);
            return value;
        };

        auto* name = lilv_world_get (w, parameter, label, nullptr);
        ASSERT_NE (name, nullptr);
        EXPECT_STREQ (lilv_node_as_string (name), row.name);
        lilv_node_free (name);

        EXPECT_FLOAT_EQ (number (minimum), row.minimum);
        EXPECT_FLOAT_EQ (number (maximum), row.maximum);
        EXPECT_FLOAT_EQ (number (defaultValue), row.defaultValue);
        lilv_node_free (parameter);
    }

    for (auto* node : { subject, writable, label, minimum, maximum, defaultValue })
        lilv_node_free (node);
}
