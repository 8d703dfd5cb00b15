#include "PluginAllocationCounter.h"
#include "LibcAllocator.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

namespace
{
    thread_local bool counting = false, inHook = false;
    std::atomic<long> moduleAllocations { 0 }, allAllocations { 0 };
    std::atomic<std::uintptr_t> moduleStart { 0 }, moduleEnd { 0 };
    const char* wantedPath = nullptr;

    bool calledFromModule() noexcept
    {
        void* frames[32];
        const int n = backtrace (frames, 32);

        for (int i = 0; i < n; ++i)
        {
            const auto a = reinterpret_cast<std::uintptr_t> (frames[i]);

            if (a >= moduleStart.load() && a < moduleEnd.load())
                return true;
        }

        return false;
    }

    [[maybe_unused]] void count() noexcept
    {
        if (! counting || inHook)
            return;

        inHook = true;
        ++allAllocations;

        if (calledFromModule())
            ++moduleAllocations;

        inHook = false;
    }

    int findModule (dl_phdr_info* info, size_t, void*)
    {
        if (info->dlpi_name == nullptr || std::strstr (info->dlpi_name, wantedPath) == nullptr)
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
}

namespace orvel::alloccount
{
    bool isAvailable() noexcept { return ORVEL_OWN_ALLOCATOR != 0; }

    bool watchModule (const char* pathPart)
    {
        wantedPath = pathPart;
        moduleStart = moduleEnd = 0;
        dl_iterate_phdr (findModule, nullptr);

        void* warm[4];
        (void) backtrace (warm, 4); // the unwinder loads itself on first use
        return moduleStart.load() < moduleEnd.load();
    }

    CountingScope::CountingScope() noexcept { counting = true; }
    CountingScope::~CountingScope() noexcept { counting = false; }

    long fromModule() noexcept { return moduleAllocations.load(); }
    long all() noexcept { return allAllocations.load(); }
}

#if ORVEL_OWN_ALLOCATOR
namespace
{
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
