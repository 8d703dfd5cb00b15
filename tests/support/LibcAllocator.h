#pragma once

// glibc's own allocation entry points, for the test binaries that replace malloc and operator
// new: the replacements count a call, then forward it here, to the real allocator.

#include <cstddef>

extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);
    void* __libc_memalign (std::size_t, std::size_t);
    void __libc_free (void*);
}
