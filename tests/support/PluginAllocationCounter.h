#pragma once

// Counts the heap allocations a loaded plug-in binary makes on the calling thread. Compiling
// PluginAllocationCounter.cpp into a test executable replaces its allocation functions; the
// executable must export them (ENABLE_EXPORTS) so that a plug-in loaded later binds to them.
// Only calls whose stack passes through the plug-in's code count: the host's own work is not
// the plug-in's. A sanitizer brings its own allocator, so nothing is counted under one.

namespace orvel::alloccount
{
    /** False under a sanitizer, where the allocation functions cannot be replaced. */
    bool isAvailable() noexcept;

    /** Finds the code of the loaded binary whose path contains pathPart, and warms up the
        stack unwinder; true when the binary was found. */
    bool watchModule (const char* pathPart);

    /** Counts the calling thread's allocations while it exists. */
    class CountingScope
    {
    public:
        CountingScope() noexcept;
        ~CountingScope() noexcept;
        CountingScope (const CountingScope&) = delete;
        CountingScope& operator= (const CountingScope&) = delete;
    };

    /** Allocations counted whose call stack passed through the watched binary. */
    long fromModule() noexcept;

    /** All allocations counted. */
    long all() noexcept;
}
