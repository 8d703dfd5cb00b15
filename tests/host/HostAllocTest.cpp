// No allocation on the audio thread inside the hosted plug-in. This file replaces the global
// allocation functions of the host test binary, which exports them so that the plug-in module,
// loaded later, binds to them. They count only while a test switches counting on for the
// current thread, around processBlock, and only the calls whose call stack passes through the
// Orvel module: the host's own allocations, if any, are not the plug-in's fault.
// A sanitizer brings its own allocator, so the replacement and the test are left out there.

#include "HostLoad.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstring>
#include <cstdlib>
#include <execinfo.h>
#include <link.h>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  #define ORVEL_OWN_ALLOCATOR 0
#elif defined(__has_feature)
  #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    #define ORVEL_OWN_ALLOCATOR 0
  #endif
#endif
#ifndef ORVEL_OWN_ALLOCATOR
  #define ORVEL_OWN_ALLOCATOR 1
#endif

#if ORVEL_OWN_ALLOCATOR
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
    std::atomic<long> pluginAllocations { 0 }, allAllocations { 0 };
    std::atomic<std::uintptr_t> moduleStart { 0 }, moduleEnd { 0 };

    /** Whether the current call stack passes through the plug-in module's code. */
    bool calledFromPlugin() noexcept
    {
        void* frames[24];
        const int n = backtrace (frames, 24);

        for (int i = 0; i < n; ++i)
        {
            const auto a = reinterpret_cast<std::uintptr_t> (frames[i]);

            if (a >= moduleStart.load() && a < moduleEnd.load())
                return true;
        }

        return false;
    }

    void count() noexcept
    {
        if (! counting || inHook)
            return;

        inHook = true;
        ++allAllocations;

        if (calledFromPlugin())
            ++pluginAllocations;

        inHook = false;
    }

    /** Finds the address range of the loaded Orvel module's code. */
    int findModule (dl_phdr_info* info, size_t, void*)
    {
        if (info->dlpi_name == nullptr || std::strstr (info->dlpi_name, "Orvel.so") == nullptr)
            return 0;

        for (int i = 0; i < info->dlpi_phnum; ++i)
        {
            const auto& ph = info->dlpi_phdr[i];

            if (ph.p_type == PT_LOAD && (ph.p_flags & PF_X) != 0)
            {
                moduleStart = info->dlpi_addr + ph.p_vaddr;
                moduleEnd = info->dlpi_addr + ph.p_vaddr + ph.p_memsz;
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

#endif

TEST (HostedAllocation, TheHostedPluginNeverAllocatesWhileProcessing)
{
   #if ! ORVEL_OWN_ALLOCATOR
    GTEST_SKIP() << "the sanitizer's allocator cannot be replaced";
   #else
    auto p = HostLoad::load (48000.0, 512);
    ASSERT_NE (p, nullptr);
    dl_iterate_phdr (findModule, nullptr);
    ASSERT_LT (moduleStart.load(), moduleEnd.load()) << "the Orvel module's code was not found";

    void* warm[4];
    (void) backtrace (warm, 4); // the unwinder loads itself on first use

    p->setPlayConfigDetails (2, 2, 48000.0, 512);
    p->prepareToPlay (48000.0, 512);

    auto& params = p->getParameters();
    juce::Random random (5);
    juce::AudioBuffer<float> buffer (2, 8192);
    juce::MidiBuffer midi;
    double phase = 0.0;
    long blocks = 0;

    const auto run = [&] (int n, bool measure)
    {
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), 2, n);
        HostLoad::fillSine (view, phase, 440.0, 48000.0, 0.4f);
        counting = measure;
        p->processBlock (view, midi);
        counting = false;
        ++blocks;
    };

    for (int b = 0; b < 20; ++b)
        run (512, false);

    // Automation on every block (the host queues it; the plug-in applies it inside the call),
    // both bypasses toggling, block sizes changing within what was prepared.
    for (int b = 0; b < 400; ++b)
    {
        params[random.nextInt (params.size())]->setValueNotifyingHost (random.nextFloat());

        if (b % 7 == 0)
            p->getBypassParameter()->setValueNotifyingHost (b % 14 == 0 ? 1.0f : 0.0f);

        run (1 + random.nextInt (512), true);
    }

    EXPECT_EQ (pluginAllocations.load(), 0) << "of " << allAllocations.load() << " allocations on the audio thread";
    RecordProperty ("hostAllocations", (int) allAllocations.load());
    p->releaseResources();
   #endif
}
