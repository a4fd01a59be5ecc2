#pragma once
// The parameter record between windows, dialogs and services (one instance: g_str_pass of the
// application object), and the selected-text record of every window.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "runtime/core/Object.h"
#include "runtime/services/Text.h"

namespace runtime {
class Window;
class DataWindow;
class VisualObject;
}  // namespace runtime

namespace pakomo {

class u_dw_a;
class u_ds_a;
class nv_a;

// A runtime error for an element number below 1.
[[noreturn]] void array_boundary_exceeded(long n);

// An unbounded array numbered from 1: assigning an element grows the array; an element that was
// never set reads as the type's empty value.
template <class T>
class unbounded_array {
public:
    // The element for writing (and reading); the array grows to reach it.
    T& operator[](long n) {
        check(n);
        if (static_cast<size_t>(n) > items_.size()) items_.resize(static_cast<size_t>(n));
        return items_[static_cast<size_t>(n) - 1];
    }
    // The element for reading: the empty value when it was never set.
    T get(long n) const {
        check(n);
        return static_cast<size_t>(n) <= items_.size() ? items_[static_cast<size_t>(n) - 1] : T{};
    }
    // The highest element number set so far.
    long upperbound() const { return static_cast<long>(items_.size()); }
    void clear() { items_.clear(); }

private:
    static void check(long n) {
        if (n < 1) array_boundary_exceeded(n);
    }
    std::deque<T> items_;  // not a vector: elements of a boolean array are written through references too
};

struct s_pass {
    int button_clicked = 0;
    unbounded_array<std::string> string;
    unbounded_array<int32_t> number;
    std::string app_name;
    std::string major_version;
    std::string minor_version;
    std::string full_appname;
    std::string icon_bmp;
    unbounded_array<runtime::Ref<runtime::Window>> window;
    unbounded_array<std::string> action;
    unbounded_array<runtime::Ref<u_dw_a>> datawindow;
    unbounded_array<runtime::Ref<runtime::DataWindow>> datawindow_base;
    unbounded_array<bool> boolean;
    unbounded_array<runtime::DateTime> date;
    unbounded_array<runtime::Ref<u_ds_a>> datastore;
    unbounded_array<runtime::Ref<nv_a>> nv;
    std::string language;
    std::string dbms_type;
};

struct str_selected_text {
    std::string s_selected_text;
    runtime::Ref<runtime::VisualObject> control;  // none when no control applies
};

}  // namespace pakomo
