#pragma once
// The product's string variables in the project window: one row each, name and value, added and
// deleted through the string-table context menu, saved with the product.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "libraries/project/uo_project_pane.h"
#include "standard/u_dw_create_setup_a.h"

namespace pakomo {

class uo_project_strings : public uo_project_pane {
public:
    uo_project_strings();

    bool fu_load(int16_t ai_prod_id) override;
    bool fu_is_modified() const override;
    bool fu_validate() override;
    bool fu_save() override;
    void fu_saved() override;
    void fu_popup(const std::string& as_event) override;

    runtime::Ref<u_dw_create_setup_a> dw_strings;
    int16_t ii_prod_id = 0;

private:
    void fu_apply_fixed_names();
    std::vector<std::pair<long, std::string>> i_fixed_names;  // row, name as corrected while typed
    bool report(const std::string& text);
};

}  // namespace pakomo
