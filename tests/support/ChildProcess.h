#pragma once
// Code run in a forked copy of the test process, under a resource limit that
// the test itself must not live under (a file size, an address space).
#include <functional>

#include <sys/resource.h>

// Starts `body` in a forked child whose soft limit of `resource` is `limit`,
// keeping the game's own signal handling; ChildSucceeded waits for it: true
// when it ended normally and `body` returned true. RunInChild does both.
pid_t StartChild(const std::function<bool()>& body, int resource, rlim_t limit);
bool ChildSucceeded(pid_t child);
bool RunInChild(const std::function<bool()>& body, int resource, rlim_t limit);

// Bytes of address space this process uses now.
rlim_t AddressSpaceInUse();
