#include "libraries/preview/w_userinfo_preview.h"

#include "libraries/preview/preview_library.h"

namespace pakomo {

w_userinfo_preview::w_userinfo_preview() : w_datawindow_zoom("w_userinfo_preview") {
    setTitle("Preview: User information");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        preview::set_text(
            *dw_1, "t_pagetext",
            fw_get_toptext(runtime::Value(preview::item_text(ids_datastore.get(), "usertext"))));
        return runtime::Value();
    });
}

}  // namespace pakomo
