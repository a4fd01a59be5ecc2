#include "authoring/windows/w_mdi_frame.h"

#include <QIcon>
#include <QMainWindow>

#include "authoring/core/pakomo.h"
#include "authoring/windows/w_choose_product.h"
#include "authoring/windows/w_file_properties.h"
#include "authoring/windows/w_choose_stringvar.h"
#include "authoring/windows/w_datawindow_zoom.h"
#include "authoring/windows/w_handle_duplicate_files.h"
#include "authoring/windows/w_logo.h"
#include "authoring/windows/nv_stringvar_popup.h"
#include "authoring/windows/w_summary.h"
#include "authoring/windows/layouts/windows_layouts.h"
#include "authoring/windows/w_registry_view.h"
#include "runtime/core/Dispatch.h"
#include "runtime/ui/Menu.h"

namespace pakomo {

w_mdi_frame::w_mdi_frame() : w_mdi("w_mdi_frame", "m_mdi") {
    mainWidget()->setWindowIcon(QIcon(QStringLiteral(":/authoring/Icon.ico")));
    if (runtime::isClassRegistered("m_mdi")) {
        runtime::Ref<runtime::Menu> menu = runtime::createByName("m_mdi", this).as<runtime::Menu>();
        if (menu) setMenu(menu);
    }
    on("ue_fileopen", [this](runtime::Args) {
        ue_fileopen();
        return runtime::Value();
    });
}

void w_mdi_frame::ue_fileopen() {
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    setRedraw(false);
    const std::string what = app().g_str_pass.string.get(1);
    if (what == "choose_product") open_sheet(w_choose_product, "w_choose_product");
    else if (what == "project") open_sheet(w_project, "w_project");
    setRedraw(true);
}

// One instance per sheet class: asking again brings the open one forward and counts nothing.
void w_mdi_frame::open_sheet(runtime::Ref<runtime::Window>& instance, const std::string& className) {
    if (instance && instance->isOpen()) {
        instance->openSheet(*this);
        return;
    }
    fw_inc_open_sheets();
    int result = -1;
    if (runtime::isClassRegistered(className)) {
        instance = runtime::createByName(className).as<runtime::Window>();
        if (instance) result = instance->openSheet(*this);
    }
    if (result != 1) fw_dec_open_sheets();
}

void register_windows() {
    runtime::registerClass<w_logo>("w_logo");
    runtime::registerClass<w_mdi_frame>("w_mdi_frame");
    runtime::registerClass<w_choose_product>("w_choose_product");
    runtime::registerClass<w_file_properties>("w_file_properties");
    runtime::registerClass<w_handle_duplicate_files>("w_handle_duplicate_files");
    runtime::registerClass<w_datawindow_zoom>("w_datawindow_zoom");
    runtime::registerClass<w_choose_stringvar>("w_choose_stringvar");
    runtime::registerClass<nv_stringvar_popup>("nv_stringvar_popup");
    runtime::registerClass<w_summary>("w_summary");
    runtime::registerClass<w_registry_view>("w_registry_view");
    register_windows_layouts();
}

}  // namespace pakomo
