// alloc_hook.cpp: the process's malloc family and operator new/delete, counting each allocation and its caller.
//
// Defined in the executable, these take precedence over the C library's
// for every loaded object, the module included; the C library's own
// entry points below do the real work.
#include "alloc_hook.h"

#include <errno.h>
#include <link.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include <atomic>
#include <cstddef>
#include <new>

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *ptr, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void *__libc_valloc(size_t size);
void __libc_free(void *ptr);
}

namespace noheap {

namespace {

struct Range {
    uintptr_t begin, end;
};

// Plain storage filled before counting starts: nothing here may allocate.
constexpr int kMaxRanges = 16;
Range ranges[kMaxRanges];
std::atomic<int> rangeCount{0};

std::atomic<Where> current{Where::Outside};
std::atomic<long> total{0}, fromWatched{0}, inModule{0}, inHost{0};

bool watched(uintptr_t address) {
    const int n = rangeCount.load(std::memory_order_acquire);
    for (int i = 0; i < n; ++i)
        if (address >= ranges[i].begin && address < ranges[i].end) return true;
    return false;
}

void note(const void *caller) {
    total.fetch_add(1, std::memory_order_relaxed);
    if (watched(reinterpret_cast<uintptr_t>(caller))) fromWatched.fetch_add(1, std::memory_order_relaxed);
    switch (current.load(std::memory_order_relaxed)) {
    case Where::InModule: inModule.fetch_add(1, std::memory_order_relaxed); break;
    case Where::InHost: inHost.fetch_add(1, std::memory_order_relaxed); break;
    case Where::Outside: break;
    }
}

struct Search {
    uintptr_t address;
    Range found[kMaxRanges];
    int count;
};

// Keeps every loadable segment of the object that contains the address.
int findObject(struct dl_phdr_info *info, size_t, void *data) {
    auto *s = static_cast<Search *>(data);
    bool contains = false;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD) continue;
        const uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
        if (s->address >= begin && s->address < begin + ph.p_memsz) contains = true;
    }
    if (!contains) return 0;
    for (int i = 0; i < info->dlpi_phnum && s->count < kMaxRanges; ++i) {
        const ElfW(Phdr) &ph = info->dlpi_phdr[i];
        if (ph.p_type != PT_LOAD) continue;
        const uintptr_t begin = info->dlpi_addr + ph.p_vaddr;
        s->found[s->count++] = Range{begin, begin + ph.p_memsz};
    }
    return 1;
}

}  // namespace

void setWhere(Where w) { current.store(w, std::memory_order_relaxed); }
Where where() { return current.load(std::memory_order_relaxed); }

Counts counts() {
    Counts c;
    c.total = total.load();
    c.calledFromWatched = fromWatched.load();
    c.whileModuleRuns = inModule.load();
    c.byHostForModule = inHost.load();
    return c;
}

void resetCounts() {
    total = 0;
    fromWatched = 0;
    inModule = 0;
    inHost = 0;
}

bool watchObjectContaining(const void *address) {
    Search s{reinterpret_cast<uintptr_t>(address), {}, 0};
    dl_iterate_phdr(findObject, &s);
    rangeCount.store(0, std::memory_order_release);
    for (int i = 0; i < s.count; ++i) ranges[i] = s.found[i];
    rangeCount.store(s.count, std::memory_order_release);
    return s.count > 0;
}

}  // namespace noheap

#define CALLER __builtin_return_address(0)

extern "C" {

void *malloc(size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_calloc(count, size);
}

void *realloc(void *ptr, size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_realloc(ptr, size);
}

void free(void *ptr) noexcept { __libc_free(ptr); }

void *aligned_alloc(size_t alignment, size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_memalign(alignment, size);
}

void *memalign(size_t alignment, size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_memalign(alignment, size);
}

void *valloc(size_t size) noexcept {
    noheap::note(CALLER);
    return __libc_valloc(size);
}

int posix_memalign(void **out, size_t alignment, size_t size) noexcept {
    noheap::note(CALLER);
    if (alignment < sizeof(void *) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void *p = __libc_memalign(alignment, size);
    if (p == nullptr) return ENOMEM;
    *out = p;
    return 0;
}

}  // extern "C"

namespace {

void *newBlock(std::size_t size, std::size_t alignment, const void *caller) {
    noheap::note(caller);
    if (size == 0) size = 1;
    return alignment <= alignof(std::max_align_t) ? __libc_malloc(size) : __libc_memalign(alignment, size);
}

void *newOrThrow(std::size_t size, std::size_t alignment, const void *caller) {
    void *p = newBlock(size, alignment, caller);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void *operator new(std::size_t size) { return newOrThrow(size, 0, CALLER); }
void *operator new[](std::size_t size) { return newOrThrow(size, 0, CALLER); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return newBlock(size, 0, CALLER); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return newBlock(size, 0, CALLER); }
void *operator new(std::size_t size, std::align_val_t a) {
    return newOrThrow(size, static_cast<std::size_t>(a), CALLER);
}
void *operator new[](std::size_t size, std::align_val_t a) {
    return newOrThrow(size, static_cast<std::size_t>(a), CALLER);
}
void *operator new(std::size_t size, std::align_val_t a, const std::nothrow_t &) noexcept {
    return newBlock(size, static_cast<std::size_t>(a), CALLER);
}
void *operator new[](std::size_t size, std::align_val_t a, const std::nothrow_t &) noexcept {
    return newBlock(size, static_cast<std::size_t>(a), CALLER);
}

void operator delete(void *p) noexcept { __libc_free(p); }
void operator delete[](void *p) noexcept { __libc_free(p); }
void operator delete(void *p, std::size_t) noexcept { __libc_free(p); }
void operator delete[](void *p, std::size_t) noexcept { __libc_free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { __libc_free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { __libc_free(p); }
void operator delete(void *p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void *p, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept { __libc_free(p); }
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept { __libc_free(p); }
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept { __libc_free(p); }
