#include "libraries/wizard/w_product_wizard.h"

#include <QMainWindow>

#include "authoring/core/pakomo.h"
#include "authoring/core/u_ds_a.h"
#include "libraries/preview/preview_library.h"
#include "libraries/wizard/nv_wizard.h"
#include "libraries/wizard/w_regkey_wizard.h"
#include "libraries/wizard/w_stringtable_wizard.h"
#include "runtime/services/Text.h"
#include "standard/nv_dialogs.h"

namespace pakomo {

using runtime::Args;
using runtime::Value;

namespace {

constexpr int kLabelX = 40, kFieldX = 700, kFieldWidth = 1600, kRow = 100;

struct PageText {
    const char* heading;
    const char* explain;
};
constexpr PageText kPages[w_product_wizard::page_count] = {
    {"Product", "Name the product and choose the setup types the installer offers."},
    {"Welcome, licence and user", "Choose the first pages of the installer and type their texts."},
    {"Program group and end", "Choose the program group page and what the installer says when it is done."},
    {"Readme, progress and background",
     "How the readme file is offered, the text while copying, and the background window."},
    {"String variables", "Texts that other texts use as ^NAME^. Right-click the list to add or delete one."},
    {"Registry entries", "Right-click to add an entry; Registry... copies values from this computer."},
};

}  // namespace

template <class T>
runtime::Ref<T> w_product_wizard::page_control(int page, const std::string& name, int x, int y, int width,
                                               int height, const std::string& text) {
    runtime::Ref<T> c = addControl<T>(name);
    c->move(x, y);
    c->resize(width, height);
    if (!text.empty()) c->setText(text);
    i_page_controls.emplace_back(page, runtime::Ref<runtime::Control>(c));
    return c;
}

void w_product_wizard::label(int page, const std::string& name, int y, const std::string& text) {
    page_control<runtime::StaticText>(page, name, kLabelX, y + 8, kFieldX - kLabelX - 20, 72, text);
}

w_product_wizard::w_product_wizard(nv_wizard& owner)
    : w_a("w_product_wizard", runtime::WindowKind::Popup), inv_owner(owner) {
    resize(2400, 1560);
    setTitleBarBoxes(true, false, false);
    setResizable(false);
    // Modal without a loop of its own: the chooser cannot start a second wizard meanwhile, and the
    // wizard's creator gets control back at once.
    mainWidget()->setWindowModality(Qt::ApplicationModal);
    st_heading = addControl<runtime::StaticText>("st_heading");
    st_heading->move(kLabelX, 30);
    st_heading->resize(2300, 90);
    st_heading->setFont("MS Sans Serif", 12, 700);
    st_explain = addControl<runtime::StaticText>("st_explain");
    st_explain->move(kLabelX, 130);
    st_explain->resize(2300, 80);

    // Page 0.
    int y = 260;
    label(0, "st_prodname", y, "Product name:");
    sle_prodname = page_control<runtime::SingleLineEdit>(0, "sle_prodname", kFieldX, y, kFieldWidth, 88);
    sle_prodname->setLimit(32);
    label(0, "st_prodvers", y += kRow, "Version:");
    sle_prodvers = page_control<runtime::SingleLineEdit>(0, "sle_prodvers", kFieldX, y, 600, 88);
    sle_prodvers->setLimit(16);
    label(0, "st_label", y += kRow, "Label:");
    sle_label = page_control<runtime::SingleLineEdit>(0, "sle_label", kFieldX, y, 900, 88);
    sle_label->setLimit(32);
    label(0, "st_basepath", y += kRow, "Destination folder:");
    sle_basepath = page_control<runtime::SingleLineEdit>(0, "sle_basepath", kFieldX, y, kFieldWidth, 88);
    sle_basepath->setLimit(254);
    label(0, "st_setuptypes", y += kRow + 40, "Setup types:");
    cbx_setupnorm = page_control<runtime::CheckBox>(0, "cbx_setupnorm", kFieldX, y, 500, 80, "Norm&al");
    cbx_setupmin = page_control<runtime::CheckBox>(0, "cbx_setupmin", kFieldX + 520, y, 500, 80, "&Minimal");
    cbx_setupcust = page_control<runtime::CheckBox>(0, "cbx_setupcust", kFieldX + 1040, y, 500, 80, "&Custom");
    cbx_readme = page_control<runtime::CheckBox>(0, "cbx_readme", kFieldX, y += kRow + 20, kFieldWidth, 80,
                                                 "The installer may show a &readme file");

    // Page 1.
    y = 260;
    cbx_welcome = page_control<runtime::CheckBox>(1, "cbx_welcome", kLabelX, y, 1000, 80, "Show the &welcome page");
    cbx_protect = page_control<runtime::CheckBox>(1, "cbx_protect", kFieldX + 400, y, 900, 80,
                                                  "with the &copyright warning");
    cbx_license = page_control<runtime::CheckBox>(1, "cbx_license", kLabelX, y += kRow, 1400, 80,
                                                  "Show the &licence agreement:");
    mle_lictext = page_control<runtime::MultiLineEdit>(1, "mle_lictext", kLabelX, y += kRow - 10, 2300, 330);
    cbx_userinfo = page_control<runtime::CheckBox>(1, "cbx_userinfo", kLabelX, y += 350, 1400, 80,
                                                   "Ask for the &user's name and company:");
    label(1, "st_userkey", y += kRow - 10, "Registry key:");
    sle_userkey = page_control<runtime::SingleLineEdit>(1, "sle_userkey", kFieldX, y, kFieldWidth, 88);
    sle_userkey->setLimit(254);
    mle_usertext = page_control<runtime::MultiLineEdit>(1, "mle_usertext", kLabelX, y += kRow, 2300, 220);

    // Page 2.
    y = 260;
    cbx_proggroup = page_control<runtime::CheckBox>(2, "cbx_proggroup", kLabelX, y, 1400, 80,
                                                    "Let the user choose the &program group:");
    label(2, "st_groupname", y += kRow - 10, "Default group:");
    sle_groupname = page_control<runtime::SingleLineEdit>(2, "sle_groupname", kFieldX, y, 1000, 88);
    sle_groupname->setLimit(32);
    mle_grouptext = page_control<runtime::MultiLineEdit>(2, "mle_grouptext", kLabelX, y += kRow, 2300, 200);
    cbx_finished = page_control<runtime::CheckBox>(2, "cbx_finished", kLabelX, y += 230, 1400, 80,
                                                   "Show the finishe&d page:");
    mle_finaltext = page_control<runtime::MultiLineEdit>(2, "mle_finaltext", kLabelX, y += kRow - 10, 2300, 200);
    cbx_restart = page_control<runtime::CheckBox>(2, "cbx_restart", kLabelX, y += 230, 1400, 80,
                                                  "Offer to &restart the computer:");
    label(2, "st_choice1", y += kRow - 10, "First choice:");
    sle_choice1 = page_control<runtime::SingleLineEdit>(2, "sle_choice1", kFieldX, y, kFieldWidth, 88);
    sle_choice1->setLimit(64);
    label(2, "st_choice2", y += kRow, "Second choice:");
    sle_choice2 = page_control<runtime::SingleLineEdit>(2, "sle_choice2", kFieldX, y, kFieldWidth, 88);
    sle_choice2->setLimit(64);

    // Page 3.
    y = 260;
    label(3, "st_readmemode", y, "Readme file:");
    ddlb_readmemode = page_control<runtime::DropDownListBox>(3, "ddlb_readmemode", kFieldX, y, 1200, 88);
    ddlb_readmemode->addItem("Never show it");
    ddlb_readmemode->addItem("Show it after the installation");
    ddlb_readmemode->addItem("Ask whether to show it");
    label(3, "st_checktext", y += kRow, "Question text:");
    sle_checktext = page_control<runtime::SingleLineEdit>(3, "sle_checktext", kFieldX, y, kFieldWidth, 88);
    sle_checktext->setLimit(64);
    label(3, "st_progtext", y += kRow + 40, "Progress text:");
    sle_progtext = page_control<runtime::SingleLineEdit>(3, "sle_progtext", kFieldX, y, kFieldWidth, 88);
    sle_progtext->setLimit(254);
    cbx_showfile = page_control<runtime::CheckBox>(3, "cbx_showfile", kFieldX, y += kRow, kFieldWidth, 80,
                                                   "Show the name of the file being copied");
    label(3, "st_title", y += kRow + 40, "Background title:");
    sle_title = page_control<runtime::SingleLineEdit>(3, "sle_title", kFieldX, y, kFieldWidth, 88);
    sle_title->setLimit(64);
    label(3, "st_bgcolor", y += kRow, "Background colour:");
    sle_bgcolor = page_control<runtime::SingleLineEdit>(3, "sle_bgcolor", kFieldX, y, 500, 88);
    cb_bgcolor =
        page_control<runtime::CommandButton>(3, "cb_bgcolor", kFieldX + 520, y - 6, 320, 100, "Colour...");
    page_control<runtime::StaticText>(3, "st_bgcolor_hint", kFieldX, y + kRow + 8, kFieldWidth, 72,
                                      "red + 256 x green + 65536 x blue");
    // A colour typed or picked from the fixed colours (whose RGB... mixes one).
    cb_bgcolor->on("clicked", [this](Args) {
        const std::string typed = runtime::trim(sle_bgcolor->text());
        int32_t color = static_cast<int32_t>(std::atol(typed.c_str()));
        if (color < 0 || color > 16777215) color = 0;
        auto dialogs = runtime::create<nv_dialogs>();
        if (dialogs->fnv_get_color(color)) sle_bgcolor->setText(std::to_string(color));
        runtime::destroy(dialogs);
        return Value();
    });

    // Pages 4 and 5, opened inside this window with it.
    iw_stringtable = runtime::adopt(std::make_unique<w_stringtable_wizard>(), this);
    iw_regkey = runtime::adopt(std::make_unique<w_regkey_wizard>(), this);

    const struct {
        runtime::Ref<runtime::CommandButton>* button;
        int page, x, y;
        const char* name;
        const char* window;
    } previews[] = {{&cb_preview_welcome, 1, 2040, 260, "cb_preview_welcome", "w_wwelcome_preview"},
                    {&cb_preview_license, 1, 2040, 360, "cb_preview_license", "w_licagr_preview"},
                    {&cb_preview_userinfo, 1, 2040, 800, "cb_preview_userinfo", "w_userinfo_preview"},
                    {&cb_preview_proggroup, 2, 2040, 260, "cb_preview_proggroup", "w_cregrp_preview"},
                    {&cb_preview_finished, 2, 2040, 680, "cb_preview_finished", "w_finished_preview"},
                    {&cb_preview_background, 3, kFieldX + 860, y - 6, "cb_preview_background", "w_wmain_preview"}};
    for (const auto& p : previews) {
        *p.button = page_control<runtime::CommandButton>(p.page, p.name, p.x, p.y, 300, 88, "Preview");
        const std::string window = p.window;
        (*p.button)->on("clicked", [this, window](Args) {
            fw_preview(window);
            return Value();
        });
    }

    cb_back = addControl<runtime::CommandButton>("cb_back");
    cb_next = addControl<runtime::CommandButton>("cb_next");
    cb_finish = addControl<runtime::CommandButton>("cb_finish");
    cb_cancel = addControl<runtime::CommandButton>("cb_cancel");
    const char* texts[] = {"< &Back", "&Next >", "&Finish", "Cancel"};
    runtime::Ref<runtime::CommandButton>* buttons[] = {&cb_back, &cb_next, &cb_finish, &cb_cancel};
    for (int i = 0; i < 4; ++i) {
        (*buttons[i])->move(1000 + 340 * i, 1400);
        (*buttons[i])->resize(320, 100);
        (*buttons[i])->setText(texts[i]);
    }
    cb_next->setDefault(true);
    cb_cancel->setCancel(true);
    cb_back->on("clicked", [this](Args) {
        if (ii_page > 0) fw_show_page(ii_page - 1);
        return Value();
    });
    // What a page holds is checked before the next one shows.
    cb_next->on("clicked", [this](Args) {
        if (ii_page + 1 < page_count && inv_owner.fnv_check_page(ii_page)) fw_show_page(ii_page + 1);
        return Value();
    });
    cb_finish->on("clicked", [this](Args) {
        inv_owner.fnv_finish();
        return Value();
    });
    cb_cancel->on("clicked", [this](Args) {
        inv_owner.fnv_cancel();
        return Value();
    });
    // Closing by the title bar is Cancel; a close the wizard asks for itself goes through.
    on("closequery", [this](Args) {
        if (!ib_ending) inv_owner.fnv_cancel();
        return Value(0);
    });
    extend("close", [this](Args) {
        for (runtime::Window* page : {static_cast<runtime::Window*>(iw_stringtable.get()),
                                      static_cast<runtime::Window*>(iw_regkey.get())})
            if (page && page->isOpen()) page->close();
        return Value();
    });
    extend("open", [this](Args) {
        fw_center();
        fw_set_helptopic(help_topic);
        for (runtime::Window* page : {static_cast<runtime::Window*>(iw_stringtable.get()),
                                      static_cast<runtime::Window*>(iw_regkey.get())}) {
            page->move(kLabelX, 240);
            page->open(this);
        }
        fw_show_page(0);
        return Value();
    });
}

void w_product_wizard::fw_show_page(int ai_page) {
    if (ai_page < 0 || ai_page >= page_count) return;
    ii_page = ai_page;
    for (auto& [page, control] : i_page_controls)
        if (control) control->setVisible(page == ai_page);
    if (iw_stringtable) iw_stringtable->setVisible(ai_page == 4);
    if (iw_regkey) iw_regkey->setVisible(ai_page == 5);
    st_heading->setText(std::string(kPages[ai_page].heading) + " (" + std::to_string(ai_page + 1) + " of " +
                        std::to_string(page_count) + ")");
    st_explain->setText(kPages[ai_page].explain);
    cb_back->setEnabled(ai_page > 0);
    const bool last = ai_page + 1 == page_count;
    cb_next->setEnabled(!last);
    // Enter goes on to the next page, and on the last one finishes.
    cb_next->setDefault(!last);
    cb_finish->setDefault(last);
    if (ai_page == 4 && iw_stringtable) iw_stringtable->dw_strings->setFocus();
    if (ai_page == 5 && iw_regkey) iw_regkey->dw_regkeys->setFocus();
    for (auto& [page, control] : i_page_controls) {
        if (page == ai_page && control && !dynamic_cast<runtime::StaticText*>(control.get())) {
            control->setFocus();
            // Typing replaces a proposed value such as "<Your productname>".
            if (auto* edit = dynamic_cast<runtime::SingleLineEdit*>(control.get()))
                edit->selectText(0, static_cast<int>(edit->text().size()));
            break;
        }
    }
}

void w_product_wizard::fw_preview(const std::string& as_window) {
    auto rows = runtime::create<u_ds_a>();
    rows->setDataObject("d_page_preview");
    rows->insertRow(0);
    const std::pair<const char*, Value> values[] = {
        {"prodname", Value(runtime::trim(sle_prodname->text()))},
        {"prodvers", Value(runtime::trim(sle_prodvers->text()))},
        {"protect", Value(cbx_protect->checked() ? 1 : 0)},
        {"lictext", Value(mle_lictext->text())},
        {"usertext", Value(mle_usertext->text())},
        {"groupname", Value(runtime::trim(sle_groupname->text()))},
        {"grouptext", Value(mle_grouptext->text())},
        {"finaltext", Value(mle_finaltext->text())},
        {"restart", Value(cbx_restart->checked() ? 1 : 0)},
        {"choice1", Value(sle_choice1->text())},
        {"choice2", Value(sle_choice2->text())},
        {"title", Value(sle_title->text())},
        {"bgcolor", Value(std::atol(runtime::trim(sle_bgcolor->text()).c_str()))},
    };
    for (const auto& [column, value] : values) rows->setItem(1, column, value);
    // The background texts are edited in the project window: a product that exists shows its own.
    auto texts = runtime::create<u_ds_a>();
    texts->setDataObject("d_project_maintext");
    texts->setTransObject(&app().sqlca);
    if (inv_owner.is_action == "existing" && inv_owner.ii_prod_id > 0) {
        const Value id(inv_owner.ii_prod_id);
        texts->retrieve({&id, 1});
    }
    fw_open_preview(as_window, *rows, texts.get());
    runtime::destroy(texts);
    runtime::destroy(rows);
}

}  // namespace pakomo
