#pragma once
// Code run in a forked copy of the test process, under a resource limit that
// the test itself must not live under (a file size, an address space).
#include <functional>

#include <sys/resource.h>

// Runs `body` in a forked child whose soft limit of `resource` is `limit`,
// keeping the game's own signal handling. True when the child ended
// normally and `body` returned true.
bool RunInChild(const std::function<bool()>& body, int resource, rlim_t limit);

// Bytes of address space this process uses now.
rlim_t AddressSpaceInUse();
