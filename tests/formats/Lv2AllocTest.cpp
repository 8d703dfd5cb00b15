// No allocation inside Orvel.lv2's run(), JUCE's LV2 wrapper included: patch:Set messages
// applied, the host's bypass port toggled, block lengths changing. This file replaces the
// allocation functions of its own test binary, which exports them so that the loaded plug-in
// binds to them. They count only on the test's thread while it runs a block, and only calls
// whose stack passes through the plug-in's code: the host's own work is not the plug-in's.
// A sanitizer brings its own allocator, so the binary is not built there.

#include "Lv2TestHost.h"
#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <link.h>
#include <new>
#include <vector>

extern "C"
{
    void* __libc_malloc (size_t);
    void* __libc_calloc (size_t, size_t);
    void* __libc_realloc (void*, size_t);
    void* __libc_memalign (size_t, size_t);
    void __libc_free (void*);
}

namespace
{
    thread_local bool counting = false, inHook = false;
    std::atomic<long> pluginAllocations { 0 };
    std::uintptr_t moduleStart = 0, moduleEnd = 0;

    bool calledFromPlugin() noexcept
    {
        void* frames[32];
        const int n = backtrace (frames, 32);

        for (int i = 0; i < n; ++i)
        {
            const auto a = reinterpret_cast<std::uintptr_t> (frames[i]);

            if (a >= moduleStart && a < moduleEnd)
                return true;
        }

        return false;
    }

    void count() noexcept
    {
        if (! counting || inHook)
            return;

        inHook = true;

        if (calledFromPlugin())
            ++pluginAllocations;

        inHook = false;
    }

    int findModule (dl_phdr_info* info, size_t, void*)
    {
        if (info->dlpi_name == nullptr || std::strstr (info->dlpi_name, "Orvel.lv2/libOrvel.so") == nullptr)
            return 0;

        for (int i = 0; i < info->dlpi_phnum; ++i)
        {
            const auto& ph = info->dlpi_phdr[i];

            if (ph.p_type == PT_LOAD && (ph.p_flags & PF_X) != 0)
            {
                moduleStart = info->dlpi_addr + ph.p_vaddr;
                moduleEnd = moduleStart + ph.p_memsz;
            }
        }

        return 1;
    }

    void* allocate (std::size_t size) noexcept { count(); return __libc_malloc (size == 0 ? 1 : size); }
    void* allocateAligned (std::size_t size, std::align_val_t a) noexcept { count(); return __libc_memalign ((std::size_t) a, size == 0 ? 1 : size); }

    void* orThrow (void* p)
    {
        if (p == nullptr)
            throw std::bad_alloc();
        return p;
    }
}

extern "C"
{
    void* malloc (size_t size) { count(); return __libc_malloc (size); }
    void* calloc (size_t n, size_t size) { count(); return __libc_calloc (n, size); }
    void* realloc (void* p, size_t size) { count(); return __libc_realloc (p, size); }
    void free (void* p) { __libc_free (p); }
}

void* operator new (std::size_t s) { return orThrow (allocate (s)); }
void* operator new[] (std::size_t s) { return orThrow (allocate (s)); }
void* operator new (std::size_t s, const std::nothrow_t&) noexcept { return allocate (s); }
void* operator new[] (std::size_t s, const std::nothrow_t&) noexcept { return allocate (s); }
void* operator new (std::size_t s, std::align_val_t a) { return orThrow (allocateAligned (s, a)); }
void* operator new[] (std::size_t s, std::align_val_t a) { return orThrow (allocateAligned (s, a)); }
void operator delete (void* p) noexcept { __libc_free (p); }
void operator delete[] (void* p) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { __libc_free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { __libc_free (p); }

TEST (Lv2Allocation, RunNeverAllocatesInsideThePlugin)
{
    constexpr int blockSize = 512;
    orvel::lv2host::World world (ORVEL_LV2_BUNDLE);
    orvel::lv2host::Instance instance (world, "https://corvaneaudio.com/plugins/orvel", 48000.0, blockSize);
    dl_iterate_phdr (findModule, nullptr);
    ASSERT_LT (moduleStart, moduleEnd) << "the plug-in's code was not found";

    void* warm[4];
    (void) backtrace (warm, 4); // the unwinder loads itself on first use

    std::vector<float> in[2], out[2];

    for (int ch = 0; ch < 2; ++ch)
    {
        in[ch].assign (blockSize, 0.0f);
        out[ch].assign (blockSize, 0.0f);
    }

    const float* inPtrs[2] = { in[0].data(), in[1].data() };
    float* outPtrs[2] = { out[0].data(), out[1].data() };
    std::uint32_t noise = 1;
    double phase = 0.0;

    const auto run = [&] (int n, bool measure)
    {
        for (int i = 0; i < n; ++i, phase += 220.0 / 48000.0)
            in[0][(std::size_t) i] = in[1][(std::size_t) i] = 0.4f * (float) std::sin (6.283185307179586 * phase);

        counting = measure;
        instance.run (inPtrs, outPtrs, n);
        counting = false;
    };

    for (int b = 0; b < 20; ++b)
        run (blockSize, false);

    // A parameter (its full range) on every block, the host's bypass every seventh block.
    for (int b = 0; b < 400; ++b)
    {
        noise = noise * 1664525u + 1013904223u;
        const auto& row = orvel::formats::parameterTable[(noise >> 8) % orvel::formats::parameterTable.size()];
        const auto position = (float) ((noise >> 4) & 0xffff) / 65535.0f;
        instance.setParameter (row.id, row.minimum + position * (row.maximum - row.minimum));

        if (b % 7 == 0)
            instance.setEnabled (b % 14 != 0);

        run (1 + (int) ((noise >> 12) % blockSize), true);
    }

    EXPECT_EQ (pluginAllocations.load(), 0);
}
