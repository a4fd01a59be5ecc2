#pragma once
// A text field whose right click offers the string variables (the edit popup) in place of the
// field's own menu. The popup shows once the click is over, through the window's ue_rbuttondown,
// and is made at the first right click.
#include <QLineEdit>

#include "runtime/core/Object.h"
#include "standard/u_sle_a.h"

namespace pakomo {

template <class Window>
void fu_stringvar_field(Window& window, u_sle_a& field, runtime::Ref<runtime::Object>& popup) {
    using runtime::Args;
    using runtime::Value;
    field.lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    field.on("rbuttondown", [&window](Args a) {
        window.post("ue_rbuttondown", {a.begin(), a.end()});
        return Value();
    });
    window.on("ue_rbuttondown", [&window, &field, &popup](Args a) {
        if (!popup && runtime::isClassRegistered("nv_stringvar_popup"))
            popup = runtime::createByName("nv_stringvar_popup");
        if (!popup) return Value();
        popup->trigger("fnv_show_popup", {Value(&window), Value(&field), a.size() > 1 ? a[1] : Value(0),
                                          a.size() > 2 ? a[2] : Value(0)});
        return Value();
    });
}

}  // namespace pakomo
