#include "authoring/core/nv_message.h"

#include "authoring/core/pakomo.h"
#include "runtime/services/MessageBox.h"

namespace pakomo {
namespace {

struct LevelLook {
    std::string title;
    runtime::MessageIcon icon;
};

LevelLook level_look(const runtime::Value& level) {
    if (!level.isNull()) {
        switch (level.toInt()) {
            case nv_message::level_information: return {"Information", runtime::MessageIcon::Information};
            case nv_message::level_warning: return {"Warning !", runtime::MessageIcon::Exclamation};
            case nv_message::level_error:
            case nv_message::level_fatal: return {"Error !", runtime::MessageIcon::StopSign};
            case nv_message::level_question: return {"Question", runtime::MessageIcon::Question};
            default: break;
        }
    }
    return {"", runtime::MessageIcon::None};
}

runtime::MessageButtons button_set(const runtime::Value& button) {
    if (!button.isNull()) {
        switch (button.toInt()) {
            case nv_message::button_okcancel: return runtime::MessageButtons::OkCancel;
            case nv_message::button_yesno: return runtime::MessageButtons::YesNo;
            case nv_message::button_yesnocancel: return runtime::MessageButtons::YesNoCancel;
            case nv_message::button_retrycancel: return runtime::MessageButtons::RetryCancel;
            case nv_message::button_abortretryignore: return runtime::MessageButtons::AbortRetryIgnore;
            default: break;
        }
    }
    return runtime::MessageButtons::Ok;
}

}  // namespace

nv_message::nv_message() : nv_a("nv_message") {
    extend("constructor", [this](runtime::Args) {
        ids_message_one = runtime::create<u_ds_message_one>();
        return runtime::Value();
    });
    extend("destructor", [this](runtime::Args) {
        runtime::destroy(ids_message_one);
        return runtime::Value();
    });
}

nv_message::~nv_message() = default;

int nv_message::fnv_display_message(int ai_message) { return display(ai_message, 0, {}, {}); }

int nv_message::fnv_display_message(int ai_message, const std::string& as_arg1) {
    return display(ai_message, 1, as_arg1, {});
}

int nv_message::fnv_display_message(int ai_message, const std::string& as_arg1, const std::string& as_arg2) {
    return display(ai_message, 2, as_arg1, as_arg2);
}

int nv_message::display(int ai_message, int argumentCount, const std::string& as_arg1, const std::string& as_arg2) {
    runtime::Value level, button;
    std::string text, title;
    fnv_get_message(ai_message, level, button, text, title);
    // Line breaks first, so that a "~r" inside an argument is shown as typed.
    fnv_expand_message(text, 0, {});
    fnv_expand_message(title, 0, {});
    if (argumentCount >= 1) {
        fnv_expand_message(text, 1, as_arg1);
        fnv_expand_message(title, 1, as_arg1);
    }
    if (argumentCount >= 2) {
        fnv_expand_message(text, 2, as_arg2);
        fnv_expand_message(title, 2, as_arg2);
    }
    return fnv_display_message(text, level, button, title);
}

int nv_message::fnv_display_message(const std::string& as_message, const runtime::Value& ai_level,
                                    const runtime::Value& ai_button, const std::string& as_title) {
    LevelLook look = level_look(ai_level);
    std::string title = as_title.empty() ? look.title : as_title;
    int pressed = runtime::messageBox(title, as_message, look.icon, button_set(ai_button));
    if (!ai_level.isNull() && ai_level.toInt() == level_fatal) app().haltClose();
    return pressed;
}

// The search goes on after each inserted text, so an argument that holds its own marker ends.
void nv_message::fnv_expand_message(std::string& as_message, int ai_arg, const std::string& as_arg) {
    std::string marker = ai_arg == 0 ? "~r" : "%" + std::to_string(ai_arg) + "%";
    std::string replacement = ai_arg == 0 ? "\r" : as_arg;
    for (size_t at = as_message.find(marker); at != std::string::npos;
         at = as_message.find(marker, at + replacement.size()))
        as_message.replace(at, marker.size(), replacement);
}

long nv_message::fnv_get_message(int ai_message, runtime::Value& ai_level, runtime::Value& ai_button,
                                 std::string& as_message, std::string& as_title) {
    const runtime::Value argument[] = {runtime::Value(ai_message)};
    if (ids_message_one->retrieve(argument) != 1) {
        ai_level = runtime::Value(level_information);
        ai_button = runtime::Value(button_ok);
        as_message = "Unknown error:\r" + app().sqlca.sqlErrText;
        as_title.clear();
        return 1;
    }
    ai_level = ids_message_one->getItem(1, "level");
    ai_button = ids_message_one->getItem(1, "button");
    as_message = ids_message_one->getItemString(1, "text");
    as_title = ids_message_one->getItemString(1, "title");
    return 1;
}

}  // namespace pakomo
