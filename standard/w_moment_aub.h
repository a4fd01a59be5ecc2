#pragma once
// The wait window: a small borderless popup in the middle of the screen saying "Please wait a
// moment...", with the main frame disabled and the hourglass shown while it is open. The
// services open and close it through their wait counter. Its panel uo_moment_aub has no other
// user and lives in this file pair.
#include <string>

#include "runtime/ui/Controls.h"
#include "runtime/ui/Window.h"

namespace pakomo {

class uo_moment_aub : public runtime::UserObject {
public:
    explicit uo_moment_aub(std::string className = "uo_moment_aub");
    runtime::Ref<runtime::StaticText> st_1;
};

class w_moment_aub : public runtime::Window {
public:
    explicit w_moment_aub(std::string className = "w_moment_aub");
    runtime::Ref<uo_moment_aub> uo_1;
};

}  // namespace pakomo
