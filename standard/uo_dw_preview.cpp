#include "standard/uo_dw_preview.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>

#include "authoring/core/pakomo.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

uo_dw_preview::uo_dw_preview(std::string className) : runtime::UserObject(std::move(className)) {
    resize(1866, 1361);
    runtime::setBackgroundColor(*this, 12632256);
    gb_1 = addControl<u_gb_a>("gb_1");
    gb_1->setText("&Zoom %");
    gb_1->move(23, 1);
    gb_1->resize(467, 465);
    dw_1 = addControl<runtime::DataWindow>("dw_1");
    dw_1->move(535, 13);
    dw_1->resize(1303, 1317);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(dw_1->widget())) {
        area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    ddlb_1 = addControl<u_ddlb_a>("ddlb_1");
    ddlb_1->move(97, 65);
    ddlb_1->resize(315, 88);  // the list drops down to 369
    ddlb_1->setAllowEdit(false);
    ddlb_1->setSorted(false);
    for (const char* zoom : {"10", "25", "40", "50", "60", "75", "100"}) ddlb_1->addItem(zoom);

    on("constructor", [this](Args) {
        runtime::Ref<runtime::DataWindow> ldw_dw = app().g_str_pass.datawindow_base.get(1);
        if (!ldw_dw) return Value();
        dw_1->setDataObject(ldw_dw->dataObject());
        dw_1->modify("datawindow.print.preview=yes");
        dw_1->modify("datawindow.print.preview.rulers=yes");
        fu_set_zoom(25);
        ldw_dw->shareData(*dw_1);
        return Value();
    });
    ddlb_1->extend("selectionchanged", [this](Args a) {
        int index = a.empty() ? 0 : static_cast<int>(a[0].toInt());
        int16_t li_zoom = static_cast<int16_t>(Value(ddlb_1->itemText(index)).toInt());
        dw_1->modify("datawindow.print.preview.zoom=" + std::to_string(li_zoom));
        return Value();
    });
}

void uo_dw_preview::fu_set_zoom(int16_t ai_zoom) {
    dw_1->modify("datawindow.print.preview.zoom=" + std::to_string(ai_zoom));
    ddlb_1->selectItem(std::to_string(ai_zoom), 0);
}

void uo_dw_preview::fu_set_orientation(int16_t ai_orientation) {
    dw_1->modify("datawindow.print.orientation=" + std::to_string(ai_orientation));
}

void uo_dw_preview::fu_set_copies(int16_t ai_copies) {
    dw_1->modify("datawindow.print.copies=" + std::to_string(ai_copies));
}

}  // namespace pakomo
