#pragma once
// The modal message box, behind a seam: the ui layer installs a provider that shows a real box;
// tests install their own (the test-support library has one that answers from a script).
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

enum class MessageIcon { Information, Exclamation, StopSign, Question, None };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// The buttons of a set, in the order shown; the answer is the 1-based position of the pressed one.
std::vector<std::string> buttonLabels(MessageButtons buttons);  // {"OK", "Cancel"}, ...
int buttonCount(MessageButtons buttons);

struct MessageBoxRequest {
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Information;
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 1;
};

class MessageBoxProvider {
public:
    virtual ~MessageBoxProvider() = default;
    // Shows the box modally and answers the pressed button's position (1..buttonCount).
    virtual int show(const MessageBoxRequest& request) = 0;
};

// Installs a provider (nullptr: the built-in one, which writes the box to standard error and
// answers its default button, for programs without a user interface). Returns the previous one.
MessageBoxProvider* setMessageBoxProvider(MessageBoxProvider* provider);

// Shows a box; an answer outside the button set is taken as the default button.
int messageBox(std::string_view title, std::string_view text, MessageIcon icon = MessageIcon::Information,
               MessageButtons buttons = MessageButtons::Ok, int defaultButton = 1);

}  // namespace runtime
