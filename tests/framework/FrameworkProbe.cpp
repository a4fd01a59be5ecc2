// A small program for the framework's process test: it opens a dialog of the dialog ancestor
// twice, with one field that must not be empty, and writes what each run left in the parameter
// record ("<button_clicked>|<text>") to the file named by its argument.
#include <QApplication>

#include <fstream>
#include <string>

#include "authoring/core/pakomo.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/QtRuntime.h"
#include "runtime/ui/Window.h"
#include "standard/register_standard.h"
#include "standard/w_ok_cancel.h"

namespace {

class w_probe : public pakomo::w_ok_cancel {
public:
    w_probe() : w_ok_cancel("w_probe") {
        setTitle("Framework probe");
        sle_name = addControl<runtime::SingleLineEdit>("sle_name");
        sle_name->move(100, 100);
        sle_name->resize(1200, 89);
        extend("open", [this](runtime::Args) {
            fw_center();
            sle_name->setFocus();
            return runtime::Value();
        });
        extend("ue_ok", [this](runtime::Args) {
            pakomo::app().g_str_pass.string[1] = sle_name->text();
            return runtime::Value();
        });
    }
    bool fw_validate() override { return fw_set_validation_result(!sle_name->text().empty()); }
    runtime::Ref<runtime::SingleLineEdit> sle_name;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    QApplication qt(argc, argv);
    runtime::installQtRuntime();
    pakomo::register_standard();
    pakomo::pakomo application;
    application.g_env = runtime::environment();
    std::ofstream out(argv[1]);
    // The program's main window stays open behind the dialogs, as the frame does.
    runtime::Ref<runtime::Window> main = runtime::create<runtime::Window>("w_probe_main");
    main->setTitle("Probe main");
    main->open();
    for (int run = 0; run < 2; ++run) {
        pakomo::s_pass& pass = application.g_str_pass;
        pass.button_clicked = 0;
        pass.string[1] = "";
        runtime::Ref<w_probe> probe = runtime::create<w_probe>();
        probe->open();
        out << pass.button_clicked << "|" << pass.string.get(1) << "\n" << std::flush;
    }
    main->close();
    runtime::processPendingEvents();
    return 0;
}
