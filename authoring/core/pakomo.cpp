#include "authoring/core/pakomo.h"

#include "authoring/core/nv_a.h"
#include "authoring/core/nv_message.h"
#include "authoring/core/nv_registry_create_setup.h"
#include "runtime/core/Dispatch.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/services/MessageBox.h"
#include "runtime/ui/Window.h"

#include <QtGlobal>

// The pictures live in a static library: naming them here keeps them in the program.
static void init_pictures() { Q_INIT_RESOURCE(authoring_pictures); }

namespace pakomo {
namespace {

// The project tables that the shut-down compacts: every one but MESSAGE.
constexpr const char* kPackedTables[] = {"File",     "Filegrp", "Maintext", "Product", "Proggrp", "Progress",
                                         "Readme",   "Regkeys", "Strings",  "Wcregrp", "Wfinish", "Windows",
                                         "Wlicagr",  "Wmain",   "Wuser",    "Wwelcome"};

// An object of a class built elsewhere, created by its name, that must be a T.
template <class T>
runtime::Ref<T> create_by_name(std::string_view className) {
    runtime::Ref<runtime::Object> object = runtime::createByName(className);
    runtime::Ref<T> typed = object.as<T>();
    if (!typed) {
        runtime::destroy(object);
        throw runtime::RuntimeError("Class \"" + std::string(className) + "\" is not of the expected kind");
    }
    return typed;
}

runtime::Ref<runtime::Window> open_window(std::string_view className) {
    runtime::Ref<runtime::Window> window = create_by_name<runtime::Window>(className);
    window->open();
    return window;
}

}  // namespace

pakomo::pakomo() : runtime::Application("pakomo") {
    init_pictures();
    // The runtime's own status-bar text and the title of the boxes its row sets show on their own.
    setMicroHelpDefault(microhelpdefault);
    setDwMessageTitle(dwmessagetitle);
    on("open", [this](runtime::Args) {
        open_event();
        return runtime::Value();
    });
    on("close", [this](runtime::Args) {
        close_event();
        return runtime::Value();
    });
    on("systemerror", [this](runtime::Args) {
        systemerror_event();
        return runtime::Value();
    });
}

pakomo::~pakomo() = default;

void pakomo::open_event() {
    runtime::Pointer::set(runtime::PointerShape::HourGlass);
    runtime::setGarbageCollectionInterval(999999);

    g_str_pass.app_name = "Pakomo";
    g_str_pass.major_version = "1";
    g_str_pass.minor_version = "0e";
    g_str_pass.full_appname =
        g_str_pass.app_name + " " + g_str_pass.major_version + "." + g_str_pass.minor_version;
    g_str_pass.icon_bmp = ":/authoring/icon.bmp";  // among the program's embedded pictures
    g_str_pass.language = "english";

    // The settings root is made from full_appname, so the service comes after it.
    gnv_registry = runtime::create<nv_registry_create_setup>();
    gs_helpfile = gnv_registry->fnv_get_help_path() + "\\Pakomo 1.hlp";
    const std::string ls_dsn = gnv_registry->fnv_get_db_dsn();
    g_env = runtime::environment();

    runtime::Ref<runtime::Window> logo = open_window("w_logo");

    sqlca.dbms = "ODBC";
    sqlca.dbParm = "Connectstring='DSN=" + ls_dsn + "'";
    sqlca.connect();
    if (sqlca.sqlCode == 0) {
        gnv_message = runtime::create<nv_message>();
        gnv_create_setup = create_by_name<nv_a>("nv_create_setup");
        gnv_win32api = runtime::createByName("nv_winapi");
        gnv_regobjects = create_by_name<nv_a>("nv_regobjects");
        runtime::Ref<runtime::Window> frame = open_window("w_mdi_frame");
        g_str_pass.string[1] = "choose_product";
        // Queued behind the frame's ue_init: the chooser opens once open has ended.
        frame->post("ue_fileopen");
    } else {
        runtime::messageBox("Error opening database", sqlca.sqlErrText, runtime::MessageIcon::StopSign,
                            runtime::MessageButtons::Ok);
    }
    if (runtime::Window* splash = logo.get()) splash->close();
}

void pakomo::close_event() {
    sqlca.disconnect();
    sqlca.autoCommit = true;
    sqlca.connect();
    for (const char* table : kPackedTables) sqlca.executeImmediate(std::string("PACK ") + table);
    sqlca.disconnect();

    if (gnv_registry) runtime::destroy(gnv_registry);
    if (gnv_message) runtime::destroy(gnv_message);
    if (gnv_create_setup) runtime::destroy(gnv_create_setup);
    if (gnv_win32api) runtime::destroy(gnv_win32api);
    if (gnv_regobjects) runtime::destroy(gnv_regobjects);
    runtime::collectGarbage();
}

void pakomo::systemerror_event() {
    const runtime::ErrorInfo& e = error();
    const std::string text =
        "A fatal error has occured. The application will shut down after closing this window.\r"
        "Please call your supplier and provide the following information:"
        "\r\r"
        "Object:\t\t" + e.object + "\r"
        "Event:\t\t" + e.event + "\r"
        "Line:\t\t" + std::to_string(e.line) + "\r"
        "Error:\t\t" + e.text;
    runtime::messageBox("Fatal error", text, runtime::MessageIcon::Information, runtime::MessageButtons::Ok);
    haltClose();
}

pakomo& app() {
    auto* application = dynamic_cast<pakomo*>(runtime::Application::instance());
    if (!application) throw runtime::RuntimeError("Null object reference: no application object");
    return *application;
}

}  // namespace pakomo
