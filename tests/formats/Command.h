#pragma once

// Runs a command-line tool for the format tests and keeps what it printed.

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace orvel::formats
{
    struct CommandResult
    {
        int status = -1;
        std::string output; // standard output and standard error
    };

    /** Runs the command through the shell; status is its exit code, or -1 when it did not exit. */
    inline CommandResult runCommand (const std::string& command)
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

    /** The text in single quotes for the shell (paths here hold no quote). */
    inline std::string quoted (const std::string& s) { return "'" + s + "'"; }
}
