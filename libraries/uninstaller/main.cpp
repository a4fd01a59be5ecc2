// RUXUninst: started through a product's "UninstallString" with the path of its uninstall record;
// "/S" before the path runs it without a question or boxes.
#include "libraries/uninstaller/UninstallBoxes.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    const uninstaller::Arguments arguments = uninstaller::parseArguments(argc, argv);
    // A silent run needs no display.
    std::unique_ptr<QApplication> application;
    if (!arguments.silent) application = std::make_unique<QApplication>(argc, argv);
    auto machine = platform::Machine::open();
    if (!machine) {
        std::fprintf(stderr, "RUXUninst: %s\n", machine.error().text.c_str());
        return 1;
    }
    return uninstaller::runUninstaller(*machine, arguments);
}
