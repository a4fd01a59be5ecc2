#include "libraries/project/uo_project_pane.h"

#include "libraries/project/w_project.h"
#include "standard/parent_window.h"

namespace pakomo {

uo_project_pane::uo_project_pane(std::string className) : uo_a(std::move(className)) {
    st_heading = addControl<runtime::StaticText>("st_heading");
    st_heading->move(margin, 24);
    st_heading->resize(2000, 84);
    st_heading->setFont("MS Sans Serif", 10, 700);
    fu_position_set_flags(*st_heading, align_hresize);
    fu_position_set_width_marge(*st_heading, 2 * margin);
}

void uo_project_pane::fu_set_heading(const std::string& as_heading) { st_heading->setText(as_heading); }

std::string uo_project_pane::fu_get_heading() const { return st_heading->text(); }

void uo_project_pane::fu_show_popup(const std::string& as_popup) {
    if (auto* w = dynamic_cast<w_project*>(find_parent_window(*this).get())) w->fw_show_popup(*this, as_popup);
}

}  // namespace pakomo
