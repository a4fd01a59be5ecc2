#pragma once
// The row set behind the string-constant picker: names and values of string variables, filled
// by the program.
#include <string>

#include "runtime/data/DataStore.h"

namespace pakomo {

class u_ds_choose_stringvar : public runtime::DataStore {
public:
    explicit u_ds_choose_stringvar(std::string className = "u_ds_choose_stringvar")
        : runtime::DataStore(std::move(className)) {
        setDataObject("d_choose_stringvar");
    }
};

}  // namespace pakomo
