#pragma once
// Faults on demand, for tests: tests run as root, so permissions cannot make an operation fail.
// Faults live in a file of the machine folder, so they also reach a program started as a process.
#include "platform/Machine.h"
#include "platform/Result.h"

#include <string_view>

namespace platform {

// RegistryCrash kills the process that writes the hive named by the target ("HKEY_...") after it
// wrote the new hive beside the old one and before it renames it into place.
enum class FaultKind { CreateFolder, OpenFile, RegistryWrite, RegistryCrash };

// Makes the next `times` operations of that kind on `target` fail with `code` (times < 0: always).
// Targets: a Windows path (CreateFolder, OpenFile), "HKEY_...\\Key" (RegistryWrite) or
// "HKEY_..." (RegistryCrash), compared without regard to case. Inside a registry batch a
// RegistryWrite fault fails the change to its key at once, and one on the root itself
// ("HKEY_...") fails the commit's write of that hive.
Status injectFault(const Machine& machine, FaultKind kind, std::string_view target,
                   uint32_t code = err::AccessDenied, int times = -1);
Status clearFaults(const Machine& machine);
// Used by the platform itself: consumes one matching fault and answers its code, or 0.
uint32_t takeFault(const Machine& machine, FaultKind kind, std::string_view target);
// Whether such a fault waits, without consuming it.
bool faultPending(const Machine& machine, FaultKind kind, std::string_view target);

}  // namespace platform
