#include "authoring/core/layouts/core_layouts.h"

namespace pakomo {

// One numbered message.
runtime::DataLayout d_message_one() {
    runtime::DataLayout l;
    l.name = "d_message_one";
    l.columns = {
        layout_column("text", "MESSAGE.TEXT", "char(254)"),
        layout_column("level", "MESSAGE.LEVEL", "decimal(0)"),
        layout_column("button", "MESSAGE.BUTTON", "decimal(0)"),
        layout_column("title", "MESSAGE.TITLE", "char(64)"),
    };
    l.select = "SELECT MESSAGE.TEXT, MESSAGE.LEVEL, MESSAGE.BUTTON, MESSAGE.TITLE FROM MESSAGE WHERE MESSAGE.ID = :1";
    return l;
}

}  // namespace pakomo
