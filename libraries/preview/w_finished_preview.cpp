#include "libraries/preview/w_finished_preview.h"

#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/preview/preview_library.h"

namespace pakomo {

w_finished_preview::w_finished_preview() : w_datawindow_zoom("w_finished_preview") {
    setTitle("Preview: Finished");
    extend("open", [this](runtime::Args) {
        fw_set_helptopic(preview_help_topic);
        const u_ds_a* rows = ids_datastore.get();
        nv_create_setup& service = *app().gnv_create_setup.as<nv_create_setup>();
        preview::set_text(*dw_1, "t_finaltext",
                          fw_get_toptext(runtime::Value(preview::item_text(rows, "finaltext"))));
        // Setup marks the first choice; without the restart offer the choices and their advice are hidden.
        const bool restart = preview::item_number(rows, "restart") != 0;
        preview::set_text(*dw_1, "t_choice1",
                          "(\u2022)  " + service.fnv_evaluate_string(preview::item_text(rows, "choice1")));
        preview::set_text(*dw_1, "t_choice2",
                          "( )  " + service.fnv_evaluate_string(preview::item_text(rows, "choice2")));
        for (const char* name : {"t_choice1", "t_choice2", "t_advice"})
            dw_1->modify(std::string(name) + ".visible=" + (restart ? "1" : "0"));
        return runtime::Value();
    });
}

}  // namespace pakomo
