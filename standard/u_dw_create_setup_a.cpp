#include "standard/u_dw_create_setup_a.h"

#include <QAbstractScrollArea>
#include <QFrame>

#include "authoring/core/nv_a.h"
#include "authoring/core/pakomo.h"
#include "runtime/services/Text.h"

namespace pakomo {

u_dw_create_setup_a::u_dw_create_setup_a(std::string className, std::string dataObject)
    : u_dw_select_none(std::move(className)) {
    if (!dataObject.empty()) setDataObject(dataObject);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget())) {
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setFrameShape(QFrame::NoFrame);
    }
    extend("constructor", [this](runtime::Args) {
        fu_register_objects();
        return runtime::Value();
    });
}

void u_dw_create_setup_a::fu_register_objects() {
    std::string parent = dataObject();
    if (parent.empty()) return;
    int count = static_cast<int>(runtime::textToLong(describe("datawindow.column.count")));
    for (int n = 1; n <= count; ++n) {
        std::string name = describe("#" + std::to_string(n) + ".Name");
        if (runtime::left(name, 10) == "stringvar_")
            app().gnv_regobjects->trigger("fnv_add_privilege", {name, parent, 1});
    }
}

}  // namespace pakomo
