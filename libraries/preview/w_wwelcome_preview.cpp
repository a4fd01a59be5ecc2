#include "libraries/preview/w_wwelcome_preview.h"

#include "libraries/preview/preview_library.h"

namespace pakomo {

w_wwelcome_preview::w_wwelcome_preview() : w_datawindow_zoom("w_wwelcome_preview") {
    setTitle("Preview: Welcome");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        const u_ds_a* rows = ids_datastore.get();
        const std::string name = preview::item_text(rows, "prodname");
        // Setup puts the name and version into its sentence as they are stored.
        preview::set_text(*dw_1, "t_heading",
                          "Welcome to the " + name + " installation program. This program will install " +
                              name + " " + preview::item_text(rows, "prodvers") + " on your computer.");
        return runtime::Value();
    });
}

}  // namespace pakomo
