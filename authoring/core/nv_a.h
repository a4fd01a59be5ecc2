#pragma once
// The ancestor of the program's non-visual services: `constructor` (raised when the service is
// created) queues ue_post_constructor, so that it runs once the creating script has stored the
// service; fnv_set_wait / fnv_clear_wait show the wait window while a service works.
#include <cstdint>
#include <string>

#include "runtime/core/Object.h"

namespace pakomo {

class nv_a : public runtime::Object {
public:
    explicit nv_a(std::string className = "nv_a");
    ~nv_a() override;

    void fnv_set_wait();
    void fnv_clear_wait();

    int16_t ii_wait_open_count = 0;

private:
    void release_waits(int16_t count);
};

}  // namespace pakomo
