#include "libraries/project/uo_project_pane.h"

#include "libraries/project/w_project.h"
#include "standard/parent_window.h"

namespace pakomo {

void uo_project_pane::fu_show_popup(const std::string& as_popup) {
    if (auto* w = dynamic_cast<w_project*>(find_parent_window(*this).get())) w->fw_show_popup(*this, as_popup);
}

}  // namespace pakomo
