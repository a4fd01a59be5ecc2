// The message catalogue: expansion of line breaks and arguments, the level and button tables as
// the message box shows them, numbered messages from the database, unknown ids, the fatal level.
#include "core/CoreFixture.h"

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_message.h"

namespace {

using core_test::CoreDatabaseFixture;
using pakomo::nv_message;
using runtime::MessageButtons;
using runtime::MessageIcon;

class MessagesTest : public CoreDatabaseFixture {
protected:
    void SetUp() override {
        CoreDatabaseFixture::SetUp();
        pakomo::registerCoreLayouts();
        connectProjectDatabase();
        if (IsSkipped()) return;
        messages = runtime::create<nv_message>();
    }
    void TearDown() override {
        runtime::destroy(messages);
        CoreDatabaseFixture::TearDown();
    }
    runtime::Ref<nv_message> messages;
};

INSTANTIATE_DATABASE_TEST_SUITE_P(MessagesTest);

TEST_P(MessagesTest, ExpansionReplacesEveryMarkerAndEndsOnArgumentsHoldingTheirOwnMarker) {
    struct Case {
        std::string text;
        int arg;
        std::string value;
        std::string expected;
    } cases[] = {
        {"one~rtwo~r", 0, "ignored", "one\rtwo\r"},
        {"%1% and %1%", 1, "A", "A and A"},
        {"%1% and %2%", 1, "A", "A and %2%"},
        {"keep %1%", 2, "B", "keep %1%"},
        {"grow %1%!", 1, "%1%%1%", "grow %1%%1%!"},
        {"tilde %1%", 1, "~r", "tilde ~r"},
        {"%1%", 1, "", ""},
        {"no marker", 1, "x", "no marker"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        messages->fnv_expand_message(text, c.arg, c.value);
        EXPECT_EQ(text, c.expected);
    }
}

TEST_P(MessagesTest, LevelsAndButtonCodesGiveTitleIconAndButtons) {
    struct Case {
        runtime::Value level;
        runtime::Value button;
        std::string title;
        std::string expectedTitle;
        MessageIcon icon;
        MessageButtons buttons;
        int answer;
    } cases[] = {
        {0, 1, "", "Information", MessageIcon::Information, MessageButtons::Ok, 1},
        {1, 2, "", "Warning !", MessageIcon::Exclamation, MessageButtons::OkCancel, 2},
        {2, 3, "", "Error !", MessageIcon::StopSign, MessageButtons::YesNo, 2},
        {99, 4, "", "Question", MessageIcon::Question, MessageButtons::YesNoCancel, 3},
        {99, 5, "Own", "Own", MessageIcon::Question, MessageButtons::RetryCancel, 1},
        {0, 6, "", "Information", MessageIcon::Information, MessageButtons::AbortRetryIgnore, 3},
        {7, 0, "", "", MessageIcon::None, MessageButtons::Ok, 1},
        {0, 7, "", "Information", MessageIcon::Information, MessageButtons::Ok, 1},
        {runtime::Value(), runtime::Value(), "", "", MessageIcon::None, MessageButtons::Ok, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level.toText() + "/" + c.button.toText());
        boxes.answer(c.answer);
        EXPECT_EQ(messages->fnv_display_message("text", c.level, c.button, c.title), c.answer);
        const runtime::MessageBoxRequest& shown = boxes.shown().back();
        EXPECT_EQ(shown.title, c.expectedTitle);
        EXPECT_EQ(shown.text, "text");
        EXPECT_EQ(shown.icon, c.icon);
        EXPECT_EQ(shown.buttons, c.buttons);
    }
}

TEST_P(MessagesTest, NumberedMessagesComeFromTheDatabaseWithArgumentsInTextAndTitle) {
    executeSql({"INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (40, 'First %1%~rthen %2% %1%', 1, 2, 'About %1%')",
                "INSERT INTO MESSAGE (ID, TEXT, LEVEL, BUTTON, TITLE) VALUES (41, 'Plain', 99, NULL, NULL)"});
    boxes.answer(2);
    EXPECT_EQ(messages->fnv_display_message(40, "A~rB", "C"), 2);
    EXPECT_EQ(boxes.shown().back().text, "First A~rB\rthen C A~rB");
    EXPECT_EQ(boxes.shown().back().title, "About A~rB");
    EXPECT_EQ(boxes.shown().back().buttons, MessageButtons::OkCancel);

    boxes.answer(1);
    EXPECT_EQ(messages->fnv_display_message(41), 1);
    EXPECT_EQ(boxes.shown().back().title, "Question");
    EXPECT_EQ(boxes.shown().back().buttons, MessageButtons::Ok);

    boxes.answer(1);
    messages->fnv_display_message(15, "Alpha, 1.0");
    EXPECT_NE(boxes.shown().back().text.find("Alpha, 1.0"), std::string::npos);
    EXPECT_EQ(boxes.shown().back().buttons, MessageButtons::YesNo);
}

TEST_P(MessagesTest, AnIdWithoutExactlyOneRowShowsUnknownError) {
    runtime::Value level, button;
    std::string text, title = "stale";
    EXPECT_EQ(messages->fnv_get_message(999, level, button, text, title), 1);
    EXPECT_EQ(level, runtime::Value(0));
    EXPECT_EQ(button, runtime::Value(1));
    EXPECT_TRUE(text.starts_with("Unknown error:\r"));
    EXPECT_EQ(title, "");

    boxes.answer(1);
    EXPECT_EQ(messages->fnv_display_message(999, "x"), 1);
    EXPECT_EQ(boxes.shown().back().title, "Information");
    EXPECT_TRUE(boxes.shown().back().text.starts_with("Unknown error:\r"));
}

TEST_P(MessagesTest, TheFatalLevelClosesTheProgramAfterItsBox) {
    bool closed = false, after = false;
    application().on("close", [&](runtime::Args) {
        closed = true;
        return runtime::Value();
    });
    application().on("ue_fail", [&](runtime::Args) {
        messages->fnv_display_message("It is over", 3, 2, "");
        after = true;
        return runtime::Value();
    });
    boxes.answer(2);
    application().trigger("ue_fail");
    EXPECT_EQ(boxes.shown().back().title, "Error !");
    EXPECT_EQ(boxes.shown().back().icon, MessageIcon::StopSign);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(after) << "nothing returns to the caller";
    EXPECT_TRUE(application().halted());
}

}  // namespace
