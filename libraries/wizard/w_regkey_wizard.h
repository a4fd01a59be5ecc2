#pragma once
// The product wizard's registry page: a window inside the wizard's window listing the registry
// entries Setup writes (component, root, key, value name, type, data), added, inserted and
// deleted through the registry context menu or pasted from the registry browser, checked and
// saved with the wizard's other pages.
#include <cstdint>

#include "runtime/data/DataStore.h"
#include "runtime/ui/Controls.h"
#include "standard/u_dw_create_setup_a.h"
#include "standard/w_dw_a.h"

namespace pakomo {

class w_regkey_wizard : public w_dw_a {
public:
    w_regkey_wizard();

    // Reads product ai_prod_id's entries and components (none for a new product).
    bool fw_load(int16_t ai_prod_id);
    // Every entry can be written; false with a message naming the entry.
    bool fw_validate() override;
    // Writes the entries as product ai_prod_id's, without committing; false when refused.
    bool fw_save(int16_t ai_prod_id);
    void fw_saved();

    runtime::Ref<u_dw_create_setup_a> dw_regkeys;
    runtime::Ref<runtime::CommandButton> cb_registry;
    runtime::Ref<runtime::DataStore> ids_components;
    int16_t ii_prod_id = 0;

private:
    long fw_current_component() const;
};

}  // namespace pakomo
