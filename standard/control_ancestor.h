#pragma once
// What the simple control ancestors share: the window found once by the constructor, the focus
// reported to it, and for the five text-entry kinds the selected text reported after every key
// release and every release of the left mouse button.
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/parent_window.h"
#include "standard/w_a.h"

namespace pakomo {

template <class Base>
class u_control_of : public Base {
public:
    explicit u_control_of(std::string className) : Base(std::move(className)) {
        this->on("constructor", [this](runtime::Args) {
            fu_set_parent_window();
            return runtime::Value();
        });
        this->on("getfocus", [this](runtime::Args) {
            report_focus(iw_parent, *this);
            return runtime::Value();
        });
    }

    void fu_set_parent_window() { iw_parent = find_parent_window(*this); }
    runtime::Ref<w_a> fu_get_parent_window() const { return iw_parent; }

    runtime::Ref<w_a> iw_parent;
};

template <class Base>
class u_text_entry_of : public u_control_of<Base> {
public:
    explicit u_text_entry_of(std::string className) : u_control_of<Base>(std::move(className)) {
        this->on("keyup", [this](runtime::Args a) { return this->trigger("ue_keyup", {a.begin(), a.end()}); });
        this->on("lbuttonup", [this](runtime::Args a) { return this->trigger("ue_lbuttonup", {a.begin(), a.end()}); });
        this->on("ue_keyup", [this](runtime::Args) { return report_selection(); });
        this->on("ue_lbuttonup", [this](runtime::Args) { return report_selection(); });
        this->setFont("MS Sans Serif", 8, 400);
        runtime::setBackgroundColor(*this, 16777215);
    }

private:
    runtime::Value report_selection() {
        this->iw_parent->fw_set_selected_text(this->selectedText(), runtime::Ref<runtime::VisualObject>(this));
        return {};
    }
};

}  // namespace pakomo
