#include "authoring/menus/m_choose_product.h"

#include "authoring/core/pakomo.h"
#include "runtime/core/RuntimeError.h"
#include "runtime/ui/VisualObject.h"

namespace pakomo {
namespace {

struct Command {
    const char* name;
    const char* text;
    int shortcut;
    const char* microhelp;
    const char* tbName;
    const char* tbText;
    int tbSpace;
    const char* event;  // empty: a separator
    bool onList;        // raised on the chooser's list rather than the chooser
};

const Command kCommands[] = {
    {"m_product_nieuw", "&New...\tCtrl+N", 334, "Create a new product with the Wizard", "New!", "New", 0,
     "ue_start_wizard", false},
    {"m_product_openen", "&Open\tCtrl+O", 335, "Open the selected product for editing.", "Custom050!", "Open", 0,
     "ue_ok", false},
    {"m_product_wizard", "&Wizard...\tCtrl+W", 343, "Start the wizard to edit the selected product.", "Custom075!",
     "Wizard", 0, "ue_popup_wizard", true},
    {"m_product_dupliceren", "&Duplicate\tCtrl+D", 324, "Create a copy of the selected product.", "DataPipeline!",
     "Duplicate", 0, "ue_popup_duplicate", true},
    {"m_-5", "-", 0, "", "", "", 0, "", false},
    {"m_product_verwijderen", "De&lete...\tDel", 46, "Delete the selected product.", "Clear!", "Delete", 1,
     "ue_popup_delete", true},
    {"m_-6", "-", 0, "", "", "", 0, "", false},
    {"m_product_compileren", "&Compile...\tF7", 118, "Compile the selected product.", "Project!", "Compile", 1,
     "ue_popup_build", true},
    {"m_product_testen", "&Test\tF8", 119, "Test Setup.", "Run!", "Test", 0, "ue_popup_test", true},
    {"m_product_-", "-", 0, "", "", "", 0, "", false},
    {"m_product_samenvatting", "&Summary\tF2", 113, "Show summary of programgroups, filegroups, files etc.",
     "ComputeSum!", "Summary", 1, "ue_popup_summary", true},
};

}  // namespace

m_choose_product::m_choose_product() : m_mdi("m_choose_product") {
    runtime::Menu& nieuw = item_named("m_nieuw");
    nieuw.setText("&Nieuw");
    nieuw.setShortcut(256);
    runtime::Menu& openen = item_named("m_openen");
    openen.setVisible(false);
    openen.setText("&Openen productselectie");
    openen.setEnabled(false);
    openen.setShortcut(256);
    item_named("m_sluiten").setVisible(true);
    runtime::Menu& product = item_named("m_item1");
    product.setVisible(true);
    product.setText("&Product");
    item_named("m_vertikaal").setToolbarItemSpace(1);

    for (const Command& c : kCommands) {
        runtime::Ref<runtime::Menu> entry = product.addItem(c.name, c.text);
        if (std::string(c.event).empty()) continue;
        entry->setShortcut(c.shortcut);
        entry->setMicroHelp(c.microhelp);
        entry->setToolbarItemName(c.tbName);
        entry->setToolbarItemText(c.tbText);
        entry->setToolbarItemSpace(c.tbSpace);
        const std::string event = c.event;
        const bool onList = c.onList;
        entry->on("clicked", [this, event, onList](runtime::Args) {
            runtime::Window& w = chooser();
            iw_choose_product = runtime::Ref<runtime::Window>(&w);
            std::vector<runtime::Value> args;
            if (event == "ue_start_wizard") args.emplace_back("new");
            if (onList) {
                runtime::Object* list = nullptr;
                for (runtime::Object* child : w.children())
                    if (auto* control = dynamic_cast<runtime::VisualObject*>(child); control && control->name() == "lv_choice")
                        list = child;
                if (!list) throw runtime::RuntimeError("Null object reference: the chooser has no list");
                list->post(event, std::move(args));
            } else {
                w.post(event, std::move(args));
            }
            return runtime::Value();
        });
    }
}

runtime::Window& m_choose_product::chooser() {
    runtime::Window* w = iw_parent.get();
    if (!w || w->className() != "w_choose_product")
        throw runtime::RuntimeError("Null object reference: the menu serves no product chooser");
    return *w;
}

}  // namespace pakomo
