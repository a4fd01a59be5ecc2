#pragma once
// Registers the framework's classes that are created by name (the system-call wrapper, the wait
// window, the About box) in the runtime's class registry.
namespace pakomo {

void register_standard();

}  // namespace pakomo
