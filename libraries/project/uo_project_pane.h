#pragma once
// One part of the project window that edits some of the product's rows: it reads them when the
// product opens, says whether they changed, writes them within the window's save (which commits
// once for them all), and does the work of the context-menu entries it showed. The menu's events
// arrive at the window, which hands them to the part that showed the menu.
//
// A pane stands on a page of its own in the window's tabs and fills it: its heading runs along its
// top, and what it shows starts at content_top and follows the pane's size through its
// positioning service.
#include <cstdint>
#include <string>

#include "standard/uo_a.h"

namespace pakomo {

class uo_project_pane : public uo_a {
public:
    // Where a pane's own controls start, below the heading; the margin kept around them.
    static constexpr int content_top = 130;
    static constexpr int margin = 40;

    explicit uo_project_pane(std::string className);

    // The heading's text (the window gives a pane without one its tab's text).
    void fu_set_heading(const std::string& as_heading);
    std::string fu_get_heading() const;

    // Reads product ai_prod_id's rows; false (a message shown) when they cannot be read.
    virtual bool fu_load(int16_t ai_prod_id) = 0;
    virtual bool fu_is_modified() const = 0;
    // Checks what was typed before anything is written; false (a message shown) saves nothing.
    virtual bool fu_validate() { return true; }
    // Writes the changes without committing and keeps them marked as changes (update without
    // resetting the flags), so that a rollback loses nothing; false when the database refused
    // them (the transaction holds the error). The window commits or rolls back.
    virtual bool fu_save() = 0;
    // The commit went through: the changes are saved (reset the update flags).
    virtual void fu_saved() = 0;
    // A context-menu entry's event ("ue_popup_insert" ...), handed on by the window.
    virtual void fu_popup(const std::string& as_event) { (void)as_event; }

    // Shows that popup of the context-menu object through the project window holding this pane.
    void fu_show_popup(const std::string& as_popup);

    runtime::Ref<runtime::StaticText> st_heading;
};

}  // namespace pakomo
