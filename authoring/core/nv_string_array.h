#pragma once
// An array of strings in an object of its own (the registry browser lists a key's subkeys into it).
#include <string>
#include <vector>

#include "runtime/core/Object.h"

namespace pakomo {

class nv_string_array : public runtime::Object {
public:
    nv_string_array();
    ~nv_string_array() override;

    std::vector<std::string> ls_string;
};

}  // namespace pakomo
