#pragma once
// The ancestor of the row sets of the project tables and the message catalogue: an identifying
// text, a master flag, an attached data window, a stack of filters, the test for unsaved changes,
// the trimming of text columns after each retrieve, and the hooks after each save.
#include <cstdint>
#include <string>

#include "runtime/data/DataStore.h"
#include "standard/s_pass.h"

namespace runtime {
class DataWindow;
}

namespace pakomo {

class u_ds_a : public runtime::DataStore {
public:
    explicit u_ds_a(std::string className = "u_ds_a");
    ~u_ds_a() override;

    void fu_set_id(const std::string& as_id) { is_id = as_id; }
    std::string fu_get_id() const { return is_id; }
    bool fu_is_master() const { return ib_master; }
    void fu_set_master(bool ab_master) { ib_master = ab_master; }
    void fu_set_filter(const std::string& as_filter);
    void fu_restore_filter();
    bool fu_is_modified() const;
    std::string fu_get_filter() const { return is_filter.get(ii_filter_index); }
    void fu_set_datawindow(runtime::Ref<runtime::DataWindow> adw_dw) { idw_datawindow = adw_dw; }
    runtime::Ref<runtime::DataWindow> fu_get_datawindow() const { return idw_datawindow; }

    std::string is_id;
    bool ib_master = false;
    unbounded_array<std::string> is_filter;
    int16_t ii_filter_index = 1;
    runtime::Ref<runtime::DataWindow> idw_datawindow;
    bool ib_trim_char_columns = true;
    bool ib_do_post_updateend = true;

private:
    void trim_char_columns();
};

}  // namespace pakomo
