#pragma once
// The main frame: the only place that opens sheets. ue_fileopen opens what element 1 of
// g_str_pass.string names ("choose_product": the product chooser, "project": the project
// window), each at most once; the sheet count goes up only for a sheet not open yet and back
// down when the opening fails.
#include <string>

#include "standard/w_mdi.h"

namespace pakomo {

class w_mdi_frame : public w_mdi {
public:
    w_mdi_frame();

    runtime::Ref<runtime::Window> w_choose_product;
    runtime::Ref<runtime::Window> w_project;

private:
    void ue_fileopen();
    void open_sheet(runtime::Ref<runtime::Window>& instance, const std::string& className);
};

// Registers the program's windows with the runtime's class registry, and their layouts.
void register_windows();

}  // namespace pakomo
