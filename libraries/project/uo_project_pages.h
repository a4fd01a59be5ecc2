#pragma once
// The texts and switches of Setup's pages in the project window, one page at a time (chosen in a
// list): which optional pages are shown, the welcome page's warning, the licence, the user and
// program group pages' texts, the finished page with its restart offer, the readme question, the
// progress text and the background window's title. Texts take string variables through the edit
// popup; each page opens its preview over what is typed. Saved with the product.
#include <cstdint>
#include <string>
#include <vector>

#include "libraries/project/uo_project_pane.h"
#include "runtime/ui/Controls.h"

namespace pakomo {

class uo_project_pages : public uo_project_pane {
public:
    uo_project_pages();

    bool fu_load(int16_t ai_prod_id) override;
    bool fu_is_modified() const override;
    bool fu_save() override;
    void fu_saved() override;

    // Shows the fields of page `ai_page` (0 welcome ... 7 background window).
    void fu_show_page(int ai_page);
    // Opens the preview of the page shown.
    void fu_preview();
    // The control that edits TABLE.COLUMN ("WUSER.PAGETEXT"); none for another name.
    runtime::Control* fu_field(const std::string& as_table_column) const;

    runtime::Ref<runtime::StaticText> st_page;
    runtime::Ref<runtime::DropDownListBox> ddlb_page;
    runtime::Ref<runtime::CommandButton> cb_preview;
    int16_t ii_prod_id = 0;

    struct Field {
        int page;
        const char* table;
        const char* column;
        enum Kind { Check, Line, Text, Mode } kind;
        runtime::Ref<runtime::Control> control;
        runtime::Ref<runtime::StaticText> label;
        std::string saved;  // as read or last saved, in the text the control gives
    };

private:
    std::string fu_value(const Field& f) const;
    void fu_set_value(Field& f, const std::string& as_value);
    std::vector<Field> i_fields;
    std::vector<std::string> i_tables_found;  // the tables that hold the product's row
    int ii_page = 0;
};

}  // namespace pakomo
