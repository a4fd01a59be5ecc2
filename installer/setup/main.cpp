// Setup: installs the product whose setup files lie beside it.
#include "installer/setup/CSetupProgram.h"
#include "installer/setup/SetupResources.h"
#include "platform/Process.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(setup::LoadSetupIcon(setup::ProgramIconId));
    auto machine = platform::Machine::open();
    if (!machine) {
        std::fprintf(stderr, "Setup: no machine folder: %s\n", machine.error().text.c_str());
        return 2;
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    setup::CSetupProgram program(*machine, arguments, machine->windowsPath(platform::ownExecutablePath()));
    // The engine binds ruxdecompress from the library beside this program on first use.
    return program.InitInstance();
}
