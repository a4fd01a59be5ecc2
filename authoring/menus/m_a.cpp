#include "authoring/menus/m_a.h"

#include "authoring/core/pakomo.h"
#include "runtime/ui/Services.h"
#include "standard/u_dw_a.h"
#include "standard/w_a.h"
#include "standard/w_dw_a.h"
#include "standard/w_mdi.h"

namespace pakomo {
namespace {

struct Entry {
    const char* name;
    const char* text;
    int shortcut = 0;
    bool visible = true;
    const char* microhelp = "";
    const char* tbName = "";
    const char* tbText = "";
    bool tbVisible = true;
    int tbOrder = 0;
    int tbSpace = 0;
};

// Each top-level item followed by its entries.
struct TopItem {
    Entry item;
    std::vector<Entry> entries;
};

std::vector<TopItem> standard_tree() {
    std::vector<TopItem> tree = {
        {{"m_bestand", "&File"},
         {
             {"m_nieuw", "&New\tCtrl+N", 334, false, "Create a new file", "", "New", false},
             {"m_openen", "&Open...\tCtrl+O", 335, false, "Open an existing file", "Custom007!", "Open", false},
             {"m_sluiten", "&Close\tCtrl+F4", 371, false, "Close this file", "", "Close", false},
             {"m_-", "-", 0, false},
             {"m_opslaan", "&Save\tCtrl+S", 339, false, "Save this file", "Save.bmp", "Save", false},
             {"m_opslaanals", "Save &As...", 0, false, "Save this file with a different name", "", "Save As", false},
             {"m_allesopslaan", "Save A&ll", 0, false, "Save all files", "", "Save All", false},
             {"m_-1", "-", 0, false},
             {"m_afdrukken", "&Print...\tCtrl+P", 336, false, "Print this file", "Print!", "Print", false},
             {"m_-2", "-", 0, false},
             {"m_afsluiten", "&Exit\tAlt+F4", 627, true, "Exit the application", "Exit!", "Exit", true, 99, 1},
         }},
        {{"m_bewerken", "&Edit", 0, false, "", "", "", false},
         {
             {"m_knippen", "Cu&t\tCtrl+X", 344, false, "Cut the selected item to the clipboard", "Cut!", "Cut", false, 0, 2},
             {"m_kopiren", "&Copy\tCtrl+C", 323, false, "Copy the selected item to the clipboard", "Copy!", "Copy", false},
             {"m_plakken", "&Paste\tCtrl+V", 342, false, "Copy the clipboard to the selected item", "Paste!", "Paste", false},
             {"m_-3", "-", 0, false},
             {"m_toevoegen", "&Add\tIns", 45, false, "Add an item", "Invoeg.bmp", "Add", false},
             {"m_extra1", "Extra1", 0, false, "", "", "", false},
             {"m_verwijderen", "&Delete\tCtrl+Del", 302, false, "Delete this item", "Del_rij.bmp", "Delete", false},
         }},
    };
    static const char* const placeholders[] = {"m_item1", "m_item2", "m_item3", "m_item4",
                                               "m_item5", "m_item6", "m_item7", "m_item8"};
    static const char* const placeholderTexts[] = {"Item1", "Item2", "Item3", "Item4",
                                                   "Item5", "Item6", "Item7", "Item8"};
    for (int i = 0; i < 8; ++i) tree.push_back({{placeholders[i], placeholderTexts[i], 0, false, "", "", "", false}, {}});
    tree.push_back({{"m_venster", "&Window"},
                    {
                        {"m_vertikaal", "&Vertical", 0, true, "Arrange windows as vertically tiled", "Tile!", "Vertical"},
                        {"m_horizontaal", "&Horizontal", 0, true, "Arrange windows as horizontally tiled", "Horizontal!", "Horizontal"},
                        {"m_gelaagd", "&Layered", 0, true, "Arrange windows as layered", "Layer!", "Layered"},
                        {"m_waterval", "&Cascade", 0, true, "Arrange windows as cascaded", "Cascade!", "Cascade"},
                    }});
    tree.push_back({{"m_help", "&Help"},
                    {
                        {"m_inhoud", "&Contents...\tF1", 112, true, "Show help-contents", "Help!", "Help-contents", true, 0, 1},
                        {"m_zoeken", "&Search...\tShift+F1", 1136, true, "Search for specific help-items"},
                        {"m_-4", "-"},
                        {"m_over", "About...\tAlt+F1", 624, true, "Info"},
                    }});
    return tree;
}

runtime::Ref<runtime::Menu> add(runtime::Menu& parent, const Entry& e) {
    runtime::Ref<runtime::Menu> item = parent.addItem(e.name, e.text);
    if (e.shortcut) item->setShortcut(e.shortcut);
    item->setVisible(e.visible);
    item->setMicroHelp(e.microhelp);
    item->setToolbarItemName(e.tbName);
    item->setToolbarItemText(e.tbText);
    item->setToolbarItemVisible(e.tbVisible);
    item->setToolbarItemOrder(e.tbOrder);
    item->setToolbarItemSpace(e.tbSpace);
    return item;
}

// Cut, copy and paste on whichever kind of window the menu serves.
template <class F>
void with_window_ancestor(runtime::Window* window, F f) {
    if (auto* w = dynamic_cast<w_a_of<runtime::Window>*>(window)) f(*w);
    else if (auto* fr = dynamic_cast<w_a_of<runtime::FrameWindow>*>(window)) f(*fr);
}

runtime::Value none() { return runtime::Value(); }

// Data windows travel in events as their handles.
runtime::Value handle_of(const runtime::Ref<u_dw_a>& dw) {
    return dw ? runtime::Value(dw->handle()) : runtime::Value();
}

}  // namespace

m_a::m_a(std::string className) : runtime::Menu(std::move(className)) {
    for (const TopItem& top : standard_tree()) {
        runtime::Ref<runtime::Menu> item = add(*this, top.item);
        for (const Entry& e : top.entries) add(*item, e);
    }
    using runtime::Args;
    for (const char* name : {"m_bestand", "m_bewerken", "m_item1", "m_item2", "m_item3", "m_item4", "m_item5",
                             "m_item6", "m_item7", "m_item8"}) {
        runtime::Menu& item = item_named(name);
        item.on("clicked", [this, &item](Args) { return record_parent(item), none(); });
    }
    item_named("m_openen").on("clicked", [](Args) {
        if (w_mdi* frame = app().g_w_frame.get()) frame->post("ue_fileopen");
        return none();
    });
    item_named("m_sluiten").on("clicked", [this](Args) {
        if (runtime::Window* w = iw_parent.get()) w->post("ue_close");
        return none();
    });
    item_named("m_afdrukken").on("clicked", [this](Args) {
        if (runtime::Window* w = iw_parent.get()) w->post("ue_print");
        return none();
    });
    item_named("m_opslaan").on("clicked", [this](Args) { return save(), none(); });
    item_named("m_afsluiten").on("clicked", [this](Args) { return exit(), none(); });
    struct Clip {
        const char* name;
        void (*act)(runtime::Window*);
    };
    const Clip clips[] = {
        {"m_knippen", [](runtime::Window* w) { with_window_ancestor(w, [](auto& a) { a.fw_cut(); }); }},
        {"m_kopiren", [](runtime::Window* w) { with_window_ancestor(w, [](auto& a) { a.fw_copy(); }); }},
        {"m_plakken", [](runtime::Window* w) { with_window_ancestor(w, [](auto& a) { a.fw_paste(); }); }},
    };
    for (const Clip& c : clips) {
        runtime::Menu& entry = item_named(c.name);
        entry.on("clicked", [this, &entry, act = c.act](Args) {
            record_parent(entry);
            act(iw_parent.get());
            return none();
        });
    }
    const std::pair<const char*, int> arrangements[] = {
        {"m_vertikaal", runtime::FrameWindow::Tile},
        {"m_horizontaal", runtime::FrameWindow::TileHorizontal},
        {"m_gelaagd", runtime::FrameWindow::Layer},
        {"m_waterval", runtime::FrameWindow::Cascade},
    };
    for (auto [name, how] : arrangements)
        item_named(name).on("clicked", [how](Args) {
            app().g_w_frame->arrangeSheets(how);
            return none();
        });
    item_named("m_inhoud").on("clicked", [](Args) {
        runtime::showHelp(app().gs_helpfile, runtime::HelpCommand::Contents);
        return none();
    });
    item_named("m_zoeken").on("clicked", [](Args) {
        runtime::showHelp(app().gs_helpfile, runtime::HelpCommand::Keyword, 0, "");
        return none();
    });
    item_named("m_over").on("clicked", [](Args) {
        if (auto about = runtime::createByName("w_about").as<runtime::Window>()) about->open();
        return none();
    });
}

m_a::~m_a() = default;

runtime::Menu& m_a::item_named(std::string_view name) const {
    runtime::Menu* item = findItem(name);
    if (!item) throw runtime::RuntimeError("Menu item " + std::string(name) + " does not exist");
    return *item;
}

void m_a::record_parent(runtime::Menu& item) {
    if (runtime::Window* w = item.parentWindow()) iw_parent = runtime::Ref<runtime::Window>(w);
}

void m_a::save() {
    auto* window = dynamic_cast<w_dw_a*>(iw_parent.get());
    if (!window) return;
    const bool accepted = window->trigger("ue_accept", {handle_of(window->fw_get_active_datawindow())}).toBool();
    if (!accepted) return;
    window->post("ue_save", {handle_of(window->fw_get_active_datawindow())});
}

void m_a::exit() {
    pakomo& a = app();
    if (w_mdi* frame = a.g_w_frame.get()) {
        frame->trigger("ue_close");
        return;
    }
    a.haltClose();
}

}  // namespace pakomo
