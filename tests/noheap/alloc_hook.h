// alloc_hook.h: counts every heap allocation in the process and says which ones a watched module made.
#ifndef NOHEAP_ALLOC_HOOK_H
#define NOHEAP_ALLOC_HOOK_H

namespace noheap {

// What the process is doing when an allocation happens, as the harness
// marks it: running module code, or running a host service the module
// called (the host may allocate for its own records).
enum class Where { Outside, InModule, InHost };

void setWhere(Where w);
Where where();

// Allocations since the last reset.
struct Counts {
    long total = 0;              // anywhere in the process
    long calledFromWatched = 0;  // the allocator's immediate caller lies in the watched object
    long whileModuleRuns = 0;    // made while Where::InModule, directly or through the C library
    long byHostForModule = 0;    // made while Where::InHost
};

Counts counts();
void resetCounts();

// Watches the loaded object whose code contains `address` (any function
// of it); false if no loaded object contains it.  Replaces any earlier one.
bool watchObjectContaining(const void *address);

}  // namespace noheap

#endif
