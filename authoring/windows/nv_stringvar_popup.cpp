#include "authoring/windows/nv_stringvar_popup.h"

#include "authoring/core/pakomo.h"
#include "authoring/menus/m_popups.h"
#include "authoring/project/nv_regobjects.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/System.h"
#include "standard/u_ddlb_a.h"
#include "standard/u_ddplb_a.h"
#include "standard/u_em_a.h"
#include "standard/u_mle_a.h"
#include "standard/u_sle_a.h"
#include "standard/w_a.h"
#include "standard/w_dw_a.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

// The window of one of the five edit fields that take the menu; null for any other control.
runtime::Ref<w_a> edit_field_window(runtime::Object* control) {
    if (auto* c = dynamic_cast<u_em_a*>(control)) return c->fu_get_parent_window();
    if (auto* c = dynamic_cast<u_mle_a*>(control)) return c->fu_get_parent_window();
    if (auto* c = dynamic_cast<u_sle_a*>(control)) return c->fu_get_parent_window();
    if (auto* c = dynamic_cast<u_ddlb_a*>(control)) return c->fu_get_parent_window();
    if (auto* c = dynamic_cast<u_ddplb_a*>(control)) return c->fu_get_parent_window();
    return {};
}

}  // namespace

nv_stringvar_popup::nv_stringvar_popup() : nv_a("nv_stringvar_popup") {
    // Raised by name by the windows of the further libraries: (window, control, x, y) for an edit
    // field, (window, data window, x, y, row, column name, type, tab order, protect) for a column.
    on("fnv_show_popup", [this](Args a) {
        if (a.size() < 4) throw runtime::RuntimeError("fnv_show_popup: too few arguments");
        auto* window = dynamic_cast<w_a*>(a[0].toObject());
        if (!window) throw runtime::RuntimeError("Null object reference: fnv_show_popup has no window");
        const int x = static_cast<int>(a[2].toInt()), y = static_cast<int>(a[3].toInt());
        if (a.size() == 4) return Value(fnv_show_popup(*window, a[1].toObject(), x, y));
        u_dw_a* dw = a[1].isObject() ? dynamic_cast<u_dw_a*>(a[1].toObject()) : datawindow_of(a[1]);
        if (!dw) throw runtime::RuntimeError("Null object reference: fnv_show_popup has no data window");
        dwobject dwo = dwobject_of({a.begin() + 1, a.end()});
        if (a.size() > 5 && a[5].isDwObject()) {
            const runtime::DwObject* o = a[5].toDwObject();
            dwo = {o->name, o->type, o->tabSequence, o->protect};
        }
        return Value(fnv_show_popup(*window, *dw, x, y, a.size() > 4 ? a[4].toInt() : 0, dwo));
    });
}

nv_stringvar_popup::~nv_stringvar_popup() = default;

bool nv_stringvar_popup::fnv_show_popup(w_a& aw_w, runtime::Object* adr_dr, int, int) {
    runtime::Ref<w_a> window = edit_field_window(adr_dr);
    if (!window) return false;
    runtime::Ref<m_popups> menu = new_menu(runtime::Ref<runtime::Object>(window.get()));
    return show(aw_w, menu, dynamic_cast<runtime::Control&>(*adr_dr).selectedText());
}

bool nv_stringvar_popup::fnv_show_popup(w_a& aw_w, u_dw_a& adw_dw, int, int, long row, const dwobject& dwo) {
    adw_dw.acceptText();
    runtime::Ref<m_popups> menu = new_menu(runtime::Ref<runtime::Object>(adw_dw.fu_get_parent_window().get()));
    auto discard = [&] {
        runtime::destroy(menu);
        return false;
    };
    if (row < 1) return discard();
    auto* registry = dynamic_cast<nv_regobjects*>(app().gnv_regobjects.get());
    if (!registry || registry->fnv_has_privilege(dwo.name, adw_dw.dataObject(),
                                                 nv_regobjects::privilege_can_paste_stringvar) < 1)
        return discard();
    if (protected_on(adw_dw, dwo.name, row)) return discard();
    return show(aw_w, menu, adw_dw.selectedText());
}

bool nv_stringvar_popup::protected_on(u_dw_a& adw_dw, const std::string& column, long row) {
    const std::string answer = adw_dw.describe(column + ".Protect");
    const auto tab = answer.find('\t');
    if (tab == std::string::npos) return false;
    const std::string expression = answer.substr(tab + 1, answer.size() - tab - 2);
    if (expression.empty()) return false;
    return adw_dw.describe("evaluate('" + expression + "'," + std::to_string(row) + ")") == "1";
}

runtime::Ref<m_popups> nv_stringvar_popup::new_menu(runtime::Ref<runtime::Object> parent) {
    runtime::Ref<m_popups> menu = runtime::createByName("m_popups").as<m_popups>();
    if (!menu) throw runtime::RuntimeError("m_popups is not a menu");
    menu->fm_set_parent(parent);
    return menu;
}

bool nv_stringvar_popup::show(w_a& aw_w, runtime::Ref<m_popups> menu, const std::string& selection) {
    menu->setParentWindow(&aw_w);
    if (runtime::clipboardText().empty()) menu->item_named("m_object_privilege_klembord").disable();
    if (selection.empty()) {
        menu->item_named("m_object_privilege_knippen").disable();
        menu->item_named("m_object_privilege_kopiëren").disable();
    }
    // The menu runs the chosen entry before it returns: the object is not needed afterwards.
    menu->item_named("m_popup_object_privilege").popMenu(aw_w.pointerX(), aw_w.pointerY());
    runtime::destroy(menu);
    return true;
}

}  // namespace pakomo
