#include "standard/uo_get_color.h"

#include <QAbstractScrollArea>

#include "standard/nv_dialogs.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_get_color::uo_get_color(std::string className) : uo_a(std::move(className)) {
    resize(805, 264);
    gb_color = addControl<u_gb_a>("gb_color");
    gb_color->setText("Color");
    gb_color->move(0, 0);
    gb_color->resize(786, 252);
    dw_color = addControl<runtime::DataWindow>("dw_color");
    dw_color->move(37, 88);
    dw_color->resize(434, 96);
    dw_color->setPresentation(runtime::DataWindow::Presentation::FreeForm);
    dw_color->setDataObject("d_choose_font_color");
    // No border; one field, so no scroll bars either.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(dw_color->widget())) {
        area->setFrameStyle(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    cb_rgb = addControl<u_cb_a>("cb_rgb");
    cb_rgb->setText("&RGB...");
    cb_rgb->move(512, 96);
    cb_rgb->resize(238, 80);

    on("ue_post_constructor", [this](Args) {
        dw_color->store().insertRow(0);
        dw_color->setRow(1);
        return Value();
    });
    on("ue_custom_color", [this](Args) {
        int32_t ll_color = static_cast<int32_t>(dw_color->store().getItem(1, "color").toInt());
        runtime::Ref<nv_dialogs> lnv_dialogs = runtime::create<nv_dialogs>();
        bool confirmed = lnv_dialogs->fnv_get_custom_color(ll_color);
        runtime::destroy(lnv_dialogs);
        if (!confirmed) return Value();
        dw_color->setEditText(std::to_string(ll_color));
        dw_color->acceptText();
        post("ue_selection_changed");
        return Value();
    });
    cb_rgb->extend("clicked", [this](Args) {
        post("ue_custom_color");
        return Value();
    });
    dw_color->on("itemchanged", [this](Args) {
        post("ue_selection_changed");
        return Value();
    });
}

int32_t uo_get_color::fu_get_color() const {
    return static_cast<int32_t>(dw_color->store().getItem(1, "color").toInt());
}

void uo_get_color::fu_set_color(int32_t al_color) {
    dw_color->store().setItem(1, "color", Value(static_cast<long>(al_color)));
    post("ue_selection_changed");
}

}  // namespace pakomo
