#pragma once
// The uninstaller as a user meets it: it asks before it removes a product, and says at the end
// what it did, or what it could not remove and why. Qt Widgets message boxes; a silent run shows
// none and reports problems on the error stream only.
#include "libraries/uninstaller/UninstallPlan.h"
#include "libraries/uninstaller/Uninstaller.h"

#include <QString>

namespace uninstaller {

inline constexpr const char* BoxTitle = "Uninstall";

// "Do you want to remove <product> and all of its components?"
QString questionText(const Plan& plan);
// What goes: the files and folders (the first few, then how many more), and the registry entries.
QString removalSummary(const Plan& plan, std::size_t shown = 12);
// The closing words: done (naming what was kept for the user's files), or what could not be
// removed and why.
QString outcomeText(const std::string& product, const Outcome& outcome);

// The whole program once the machine is open; its exit code: 0 removed, 1 nothing removed (no
// or a damaged record, or the user said No), 2 not everything could be removed.
int runUninstaller(const platform::Machine& machine, const Arguments& arguments);

}  // namespace uninstaller
