// RUXUninst: started through a product's "UninstallString" with the path of its uninstall record.
#include "libraries/uninstaller/Uninstaller.h"

#include <cstdio>

int main(int argc, char** argv) {
    const std::string recordPath = uninstaller::recordPathFromArguments(argc, argv);
    if (recordPath.empty()) {
        std::fprintf(stderr, "RUXUninst: no uninstall record is given.\n");
        return 1;
    }
    auto machine = platform::Machine::open();
    if (!machine) {
        std::fprintf(stderr, "RUXUninst: %s\n", machine.error().text.c_str());
        return 1;
    }
    const uninstaller::Outcome outcome = uninstaller::uninstall(*machine, recordPath);
    switch (outcome.kind) {
    case uninstaller::Outcome::Done:
        return 0;
    case uninstaller::Outcome::BadRecord:
        std::fprintf(stderr, "RUXUninst: %s\n", outcome.message.c_str());
        return 1;
    case uninstaller::Outcome::Incomplete:
        std::fprintf(stderr, "RUXUninst: these could not be removed; run the uninstall again later:\n");
        for (const auto& p : outcome.problems) std::fprintf(stderr, "  %s\n", p.c_str());
        return 2;
    }
    return 2;
}
