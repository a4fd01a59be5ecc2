#pragma once
// The About box: the application's name, its version line, its icon, a logo and a block of
// contact lines (uo_naw, with its lines of u_st_naw_a; both used only here, so they live in
// this file pair).
#include <string>

#include "runtime/ui/Controls.h"
#include "standard/standard_picture.h"
#include "standard/w_ok_cancel.h"

namespace pakomo {

class u_st_naw_a : public runtime::StaticText {
public:
    explicit u_st_naw_a(std::string className = "u_st_naw_a");
};

class uo_naw : public runtime::UserObject {
public:
    explicit uo_naw(std::string className = "uo_naw");
    runtime::Ref<u_st_naw_a> st_5, st_4, st_3, st_2, st_1;
};

class w_about : public w_ok_cancel {
public:
    explicit w_about(std::string className = "w_about");

    runtime::Ref<runtime::StaticText> st_1;
    runtime::Ref<runtime::GroupBox> gb_1;
    runtime::Ref<runtime::Picture> p_1;
    runtime::Ref<runtime::StaticText> st_appname;
    runtime::Ref<runtime::StaticText> st_version;
    runtime::Ref<runtime::Picture> p_icon;
    runtime::Ref<uo_naw> uo_1;
};

}  // namespace pakomo
