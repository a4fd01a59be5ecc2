#pragma once
// What the wizard's grid pages (string variables, registry entries) share: their grid, the right
// click that makes the clicked row current before the page's menu shows, deleting the current row,
// saving the rows as the product's, and the title of their message boxes.
#include <cstdint>
#include <string>

#include "runtime/core/Object.h"
#include "runtime/data/DataStore.h"
#include "runtime/ui/DataWindow.h"
#include "standard/u_dw_create_setup_a.h"
#include "standard/w_a.h"
#include "standard/w_dw_a.h"

namespace pakomo {

// The title of the pages' message boxes.
inline constexpr const char* wizard_box_title = "Product wizard";

// The page's grid, ai_width by ai_height, over the program's connection.
runtime::Ref<u_dw_create_setup_a> add_wizard_grid(w_dw_a& aw_page, const std::string& as_name,
                                                  const std::string& as_dataobject, int ai_width,
                                                  int ai_height);

// A right click's row (its third argument) becomes the grid's current row when it is one of the grid's.
void select_clicked_row(runtime::DataWindow& adw_grid, runtime::Args a);

// The page is the menu's parent before the menu shows, so that its entries' events reach the page.
void show_wizard_popup(w_a& aw_page, const std::string& as_popup);

// Deletes the grid's current row, if it has one.
void delete_current_row(runtime::DataWindow& adw_grid);

// Marks every row as product ai_prod_id's and writes the rows without committing; false when refused.
bool save_product_rows(runtime::DataStore& ads_rows, int16_t ai_prod_id);

}  // namespace pakomo
