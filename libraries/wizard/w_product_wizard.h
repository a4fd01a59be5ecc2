#pragma once
// The product wizard's window: six pages over one product (its name and setup types; the
// welcome, licence and user pages; the program group and finished pages; the readme, progress
// and background window; its string variables; its registry entries), with Back, Next, Finish
// and Cancel. All pages' controls live at once and only the current page's are shown, so going
// back and forth keeps what was typed; the last two pages are windows of their own inside this one.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/ui/Controls.h"
#include "standard/w_a.h"

namespace pakomo {

class nv_wizard;
class w_regkey_wizard;
class w_stringtable_wizard;

class w_product_wizard : public w_a {
public:
    static constexpr int page_count = 6;
    static constexpr int16_t help_topic = 40;

    explicit w_product_wizard(nv_wizard& owner);

    // Shows page `ai_page` (0 to page_count - 1) and sets the buttons for it.
    void fw_show_page(int ai_page);
    int fw_get_page() const { return ii_page; }

    runtime::Ref<runtime::StaticText> st_heading, st_explain;
    // Page 0: the product.
    runtime::Ref<runtime::SingleLineEdit> sle_prodname, sle_prodvers, sle_label, sle_basepath;
    runtime::Ref<runtime::CheckBox> cbx_setupnorm, cbx_setupmin, cbx_setupcust, cbx_readme;
    // Page 1: welcome, licence, user.
    runtime::Ref<runtime::CheckBox> cbx_welcome, cbx_protect, cbx_license, cbx_userinfo;
    runtime::Ref<runtime::MultiLineEdit> mle_lictext, mle_usertext;
    runtime::Ref<runtime::SingleLineEdit> sle_userkey;
    // Page 2: program group, finished.
    runtime::Ref<runtime::CheckBox> cbx_proggroup, cbx_finished, cbx_restart;
    runtime::Ref<runtime::SingleLineEdit> sle_groupname, sle_choice1, sle_choice2;
    runtime::Ref<runtime::MultiLineEdit> mle_grouptext, mle_finaltext;
    // Page 3: readme, progress, background window.
    runtime::Ref<runtime::DropDownListBox> ddlb_readmemode;
    runtime::Ref<runtime::SingleLineEdit> sle_checktext, sle_progtext, sle_title, sle_bgcolor;
    runtime::Ref<runtime::CheckBox> cbx_showfile;
    runtime::Ref<runtime::CommandButton> cb_bgcolor;  // the colour pickers
    // Pages 4 and 5.
    runtime::Ref<w_stringtable_wizard> iw_stringtable;
    runtime::Ref<w_regkey_wizard> iw_regkey;

    runtime::Ref<runtime::CommandButton> cb_back, cb_next, cb_finish, cb_cancel;
    // Each opens its Setup page's preview over what is typed now.
    runtime::Ref<runtime::CommandButton> cb_preview_welcome, cb_preview_license, cb_preview_userinfo,
        cb_preview_proggroup, cb_preview_finished, cb_preview_background;

    void fw_preview(const std::string& as_window);

    bool ib_ending = false;  // the wizard closes the window itself: no Cancel

private:
    template <class T>
    runtime::Ref<T> page_control(int page, const std::string& name, int x, int y, int width, int height,
                                 const std::string& text = {});
    void label(int page, const std::string& name, int y, const std::string& text);

    nv_wizard& inv_owner;
    int ii_page = 0;
    std::vector<std::pair<int, runtime::Ref<runtime::Control>>> i_page_controls;
};

}  // namespace pakomo
