// The authoring program's entry: hands the command line to the runtime, which creates the
// application object and sends it open.
#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/pakomo.h"
#include "authoring/menus/m_a.h"
#include "authoring/project/nv_create_setup.h"
#include "authoring/windows/w_mdi_frame.h"
#include "libraries/build/nv_build.h"
#include "libraries/duplicate/nv_duplicate.h"
#include "libraries/preview/preview_library.h"
#include "libraries/project/w_project.h"
#include "libraries/support/MachineFileDialog.h"
#include "libraries/wizard/nv_wizard.h"
#include "runtime/ui/QtRuntime.h"
#include "standard/register_standard.h"

namespace {

// unixODBC takes the user's data sources from the password file's home, whatever HOME says; the
// profile tool writes them into $HOME/.odbc.ini, so a program started with another HOME reads
// that file unless ODBCINI names one.
void use_home_data_sources() {
    const char* named = std::getenv("ODBCINI");
    const char* home = std::getenv("HOME");
    if ((named && *named) || !home || !*home) return;
    const std::filesystem::path ini = std::filesystem::path(home) / ".odbc.ini";
    std::error_code ec;
    if (std::filesystem::exists(ini, ec)) ::setenv("ODBCINI", ini.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    use_home_data_sources();
    QApplication qt(argc, argv);
    runtime::installQtRuntime();
    pakomo::installMachineFileDialogs();  // the program's file dialogs browse the machine
    pakomo::registerCoreLayouts();
    pakomo::register_standard();
    pakomo::register_project();
    pakomo::register_menus();
    pakomo::register_windows();
    pakomo::register_build_library();
    pakomo::register_duplicate_library();
    pakomo::register_wizard_library();
    pakomo::register_project_library();
    pakomo::register_preview_library();

    std::string commandLine;
    for (int i = 1; i < argc; ++i) commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    pakomo::pakomo application;
    return application.exec(commandLine);
}
