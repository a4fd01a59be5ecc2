#pragma once
// The values of one registry key, one row per value (name, type code, data as text), filled only
// by importing the file the registry-reading library writes. Small enough to live in its header.
#include <string>

#include "runtime/data/DataStore.h"

namespace pakomo {

class u_ds_registry_values : public runtime::DataStore {
public:
    explicit u_ds_registry_values(std::string className = "u_ds_registry_values")
        : runtime::DataStore(std::move(className)) {
        setDataObject("d_registry_values");
    }
};

}  // namespace pakomo
