#include "runtime/services/MessageBox.h"

#include <iostream>

namespace runtime {
namespace {

class ConsoleMessageBoxes : public MessageBoxProvider {
public:
    int show(const MessageBoxRequest& request) override {
        std::cerr << "[" << request.title << "] " << request.text << "\n";
        return request.defaultButton;
    }
};

MessageBoxProvider* g_provider = nullptr;

MessageBoxProvider& provider() {
    static ConsoleMessageBoxes console;
    return g_provider ? *g_provider : console;
}

}  // namespace

std::vector<std::string> buttonLabels(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return {"OK"};
        case MessageButtons::OkCancel:
            return {"OK", "Cancel"};
        case MessageButtons::YesNo:
            return {"Yes", "No"};
        case MessageButtons::YesNoCancel:
            return {"Yes", "No", "Cancel"};
        case MessageButtons::RetryCancel:
            return {"Retry", "Cancel"};
        case MessageButtons::AbortRetryIgnore:
            return {"Abort", "Retry", "Ignore"};
    }
    return {"OK"};
}

int buttonCount(MessageButtons buttons) { return static_cast<int>(buttonLabels(buttons).size()); }

MessageBoxProvider* setMessageBoxProvider(MessageBoxProvider* p) {
    MessageBoxProvider* previous = g_provider;
    g_provider = p;
    return previous;
}

int messageBox(std::string_view title, std::string_view text, MessageIcon icon, MessageButtons buttons,
               int defaultButton) {
    int count = buttonCount(buttons);
    if (defaultButton < 1 || defaultButton > count) defaultButton = 1;
    MessageBoxRequest request{std::string(title), std::string(text), icon, buttons, defaultButton};
    int answer = provider().show(request);
    return answer >= 1 && answer <= count ? answer : defaultButton;
}

}  // namespace runtime
