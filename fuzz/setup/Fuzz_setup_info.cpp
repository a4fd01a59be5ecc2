// The setup information reader over any bytes: a checked walk that never reads past the end and
// refuses what is damaged.
#include "installer/logic/SetupInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto parse = setup::ParseSetupInfo({data, size});
    if (parse.info) {
        // Whatever was accepted is whole: every component's parent chain ends.
        const auto& components = parse.info->components;
        for (const auto& c : components) {
            uint32_t parent = c.parentId;
            for (size_t steps = 0; parent != 0; ++steps) {
                if (steps > components.size()) __builtin_trap();
                uint32_t next = 0;
                for (const auto& d : components)
                    if (d.id == parent) next = d.parentId;
                parent = next;
            }
        }
    }
    return 0;
}
