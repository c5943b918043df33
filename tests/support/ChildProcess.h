#pragma once
// Code run in a forked copy of the test process, under a resource limit that
// the test itself must not live under (a file size, an address space).
#include <QStringList>

#include <functional>

#include <pwd.h>
#include <sys/resource.h>

// Starts `body` in a forked child whose soft limit of `resource` is `limit`,
// keeping the game's own signal handling; ChildSucceeded waits for it: true
// when it ended normally and `body` returned true. RunInChild does both.
pid_t StartChild(const std::function<bool()>& body, int resource, rlim_t limit);
bool ChildSucceeded(pid_t child);
bool RunInChild(const std::function<bool()>& body, int resource, rlim_t limit);

// Bytes of address space this process uses now.
rlim_t AddressSpaceInUse();

// Hands `path` (and what lies in it) to `user`.
bool GiveTo(const passwd& user, const QString& path);

// Runs the test case's `body` as an ordinary user: when this process is root
// (which reads and writes any file), in a forked child as the user nobody,
// once `folders` are given to it; otherwise right here. A check that fails
// in the child is printed there and makes this false.
bool RunAsOrdinaryUser(const QStringList& folders, const std::function<void()>& body);
