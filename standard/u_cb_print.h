#pragma once
// The "&Print..." button: a click queues its window's ue_print, whatever that window does with it.
#include <string>

#include "standard/u_cb_a.h"

namespace pakomo {

class u_cb_print : public u_cb_a {
public:
    explicit u_cb_print(std::string className = "u_cb_print");
};

}  // namespace pakomo
