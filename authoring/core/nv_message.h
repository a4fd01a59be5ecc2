#pragma once
// The message catalogue (gnv_message): numbered messages from the MESSAGE table with their
// arguments put in, and messages the caller spells out, shown in a message box; answers the
// position of the pressed button. A message of the fatal level closes the program after its box.
#include <cstdint>
#include <string>

#include "authoring/core/nv_a.h"
#include "authoring/core/u_ds_message_one.h"
#include "runtime/Value.h"

namespace pakomo {

class nv_message : public nv_a {
public:
    nv_message();
    ~nv_message() override;

    static constexpr int level_information = 0;
    static constexpr int level_warning = 1;
    static constexpr int level_error = 2;
    static constexpr int level_fatal = 3;
    static constexpr int level_question = 99;

    static constexpr int button_ok = 1;
    static constexpr int button_okcancel = 2;
    static constexpr int button_yesno = 3;
    static constexpr int button_yesnocancel = 4;
    static constexpr int button_retrycancel = 5;
    static constexpr int button_abortretryignore = 6;

    int fnv_display_message(int ai_message);
    int fnv_display_message(int ai_message, const std::string& as_arg1);
    int fnv_display_message(int ai_message, const std::string& as_arg1, const std::string& as_arg2);
    // A level or button code may be null (from a row without one).
    int fnv_display_message(const std::string& as_message, const runtime::Value& ai_level,
                            const runtime::Value& ai_button, const std::string& as_title);
    void fnv_expand_message(std::string& as_message, int ai_arg, const std::string& as_arg);
    long fnv_get_message(int ai_message, runtime::Value& ai_level, runtime::Value& ai_button,
                         std::string& as_message, std::string& as_title);

    runtime::Ref<u_ds_message_one> ids_message_one;

private:
    int display(int ai_message, int argumentCount, const std::string& as_arg1, const std::string& as_arg2);
};

}  // namespace pakomo
