#pragma once

// The dynamic symbols a built plug-in binary shows its hosts, as nm lists them.

#include <cstdio>
#include <optional>
#include <set>
#include <sstream>
#include <string>

namespace orvel::testsupport
{
    /** The names of the binary's defined dynamic symbols, or nothing when nm fails. */
    inline std::optional<std::set<std::string>> exportedSymbols (const std::string& binary)
    {
        FILE* pipe = popen (("nm -D --defined-only '" + binary + "'").c_str(), "r");

        if (pipe == nullptr)
            return std::nullopt;

        std::set<std::string> symbols;
        char line[4096];

        while (fgets (line, sizeof (line), pipe) != nullptr)
        {
            std::istringstream fields (line);
            std::string address, type, name;

            if (fields >> address >> type >> name)
                symbols.insert (name);
        }

        if (pclose (pipe) != 0)
            return std::nullopt;

        return symbols;
    }
}
