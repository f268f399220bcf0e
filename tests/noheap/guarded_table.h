// guarded_table.h: a copy of a host table whose services mark the time spent inside the host.
#ifndef NOHEAP_GUARDED_TABLE_H
#define NOHEAP_GUARDED_TABLE_H

#include "alloc_hook.h"

namespace noheap {

// A table to hand to the module instead of `hostTable`: every service
// forwards to the host's own under Where::InHost.  One at a time.
void **guardTable(void **hostTable);

// Runs one module entry point under Where::InModule.
template <typename Fn, typename... Args>
auto inModule(Fn fn, Args... args) {
    struct Scope {
        Where saved = where();
        Scope() { setWhere(Where::InModule); }
        ~Scope() { setWhere(saved); }
    } scope;
    return fn(args...);
}

}  // namespace noheap

#endif
