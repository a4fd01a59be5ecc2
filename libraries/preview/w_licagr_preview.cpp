#include "libraries/preview/w_licagr_preview.h"

#include "libraries/preview/preview_library.h"

namespace pakomo {

w_licagr_preview::w_licagr_preview() : w_datawindow_zoom("w_licagr_preview") {
    setTitle("Preview: License-agreement");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        const u_ds_a* rows = ids_datastore.get();
        preview::set_text(*dw_1, "t_lictext",
                          fw_get_toptext(runtime::Value(preview::item_text(rows, "lictext"))));
        preview::set_text(*dw_1, "t_acceptance",
                          "By clicking <Next> you accept the license agreement. The installation of " +
                              preview::item_text(rows, "prodname") + " will proceed when you click <Next>.");
        return runtime::Value();
    });
}

}  // namespace pakomo
