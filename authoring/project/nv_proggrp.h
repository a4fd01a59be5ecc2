#pragma once
// The component service: keeps the references between a product's components, file groups and
// registry entries sound when a component is added or deleted, clears the requirements of a
// component about to be moved once the user agrees, and finds a component's row. It holds no
// rows and never saves: every change lands in the row sets its caller hands over.
#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_create_setup_a.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pakomo {

class nv_proggrp : public nv_a {
public:
    nv_proggrp();

    long fnv_find_proggrp_row(long al_id, u_ds_create_setup_a& ads_proggrp);
    bool fnv_delete_proggrp(runtime::Value al_id, u_ds_create_setup_a& ads_proggrp, u_ds_create_setup_a& ads_regkeys,
                            u_ds_create_setup_a& ads_filegrp);
    int16_t fnv_insert_proggrp(const std::string& as_name, u_ds_create_setup_a& ads_proggrp);
    // No value when the component's own requirement has none.
    std::optional<bool> fnv_is_proggrp_move_ok(long al_id, u_ds_create_setup_a& ads_proggrp);
};

}  // namespace pakomo
