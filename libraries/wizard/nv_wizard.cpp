#include "libraries/wizard/nv_wizard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/pakomo.h"
#include "authoring/project/nv_create_setup.h"
#include "libraries/wizard/w_product_wizard.h"
#include "libraries/wizard/w_regkey_wizard.h"
#include "libraries/wizard/w_stringtable_wizard.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/Text.h"
#include "runtime/ui/Window.h"
#include "standard/w_mdi.h"

namespace pakomo {

using runtime::Value;

namespace {

constexpr const char* BoxTitle = "Product wizard";



bool flag(const Value& v) { return !v.isNull() && v.toInt() != 0; }
Value bit(bool on) { return Value(on ? 1 : 0); }

// The row fnv_prodname_changed compares with the current product: the edited name, version,
// label and base path.
std::shared_ptr<const runtime::DataLayout> renamed_layout() {
    auto l = std::make_shared<runtime::DataLayout>();
    l->name = "d_wizard_product";
    l->columns = {layout_column("prodname", "", "char(32)"), layout_column("prodvers", "", "char(16)"),
                  layout_column("label", "", "char(32)"), layout_column("stringvar_basepath", "", "char(254)")};
    return l;
}

nv_create_setup* service() { return app().gnv_create_setup.as<nv_create_setup>().get(); }

// Why `text` cannot be (part of) a folder name on Windows; empty when it can.
std::string folder_name_problem(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 32) return "it holds a control character";
        if (std::string_view("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return std::string("it holds the character ") + static_cast<char>(c);
    }
    if (!text.empty() && (text.back() == '.' || text.back() == ' ')) return "it ends in a point";
    // The device names, alone or before an extension.
    std::string stem = runtime::upper(text.substr(0, text.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const devices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
                                          "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
                                          "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
    for (const char* device : devices)
        if (stem == device) return std::string("it is the name of the device ") + device;
    return {};
}

// The single-row page tables, each written as one INSERT of the product's row.
struct PageTable {
    const char* table;
    const char* insert;
};
constexpr std::array<PageTable, 9> kPageTables = {{
    {"WINDOWS", "INSERT INTO WINDOWS (PRODID, WELCOME, LICENSE, USERINFO, FINISHED, PROGGROUP) VALUES (?, ?, ?, ?, ?, ?)"},
    {"WMAIN", "INSERT INTO WMAIN (PRODID, TITLE, BGCOLOR) VALUES (?, ?, ?)"},
    {"WWELCOME", "INSERT INTO WWELCOME (PRODID, PROTECT) VALUES (?, ?)"},
    {"WLICAGR", "INSERT INTO WLICAGR (PRODID, LICTEXT) VALUES (?, ?)"},
    {"WUSER", "INSERT INTO WUSER (PRODID, REGKEY, PAGETEXT) VALUES (?, ?, ?)"},
    {"WFINISH", "INSERT INTO WFINISH (PRODID, FINALTEXT, RESTART, CHOICE1, CHOICE2) VALUES (?, ?, ?, ?, ?)"},
    {"WCREGRP", "INSERT INTO WCREGRP (PRODID, GROUPNAME, PAGETEXT) VALUES (?, ?, ?)"},
    {"README", "INSERT INTO README (PRODID, READMEMODE, CHECKTEXT) VALUES (?, ?, ?)"},
    {"PROGRESS", "INSERT INTO PROGRESS (PRODID, PROGTEXT, SHOWFILE) VALUES (?, ?, ?)"},
}};

std::vector<Value> page_values(size_t table, int16_t id, const str_wizard_pages& p) {
    const Value prod(int{id});
    switch (table) {
    case 0: return {prod, bit(p.welcome), bit(p.license), bit(p.userinfo), bit(p.finished), bit(p.proggroup)};
    case 1: return {prod, Value(p.title), Value(static_cast<long long>(p.bgcolor))};
    case 2: return {prod, bit(p.protect)};
    case 3: return {prod, Value(p.lictext)};
    case 4: return {prod, Value(p.userkey), Value(p.usertext)};
    case 5: return {prod, Value(p.finaltext), bit(p.restart), Value(p.choice1), Value(p.choice2)};
    case 6: return {prod, Value(p.groupname), Value(p.grouptext)};
    case 7: return {prod, Value(static_cast<long long>(p.readmemode)), Value(p.checktext)};
    default: return {prod, Value(p.progtext), bit(p.showfile)};
    }
}

// The first row of a query as values; empty when there is none.
runtime::SqlRow first_row(const std::string& sql, int16_t id) {
    runtime::SqlRow row;
    const Value prod(int{id});
    if (app().sqlca.selectIntoValues(sql, std::span(&prod, 1), row) != 0) row.clear();
    return row;
}
std::string cell_text(const runtime::SqlRow& row, size_t i, const std::string& otherwise) {
    return i < row.size() && row[i] ? *row[i] : otherwise;
}
bool cell_flag(const runtime::SqlRow& row, size_t i, bool otherwise) {
    return i < row.size() && row[i] ? std::atof(row[i]->c_str()) != 0 : otherwise;
}
int64_t cell_number(const runtime::SqlRow& row, size_t i, int64_t otherwise) {
    return i < row.size() && row[i] ? static_cast<int64_t>(std::atof(row[i]->c_str())) : otherwise;
}

}  // namespace

nv_wizard::nv_wizard() : nv_a("nv_wizard") {
    extend("constructor", [this](runtime::Args) {
        fnv_start();
        return Value();
    });
    extend("destructor", [this](runtime::Args) {
        close_window();
        if (ids_products) {
            ids_products->shareDataOff();
            runtime::destroy(ids_products);
        }
        return Value();
    });
}

nv_wizard::~nv_wizard() = default;

str_wizard_pages nv_wizard::fnv_default_pages() {
    str_wizard_pages p;
    p.title = "^PRODUCTNAME^ Setup";
    p.bgcolor = 8388608;  // dark blue
    p.lictext =
        "Read the licence agreement below. Choose Yes to accept it and go on installing ^PRODUCTNAME^, "
        "or No to stop.";
    p.userkey = "^PRODUCTNAME^";
    p.usertext = "Type your name and the name of your company.";
    p.finaltext = "^PRODUCTNAME^ has been installed.";
    p.choice1 = "Yes, restart the computer now.";
    p.choice2 = "No, I will restart the computer later.";
    p.groupname = "^PRODUCTNAME^";
    p.grouptext = "Setup adds the program's icons to the program group below. Type a new name or choose a group.";
    p.readmemode = 2;
    p.checktext = "Show the readme file now";
    p.progtext = "Installing ^PRODUCTNAME^ ...";
    return p;
}

bool nv_wizard::report(const std::string& text) {
    runtime::messageBox(BoxTitle, text, runtime::MessageIcon::StopSign);
    return false;
}

long nv_wizard::product_row(int16_t ai_prod_id) const {
    for (long r = 1; r <= ids_products->rowCount(); ++r)
        if (ids_products->getItem(r, "id").toInt() == ai_prod_id) return r;
    return 0;
}

void nv_wizard::fnv_start() {
    pakomo& a = app();
    is_action = a.g_str_pass.string.get(1);
    nv_create_setup* s = service();
    if (!s || (is_action != "new" && is_action != "existing")) {
        report("The product wizard cannot start here.");
        fnv_end();
        return;
    }
    ids_products = runtime::create<runtime::DataStore>();
    ids_products->setDataObject("d_all_products");
    s->fnv_share_all_products(*ids_products);

    iw_wizard = runtime::adopt(std::make_unique<w_product_wizard>(*this));
    if (is_action == "new") {
        // The catalogue row is added only when the wizard saves, so Cancel leaves nothing behind.
        auto fresh = runtime::create<runtime::DataStore>();
        fresh->setDataObject("d_all_products");
        fnv_show(*fresh, fresh->insertRow(0), fnv_default_pages());
        runtime::destroy(fresh);
        iw_wizard->setTitle("New product");
    } else if (!fnv_load_existing()) {
        fnv_end();
        return;
    }
    iw_wizard->open(a.g_w_frame.get());
    // The pages of their own read the product's rows once they are open (none for a new one).
    if (iw_wizard && iw_wizard->isOpen() &&
        (!iw_wizard->iw_stringtable->fw_load(ii_prod_id) || !iw_wizard->iw_regkey->fw_load(ii_prod_id)))
        fnv_end();
}

bool nv_wizard::fnv_load_existing() {
    ii_prod_id = app().gi_prod_id;
    const long row = ii_prod_id > 0 ? product_row(ii_prod_id) : 0;
    if (row < 1) return report("The product cannot be found: it may have been deleted. Choose another product.");

    const str_wizard_pages d = fnv_default_pages();
    str_wizard_pages p = d;
    auto w = first_row("SELECT WELCOME, LICENSE, USERINFO, FINISHED, PROGGROUP FROM WINDOWS WHERE PRODID = ?", ii_prod_id);
    p.welcome = cell_flag(w, 0, d.welcome);
    p.license = cell_flag(w, 1, d.license);
    p.userinfo = cell_flag(w, 2, d.userinfo);
    p.finished = cell_flag(w, 3, d.finished);
    p.proggroup = cell_flag(w, 4, d.proggroup);
    auto m = first_row("SELECT TITLE, BGCOLOR FROM WMAIN WHERE PRODID = ?", ii_prod_id);
    p.title = cell_text(m, 0, d.title);
    p.bgcolor = cell_number(m, 1, d.bgcolor);
    p.protect = cell_flag(first_row("SELECT PROTECT FROM WWELCOME WHERE PRODID = ?", ii_prod_id), 0, d.protect);
    p.lictext = cell_text(first_row("SELECT LICTEXT FROM WLICAGR WHERE PRODID = ?", ii_prod_id), 0, d.lictext);
    auto u = first_row("SELECT REGKEY, PAGETEXT FROM WUSER WHERE PRODID = ?", ii_prod_id);
    p.userkey = cell_text(u, 0, d.userkey);
    p.usertext = cell_text(u, 1, d.usertext);
    auto f = first_row("SELECT FINALTEXT, RESTART, CHOICE1, CHOICE2 FROM WFINISH WHERE PRODID = ?", ii_prod_id);
    p.finaltext = cell_text(f, 0, d.finaltext);
    p.restart = cell_flag(f, 1, d.restart);
    p.choice1 = cell_text(f, 2, d.choice1);
    p.choice2 = cell_text(f, 3, d.choice2);
    auto g = first_row("SELECT GROUPNAME, PAGETEXT FROM WCREGRP WHERE PRODID = ?", ii_prod_id);
    p.groupname = cell_text(g, 0, d.groupname);
    p.grouptext = cell_text(g, 1, d.grouptext);
    auto r = first_row("SELECT READMEMODE, CHECKTEXT FROM README WHERE PRODID = ?", ii_prod_id);
    p.readmemode = cell_number(r, 0, d.readmemode);
    p.checktext = cell_text(r, 1, d.checktext);
    auto pr = first_row("SELECT PROGTEXT, SHOWFILE FROM PROGRESS WHERE PRODID = ?", ii_prod_id);
    p.progtext = cell_text(pr, 0, d.progtext);
    p.showfile = cell_flag(pr, 1, d.showfile);

    fnv_show(*ids_products, row, p);
    iw_wizard->setTitle("Product wizard - " + runtime::trim(iw_wizard->sle_prodname->text()));
    return true;
}

void nv_wizard::fnv_show(const runtime::DataStore& products, long row, const str_wizard_pages& p) {
    w_product_wizard& w = *iw_wizard;
    w.sle_prodname->setText(products.getItemString(row, "prodname"));
    w.sle_prodvers->setText(products.getItemString(row, "prodvers"));
    w.sle_label->setText(products.getItemString(row, "label"));
    w.sle_basepath->setText(products.getItemString(row, "basepath"));
    w.cbx_setupnorm->setChecked(flag(products.getItem(row, "setupnorm")));
    w.cbx_setupmin->setChecked(flag(products.getItem(row, "setupmin")));
    w.cbx_setupcust->setChecked(flag(products.getItem(row, "setupcust")));
    w.cbx_readme->setChecked(flag(products.getItem(row, "readme")));

    w.cbx_welcome->setChecked(p.welcome);
    w.cbx_protect->setChecked(p.protect);
    w.cbx_license->setChecked(p.license);
    w.mle_lictext->setText(p.lictext);
    w.cbx_userinfo->setChecked(p.userinfo);
    w.sle_userkey->setText(p.userkey);
    w.mle_usertext->setText(p.usertext);
    w.cbx_proggroup->setChecked(p.proggroup);
    w.sle_groupname->setText(p.groupname);
    w.mle_grouptext->setText(p.grouptext);
    w.cbx_finished->setChecked(p.finished);
    w.mle_finaltext->setText(p.finaltext);
    w.cbx_restart->setChecked(p.restart);
    w.sle_choice1->setText(p.choice1);
    w.sle_choice2->setText(p.choice2);
    // Modes 1 and 2 are the second and third entries; every other mode means never.
    w.ddlb_readmemode->selectItem(p.readmemode == 1 || p.readmemode == 2 ? static_cast<int>(p.readmemode) + 1 : 1);
    w.sle_checktext->setText(p.checktext);
    w.sle_progtext->setText(p.progtext);
    w.cbx_showfile->setChecked(p.showfile);
    w.sle_title->setText(p.title);
    w.sle_bgcolor->setText(std::to_string(p.bgcolor));
}

str_wizard_pages nv_wizard::fnv_pages_from_window() const {
    const w_product_wizard& w = *iw_wizard;
    str_wizard_pages p;
    p.welcome = w.cbx_welcome->checked();
    p.protect = w.cbx_protect->checked();
    p.license = w.cbx_license->checked();
    p.lictext = w.mle_lictext->text();
    p.userinfo = w.cbx_userinfo->checked();
    p.userkey = runtime::trim(w.sle_userkey->text());
    p.usertext = w.mle_usertext->text();
    p.proggroup = w.cbx_proggroup->checked();
    p.groupname = runtime::trim(w.sle_groupname->text());
    p.grouptext = w.mle_grouptext->text();
    p.finished = w.cbx_finished->checked();
    p.finaltext = w.mle_finaltext->text();
    p.restart = w.cbx_restart->checked();
    p.choice1 = w.sle_choice1->text();
    p.choice2 = w.sle_choice2->text();
    const int mode = w.ddlb_readmemode->selectedIndex();
    p.readmemode = mode == 2 || mode == 3 ? mode - 1 : 0;
    p.checktext = w.sle_checktext->text();
    p.progtext = w.sle_progtext->text();
    p.showfile = w.cbx_showfile->checked();
    p.title = w.sle_title->text();
    p.bgcolor = std::atoll(runtime::trim(w.sle_bgcolor->text()).c_str());
    return p;
}

// Wrong input sends the user to the page that holds it.
bool nv_wizard::fnv_check_input() {
    for (int page = 0; page < w_product_wizard::page_count; ++page)
        if (!fnv_check_page(page)) return false;
    return true;
}

bool nv_wizard::fnv_check_page(int ai_page) {
    if (!iw_wizard) return false;
    w_product_wizard& w = *iw_wizard;
    auto refuse = [&](const std::string& text) {
        if (w.fw_get_page() != ai_page) w.fw_show_page(ai_page);
        return report(text);
    };
    if (ai_page == 0) {
        const std::string name = runtime::trim(w.sle_prodname->text());
        if (name.empty()) return refuse("Type the product's name.");
        // The full product name names the folder the build writes the discs into.
        const struct {
            const char* field;
            runtime::SingleLineEdit* edit;
        } parts[] = {{"product name", w.sle_prodname.get()},
                     {"version", w.sle_prodvers.get()},
                     {"label", w.sle_label.get()}};
        for (const auto& part : parts) {
            const std::string text = runtime::trim(part.edit->text());
            if (std::string problem = folder_name_problem(text); !problem.empty()) {
                part.edit->setFocus();
                return refuse(std::string("The ") + part.field + " \"" + text +
                              "\" cannot be part of a folder name: " + problem + ". Type another " +
                              part.field + ".");
            }
        }
        if (!w.cbx_setupnorm->checked() && !w.cbx_setupmin->checked() && !w.cbx_setupcust->checked())
            return refuse("Choose at least one setup type.");
        // The full name names the product's settings and build folder, so no two products share one.
        const std::string full = runtime::lower(service()->fnv_get_trimmed(
            name, runtime::trim(w.sle_prodvers->text()), runtime::trim(w.sle_label->text())));
        for (long r = 1; r <= ids_products->rowCount(); ++r) {
            if (is_action == "existing" && ids_products->getItem(r, "id").toInt() == ii_prod_id) continue;
            const std::string other =
                service()->fnv_get_trimmed(runtime::trim(ids_products->getItemString(r, "prodname")),
                                           runtime::trim(ids_products->getItemString(r, "prodvers")),
                                           runtime::trim(ids_products->getItemString(r, "label")));
            if (runtime::lower(other) == full)
                return refuse("Another product is called \"" + other +
                              "\" already. Change the name, version or label.");
        }
    } else if (ai_page == 3) {
        const std::string color = runtime::trim(w.sle_bgcolor->text());
        const bool digits =
            !color.empty() && color.size() <= 8 &&
            std::all_of(color.begin(), color.end(), [](unsigned char c) { return std::isdigit(c); });
        if (!digits || std::atoll(color.c_str()) > 16777215) {
            w.sle_bgcolor->setFocus();
            return refuse(
                "The background colour \"" + color +
                "\" is no colour: type a number from 0 to 16777215 (red + 256 x green + 65536 x blue), or "
                "choose one with Colour...");
        }
    } else if (ai_page == 4) {
        if (w.fw_get_page() != 4) w.fw_show_page(4);
        if (!w.iw_stringtable->fw_validate()) return false;
    } else if (ai_page == 5) {
        if (w.fw_get_page() != 5) w.fw_show_page(5);
        if (!w.iw_regkey->fw_validate()) return false;
    }
    return true;
}

bool nv_wizard::fnv_finish() {
    if (!iw_wizard || !fnv_check_input()) return false;
    if (!fnv_save()) return false;
    fnv_end();
    return true;
}

void nv_wizard::fnv_cancel() { fnv_end(); }

bool nv_wizard::fnv_save() {
    pakomo& a = app();
    nv_create_setup& s = *service();
    w_product_wizard& w = *iw_wizard;
    const bool is_new = is_action == "new";
    const str_wizard_pages pages = fnv_pages_from_window();

    int16_t id = ii_prod_id;
    if (is_new) id = s.fnv_insert_product();
    const long row = product_row(id);
    bool ok = row > 0;
    if (ok && !is_new) ok = fnv_rename_existing(s);
    if (ok) {
        ids_products->setItem(row, "prodname", Value(runtime::trim(w.sle_prodname->text())));
        ids_products->setItem(row, "prodvers", Value(runtime::trim(w.sle_prodvers->text())));
        ids_products->setItem(row, "label", Value(runtime::trim(w.sle_label->text())));
        ids_products->setItem(row, "basepath", Value(runtime::trim(w.sle_basepath->text())));
        ids_products->setItem(row, "setupnorm", bit(w.cbx_setupnorm->checked()));
        ids_products->setItem(row, "setupmin", bit(w.cbx_setupmin->checked()));
        ids_products->setItem(row, "setupcust", bit(w.cbx_setupcust->checked()));
        ids_products->setItem(row, "readme", bit(w.cbx_readme->checked()));
        ok = s.fnv_update_all_products() == 1;
    }
    std::string error = ok ? std::string() : a.sqlca.sqlErrText;
    if (ok) {
        ok = fnv_save_pages(id, pages, is_new) && w.iw_stringtable->fw_save(id) && w.iw_regkey->fw_save(id);
        if (!ok) error = a.sqlca.sqlErrText;
    }
    if (ok && a.sqlca.commit() < 0) {
        ok = false;
        error = a.sqlca.sqlErrText;
    }
    if (!ok) {
        a.sqlca.rollback();
        // The catalogue takes back what the database holds, without the row that was not saved.
        s.fnv_retrieve_all_products();
        return report("The product could not be saved: " + error + "\nCheck the database, then choose Finish again.");
    }
    w.iw_stringtable->fw_saved();
    w.iw_regkey->fw_saved();
    return true;
}

// The page rows are replaced as a whole; the background texts (MAINTEXT) are not the wizard's,
// except for the one text a new product starts with.
bool nv_wizard::fnv_save_pages(int16_t ai_prod_id, const str_wizard_pages& pages, bool ab_new) {
    runtime::Transaction& sqlca = app().sqlca;
    const Value prod(int{ai_prod_id});
    for (size_t i = 0; i < kPageTables.size(); ++i) {
        if (!ab_new) {
            const std::string del = std::string("DELETE FROM ") + kPageTables[i].table + " WHERE PRODID = ?";
            if (sqlca.executeValues(del, std::span(&prod, 1)) < 0) return false;
        }
        const std::vector<Value> values = page_values(i, ai_prod_id, pages);
        if (sqlca.executeValues(kPageTables[i].insert, values) < 0) return false;
    }
    if (ab_new) {
        const std::vector<Value> text = {Value(1), prod, Value("^PRODUCTNAME^"), Value(500), Value(600), Value(28),
                                         Value(1), Value(0), Value(0), Value(16777215), Value("Arial")};
        if (sqlca.executeValues("INSERT INTO MAINTEXT (ID, PRODID, TEXTLINE, XPOS, YPOS, FONTSIZE, BOLD, ITALIC, "
                                "UNDERLINE, COLOR, FONTFACE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                                text) < 0)
            return false;
    }
    return true;
}

// The settings key is named after the full product name: a new name leaves the old key behind,
// so the service drops it and takes the new values before the row is saved.
bool nv_wizard::fnv_rename_existing(nv_create_setup& service) {
    if (service.fnv_retrieve_product_stringtable(ii_prod_id) != 1) return false;
    w_product_wizard& w = *iw_wizard;
    auto edited = runtime::create<runtime::DataStore>(renamed_layout());
    edited->insertRow(0);
    edited->setItem(1, "prodname", Value(runtime::trim(w.sle_prodname->text())));
    edited->setItem(1, "prodvers", Value(runtime::trim(w.sle_prodvers->text())));
    edited->setItem(1, "label", Value(runtime::trim(w.sle_label->text())));
    edited->setItem(1, "stringvar_basepath", Value(runtime::trim(w.sle_basepath->text())));
    service.fnv_prodname_changed(*edited);
    runtime::destroy(edited);
    return true;
}

// Ends the wizard: the window closes and the chooser frees this object. Nothing here may be
// touched once the chooser has been told.
void nv_wizard::close_window() {
    if (!iw_wizard) return;
    iw_wizard->ib_ending = true;
    if (iw_wizard->isOpen())
        iw_wizard->close();
    else
        runtime::destroy(iw_wizard);
}

void nv_wizard::fnv_end() {
    close_window();
    for (runtime::Window* window : runtime::Window::openWindows()) {
        if (runtime::lower(window->className()) == "w_choose_product") {
            window->post("ue_end_wizard");
            return;
        }
    }
    // Without a chooser nobody frees the wizard: it frees itself.
    runtime::destroy(this);
}

void register_wizard_library() { runtime::registerClass<nv_wizard>("nv_wizard"); }

}  // namespace pakomo
