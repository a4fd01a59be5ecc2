#include "libraries/project/uo_project_pages.h"

#include <algorithm>
#include <cstdlib>

#include "authoring/core/pakomo.h"
#include "authoring/core/u_ds_a.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/preview/preview_library.h"
#include "libraries/project/w_project.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "standard/parent_window.h"
#include "standard/u_mle_a.h"
#include "standard/u_sle_a.h"
#include "standard/w_a.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

struct FieldText {
    int page;
    const char* table;
    const char* column;
    uo_project_pages::Field::Kind kind;
    const char* text;  // the check box's text or the field's label
    int limit;
};

using K = uo_project_pages::Field;
constexpr FieldText kFields[] = {
    {0, "WINDOWS", "WELCOME", K::Check, "Show the &welcome page", 0},
    {0, "WWELCOME", "PROTECT", K::Check, "with the c&opyright warning", 0},
    {1, "WINDOWS", "LICENSE", K::Check, "Show the &licence agreement:", 0},
    {1, "WLICAGR", "LICTEXT", K::Text, "", 0},
    {2, "WINDOWS", "USERINFO", K::Check, "Ask for the &user's name and company:", 0},
    {2, "WUSER", "REGKEY", K::Line, "Registry key:", 254},
    {2, "WUSER", "PAGETEXT", K::Text, "", 0},
    {3, "WINDOWS", "PROGGROUP", K::Check, "Let the user choose the progr&am group:", 0},
    {3, "WCREGRP", "GROUPNAME", K::Line, "Default group:", 32},
    {3, "WCREGRP", "PAGETEXT", K::Text, "", 0},
    {4, "WINDOWS", "FINISHED", K::Check, "Show the &finished page:", 0},
    {4, "WFINISH", "FINALTEXT", K::Text, "", 0},
    {4, "WFINISH", "RESTART", K::Check, "Offer to res&tart the computer:", 0},
    {4, "WFINISH", "CHOICE1", K::Line, "First choice:", 64},
    {4, "WFINISH", "CHOICE2", K::Line, "Second choice:", 64},
    {5, "README", "READMEMODE", K::Mode, "Readme file:", 0},
    {5, "README", "CHECKTEXT", K::Line, "Question text:", 64},
    {6, "PROGRESS", "PROGTEXT", K::Line, "Progress text:", 254},
    {6, "PROGRESS", "SHOWFILE", K::Check, "Show the name of the file being copied", 0},
    {7, "WMAIN", "TITLE", K::Line, "Background title:", 64},
};
constexpr const char* kPages[] = {"Welcome",      "License-agreement", "User information",
                                  "Programgroup", "Finished",          "Readme",
                                  "Progress",     "Background window"};
// The preview of each page; readme and progress have none.
constexpr const char* kPreviews[] = {"w_wwelcome_preview",
                                     "w_licagr_preview",
                                     "w_userinfo_preview",
                                     "w_cregrp_preview",
                                     "w_finished_preview",
                                     "",
                                     "",
                                     "w_wmain_preview"};
constexpr const char* kTables[] = {"WINDOWS", "WWELCOME", "WLICAGR",  "WUSER", "WCREGRP",
                                   "WFINISH", "README",   "PROGRESS", "WMAIN"};

// Below the pane's heading, inside its margin.
constexpr int kLabelX = uo_project_pane::margin, kFieldX = kLabelX + 560, kWidth = 1760;
constexpr int kTop = uo_project_pane::content_top;

bool report(const std::string& text) {
    runtime::messageBox("Project", text, runtime::MessageIcon::StopSign);
    return false;
}

}  // namespace

uo_project_pages::uo_project_pages() : uo_project_pane("uo_project_pages") {
    st_page = addControl<runtime::StaticText>("st_page");
    st_page->move(kLabelX, kTop + 8);
    st_page->resize(540, 72);
    st_page->setText("Setup's page:");
    ddlb_page = addControl<runtime::DropDownListBox>("ddlb_page");
    ddlb_page->move(kFieldX, kTop);
    ddlb_page->resize(800, 88);
    for (const char* page : kPages) ddlb_page->addItem(page);
    ddlb_page->on("selectionchanged", [this](Args a) {
        fu_show_page(a.empty() ? ddlb_page->selectedIndex() - 1 : static_cast<int>(a[0].toInt()) - 1);
        return Value();
    });
    cb_preview = addControl<runtime::CommandButton>("cb_preview");
    cb_preview->move(kFieldX + 840, kTop);
    cb_preview->resize(360, 88);
    cb_preview->setText("Pr&eview");
    cb_preview->on("clicked", [this](Args) {
        fu_preview();
        return Value();
    });

    // Per page, the fields from the top: a text of several lines takes the room left below.
    int y[8];
    std::fill(std::begin(y), std::end(y), kTop + 110);
    for (const FieldText& t : kFields) {
        Field f{t.page, t.table, t.column, t.kind, {}, {}, {}};
        const std::string name = std::string(t.table) + "_" + t.column;
        int& top = y[t.page];
        switch (t.kind) {
            case Field::Check: {
                auto c = addControl<runtime::CheckBox>("cbx_" + name);
                c->move(kLabelX, top);
                c->resize(kWidth, 76);
                c->setText(t.text);
                f.control = runtime::Ref<runtime::Control>(c.get());
                top += 84;
                break;
            }
            case Field::Line:
            case Field::Mode: {
                f.label = addControl<runtime::StaticText>("st_" + name);
                f.label->move(kLabelX, top + 8);
                f.label->resize(540, 72);
                f.label->setText(t.text);
                if (t.kind == Field::Mode) {
                    auto d = addControl<runtime::DropDownListBox>("ddlb_" + name);
                    d->addItem("Never show it");
                    d->addItem("Show it after the installation");
                    d->addItem("Ask whether to show it");
                    d->move(kFieldX, top);
                    d->resize(900, 88);
                    f.control = runtime::Ref<runtime::Control>(d.get());
                } else {
                    auto s = addControl<u_sle_a>("sle_" + name);
                    s->move(kFieldX, top);
                    s->resize(kWidth - kFieldX, 84);
                    s->setLimit(t.limit);
                    s->set_autohscroll(true);
                    f.control = runtime::Ref<runtime::Control>(s.get());
                }
                top += 92;
                break;
            }
            case Field::Text: {
                auto m = addControl<u_mle_a>("mle_" + name);
                m->move(kLabelX, top);
                m->resize(kWidth, 180);
                m->setFont("MS Sans Serif", 8, 400);
                f.control = runtime::Ref<runtime::Control>(m.get());
                top += 190;
                break;
            }
        }
        // A right click on a text offers the string variables (the edit popup).
        if (t.kind == Field::Line || t.kind == Field::Text) {
            runtime::Control* field = f.control.get();
            field->on("rbuttondown", [field](Args a) {
                runtime::Ref<runtime::Object> popup = runtime::isClassRegistered("nv_stringvar_popup")
                                                          ? runtime::createByName("nv_stringvar_popup")
                                                          : runtime::Ref<runtime::Object>();
                w_a* window = nullptr;
                if (auto* s = dynamic_cast<u_sle_a*>(field)) window = s->fu_get_parent_window().get();
                if (auto* m = dynamic_cast<u_mle_a*>(field)) window = m->fu_get_parent_window().get();
                if (popup && window) {
                    const int x = a.size() > 1 ? static_cast<int>(a[1].toInt()) : 0;
                    const int yy = a.size() > 2 ? static_cast<int>(a[2].toInt()) : 0;
                    popup->trigger("fnv_show_popup", {Value(window), Value(field), Value(x), Value(yy)});
                }
                if (popup) runtime::destroy(popup);
                return Value();
            });
        }
        i_fields.push_back(std::move(f));
    }
    ddlb_page->selectItem(1);
    fu_show_page(0);
}

runtime::Control* uo_project_pages::fu_field(const std::string& as_table_column) const {
    for (const Field& f : i_fields)
        if (std::string(f.table) + "." + f.column == as_table_column) return f.control.get();
    return nullptr;
}

void uo_project_pages::fu_show_page(int ai_page) {
    if (ai_page < 0 || ai_page >= static_cast<int>(std::size(kPages))) return;
    ii_page = ai_page;
    for (Field& f : i_fields) {
        f.control->setVisible(f.page == ai_page);
        if (f.label) f.label->setVisible(f.page == ai_page);
    }
    cb_preview->setEnabled(kPreviews[ai_page][0] != '\0');
    if (ddlb_page->selectedIndex() != ai_page + 1) ddlb_page->selectItem(ai_page + 1);
}

std::string uo_project_pages::fu_value(const Field& f) const {
    switch (f.kind) {
        case Field::Check:
            return dynamic_cast<runtime::CheckBox&>(*f.control).checked() ? "1" : "0";
        case Field::Mode: {
            // The second and third entries are the modes 1 and 2; the first is never (0).
            const int index = dynamic_cast<runtime::DropDownListBox&>(*f.control).selectedIndex();
            return std::to_string(index == 2 || index == 3 ? index - 1 : 0);
        }
        default:
            return f.control->text();
    }
}

void uo_project_pages::fu_set_value(Field& f, const std::string& as_value) {
    switch (f.kind) {
        case Field::Check:
            dynamic_cast<runtime::CheckBox&>(*f.control).setChecked(std::atof(as_value.c_str()) != 0);
            break;
        case Field::Mode: {
            const long mode = std::atol(as_value.c_str());
            dynamic_cast<runtime::DropDownListBox&>(*f.control)
                .selectItem(mode == 1 || mode == 2 ? mode + 1 : 1);
            break;
        }
        default:
            f.control->setText(as_value);
    }
    f.saved = fu_value(f);
}

bool uo_project_pages::fu_load(int16_t ai_prod_id) {
    ii_prod_id = ai_prod_id;
    i_tables_found.clear();
    pakomo& a = app();
    const Value id(ai_prod_id);
    for (const char* table : kTables) {
        std::string sql = "SELECT ";
        std::vector<Field*> fields;
        for (Field& f : i_fields) {
            if (std::string(f.table) != table) continue;
            sql += (fields.empty() ? "" : ", ") + std::string(f.column);
            fields.push_back(&f);
        }
        sql += std::string(" FROM ") + table + " WHERE PRODID = ?";
        runtime::SqlRow row;
        const long rc = a.sqlca.selectIntoValues(sql, std::span(&id, 1), row);
        if (rc < 0) return report("The texts of Setup's pages could not be read: " + a.sqlca.sqlErrText);
        if (rc == 0) i_tables_found.push_back(table);
        for (size_t i = 0; i < fields.size(); ++i)
            fu_set_value(*fields[i], rc == 0 && i < row.size() && row[i] ? *row[i] : std::string());
    }
    return true;
}

bool uo_project_pages::fu_is_modified() const {
    return std::any_of(i_fields.begin(), i_fields.end(),
                       [this](const Field& f) { return fu_value(f) != f.saved; });
}

bool uo_project_pages::fu_save() {
    pakomo& a = app();
    for (const char* table : kTables) {
        std::vector<const Field*> fields;
        bool changed = false;
        for (const Field& f : i_fields) {
            if (std::string(f.table) != table) continue;
            fields.push_back(&f);
            changed = changed || fu_value(f) != f.saved;
        }
        const bool found =
            std::find(i_tables_found.begin(), i_tables_found.end(), table) != i_tables_found.end();
        if (!changed && found) continue;
        const Value prod(int{ii_prod_id});
        std::vector<Value> values;
        if (!found) values.push_back(prod);
        for (const Field* f : fields) {
            const std::string v = fu_value(*f);
            if (f->kind == Field::Check || f->kind == Field::Mode)
                values.emplace_back(std::atol(v.c_str()));
            else
                values.emplace_back(v);
        }
        std::string sql;
        if (found) {
            sql = std::string("UPDATE ") + table + " SET ";
            for (size_t i = 0; i < fields.size(); ++i)
                sql += (i ? ", " : "") + std::string(fields[i]->column) + " = ?";
            sql += " WHERE PRODID = ?";
            values.push_back(prod);
        } else {
            // A product made before a page's table had its row gets one now.
            sql = std::string("INSERT INTO ") + table + " (PRODID";
            std::string marks = "?";
            for (const Field* f : fields) {
                sql += std::string(", ") + f->column;
                marks += ", ?";
            }
            sql += ") VALUES (" + marks + ")";
        }
        if (a.sqlca.executeValues(sql, values) < 0) return false;
    }
    return true;
}

void uo_project_pages::fu_saved() {
    i_tables_found.assign(std::begin(kTables), std::end(kTables));
    for (Field& f : i_fields) f.saved = fu_value(f);
}

void uo_project_pages::fu_preview() {
    const char* window = kPreviews[ii_page];
    if (window[0] == '\0') return;
    auto rows = runtime::create<u_ds_a>();
    rows->setDataObject("d_page_preview");
    rows->insertRow(0);
    auto text = [this](const char* name) {
        runtime::Control* c = fu_field(name);
        return c ? c->text() : std::string();
    };
    auto flag = [this](const char* name) {
        auto* c = dynamic_cast<runtime::CheckBox*>(fu_field(name));
        return Value(c && c->checked() ? 1 : 0);
    };
    // The product's name and version as typed in the window above.
    runtime::Ref<w_a> w = find_parent_window(*this);
    auto product = [w](const char* control) {
        auto* c = w ? dynamic_cast<runtime::Control*>(w->findControl(control)) : nullptr;
        return c ? runtime::trim(c->text()) : std::string();
    };
    rows->setItem(1, "prodname", Value(product("sle_prodname")));
    rows->setItem(1, "prodvers", Value(product("sle_prodvers")));
    rows->setItem(1, "protect", flag("WWELCOME.PROTECT"));
    rows->setItem(1, "lictext", Value(text("WLICAGR.LICTEXT")));
    rows->setItem(1, "usertext", Value(text("WUSER.PAGETEXT")));
    rows->setItem(1, "groupname", Value(runtime::trim(text("WCREGRP.GROUPNAME"))));
    rows->setItem(1, "grouptext", Value(text("WCREGRP.PAGETEXT")));
    rows->setItem(1, "finaltext", Value(text("WFINISH.FINALTEXT")));
    rows->setItem(1, "restart", flag("WFINISH.RESTART"));
    rows->setItem(1, "choice1", Value(text("WFINISH.CHOICE1")));
    rows->setItem(1, "choice2", Value(text("WFINISH.CHOICE2")));
    rows->setItem(1, "title", Value(text("WMAIN.TITLE")));
    // The texts expand PRODUCTNAME and PRODUCTVERSION as Setup will once the product is saved:
    // with the name and version typed, not those last saved, which come back when it has opened.
    runtime::DataStore* names = nullptr;
    const runtime::Ref<nv_create_setup> service = app().gnv_create_setup.as<nv_create_setup>();
    if (service && service->ids_product_stringtable && service->ids_product_stringtable->rowCount() >= 1)
        names = service->ids_product_stringtable.get();
    const Value saved[2] = {names ? names->getItem(1, "prodname") : Value(),
                            names ? names->getItem(1, "prodvers") : Value()};
    auto put = [names](const Value& name, const Value& vers) {
        if (!names) return;
        names->setItem(1, "prodname", name);
        names->setItem(1, "prodvers", vers);
    };
    auto open = [&](u_ds_a* texts) {
        put(rows->getItem(1, "prodname"), rows->getItem(1, "prodvers"));
        try {
            fw_open_preview(window, *rows, texts);
        } catch (...) {
            put(saved[0], saved[1]);
            throw;
        }
        put(saved[0], saved[1]);
    };
    // The background's colour and texts as the background tab holds them.
    auto* project = dynamic_cast<w_project*>(w.get());
    if (uo_project_background* background = project ? project->i_background.get() : nullptr) {
        rows->setItem(1, "bgcolor", Value(background->fu_get_backgroundcolor()));
        open(background->ids_texts.get());
        runtime::destroy(rows);
        return;
    }
    auto texts = runtime::create<u_ds_a>();
    texts->setDataObject("d_project_maintext");
    texts->setTransObject(&app().sqlca);
    const Value id(ii_prod_id);
    texts->retrieve({&id, 1});
    runtime::SqlRow colour;
    if (app().sqlca.selectIntoValues("SELECT BGCOLOR FROM WMAIN WHERE PRODID = ?", std::span(&id, 1),
                                     colour) == 0 &&
        !colour.empty() && colour[0])
        rows->setItem(1, "bgcolor", Value(std::atol(colour[0]->c_str())));
    open(texts.get());
    runtime::destroy(texts);
    runtime::destroy(rows);
}

}  // namespace pakomo
