#pragma once
// The product wizard's string-variable page: a window inside the wizard's window listing the
// product's string variables (name and value), added and deleted through the string-table
// context menu, checked and saved with the wizard's other pages.
#include <cstdint>

#include "standard/u_dw_create_setup_a.h"
#include "standard/w_dw_a.h"

namespace pakomo {

class w_stringtable_wizard : public w_dw_a {
public:
    w_stringtable_wizard();

    // Reads product ai_prod_id's variables (none for a new product); false when they cannot be read.
    bool fw_load(int16_t ai_prod_id);
    // Names present, in capitals, neither reserved nor used twice; false with a message.
    bool fw_validate() override;
    // Writes the variables as product ai_prod_id's, without committing; false when refused.
    bool fw_save(int16_t ai_prod_id);
    void fw_saved();

    runtime::Ref<u_dw_create_setup_a> dw_strings;
};

}  // namespace pakomo
