#pragma once
// The application object: the root of the authoring program. It owns every global of the
// program; code reaches them through app(), the one accessor.
//
// Services and windows of other subsystems (w_logo, w_mdi_frame, nv_create_setup, nv_winapi,
// nv_regobjects, w_moment_aub) are created and opened by class name through the runtime's class
// registry. Functions of the project service that this subsystem calls (fnv_get_fullprodname,
// fnv_set_compiled) are raised on it by name: that service answers them as events too.
#include <cstdint>
#include <string>

#include "runtime/core/Application.h"
#include "runtime/core/Object.h"
#include "runtime/db/Transaction.h"
#include "runtime/services/System.h"
#include "standard/s_pass.h"

namespace runtime {
class Window;
}

namespace pakomo {

class nv_a;
class nv_registry_create_setup;
class nv_message;
class w_mdi;

class pakomo : public runtime::Application {
public:
    pakomo();
    ~pakomo() override;

    // Properties of the application, fixed when it is created.
    const std::string appname = "pakomo";
    const std::string microhelpdefault = "Holvane";
    const std::string dwmessagetitle = "Serious error";
    const bool toolbarusercontrol = false;

    // The globals of the program.
    runtime::Transaction sqlca;
    runtime::Ref<nv_registry_create_setup> gnv_registry;
    runtime::Ref<nv_message> gnv_message;
    runtime::Ref<nv_a> gnv_create_setup;        // an nv_create_setup
    runtime::Ref<runtime::Object> gnv_win32api;  // an nv_winapi
    runtime::Ref<nv_a> gnv_regobjects;          // an nv_regobjects
    runtime::Ref<w_mdi> g_w_frame;              // filled by the frame itself
    std::string gs_helpfile;
    s_pass g_str_pass;
    runtime::Environment g_env;
    int16_t gi_prod_id = 0;

    // The one wait window and the program's count of waits not yet cleared (see nv_a).
    runtime::Ref<runtime::Window> w_moment_aub;
    int32_t wait_open_count = 0;

private:
    void open_event();
    void close_event();
    void systemerror_event();
};

// The running application object; a runtime error when there is none.
pakomo& app();

}  // namespace pakomo
