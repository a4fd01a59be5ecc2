#include "libraries/preview/w_cregrp_preview.h"

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/preview/preview_library.h"

namespace pakomo {

w_cregrp_preview::w_cregrp_preview() : w_datawindow_zoom("w_cregrp_preview") {
    setTitle("Preview: Choose a programgroup");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        const u_ds_a* rows = ids_datastore.get();
        preview::set_text(*dw_1, "t_pagetext",
                          fw_get_toptext(runtime::Value(preview::item_text(rows, "grouptext"))));
        // Setup proposes the default group expanded.
        preview::set_text(*dw_1, "t_group",
                          app().gnv_create_setup.as<nv_create_setup>()->fnv_evaluate_string(
                              preview::item_text(rows, "groupname")));
        return runtime::Value();
    });
}

}  // namespace pakomo
