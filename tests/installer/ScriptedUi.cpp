#include "ScriptedUi.h"

#include "installer/logic/CInstallEngine.h"
#include "installer/logic/StringTable.h"

#include <gtest/gtest.h>

namespace setup_test {

ScriptedUi::~ScriptedUi() {
    EXPECT_TRUE(script_.empty()) << script_.size() << " expected boxes or prompts never came";
}

ScriptedUi& ScriptedUi::message(uint32_t id, int answer, std::string arg1) {
    script_.push_back({Kind::Message, id, answer, std::move(arg1), {}, {}});
    return *this;
}
ScriptedUi& ScriptedUi::messageFirst(uint32_t id, int answer) {
    script_.push_front({Kind::Message, id, answer, {}, {}, {}});
    return *this;
}
ScriptedUi& ScriptedUi::systemError(std::string caption, std::string textPart) {
    script_.push_back({Kind::SystemError, 0, 0, std::move(caption), std::move(textPart), {}});
    return *this;
}
ScriptedUi& ScriptedUi::copyError() {
    script_.push_back({Kind::CopyError, 0, 0, {}, {}, {}});
    return *this;
}
ScriptedUi& ScriptedUi::disc(uint16_t number, std::optional<std::string> folder) {
    script_.push_back({Kind::Disc, number, 0, {}, {}, std::move(folder)});
    return *this;
}

std::optional<ScriptedUi::Step> ScriptedUi::next(Kind kind, const std::string& what) {
    transcript.push_back(what);
    if (onEvent) onEvent(what);
    if (script_.empty() || script_.front().kind != kind) {
        ADD_FAILURE() << "unexpected: " << what;
        return std::nullopt;
    }
    Step s = script_.front();
    script_.pop_front();
    return s;
}

int ScriptedUi::MessageBox(uint32_t stringId, setup::MsgButtons buttons, setup::MsgIcon, std::string_view arg1,
                           std::string_view arg2) {
    auto s = next(Kind::Message, "message " + std::to_string(stringId) + " " + setup::FormatStringText(stringId, arg1, arg2));
    if (!s) return buttons == setup::MsgButtons::Ok ? setup::answer::Ok : setup::answer::Cancel;
    EXPECT_EQ(s->id, stringId);
    if (!s->text.empty()) {
        EXPECT_EQ(s->text, arg1);
    }
    return s->answer;
}

void ScriptedUi::SystemErrorBox(std::string_view text, std::string_view caption) {
    auto s = next(Kind::SystemError, "system " + std::string(caption) + ": " + std::string(text));
    if (!s) return;
    EXPECT_EQ(s->text, caption);
    if (!s->textPart.empty()) {
        EXPECT_NE(std::string(text).find(s->textPart), std::string::npos) << text;
    }
}

void ScriptedUi::CopyErrorBox(std::string_view destination, std::string_view text) {
    next(Kind::CopyError, "copy error " + std::string(destination) + ": " + std::string(text));
}

std::optional<std::string> ScriptedUi::AskForDisc(uint16_t disc, std::string_view sourceFolder) {
    if (discAnswerer) {
        transcript.push_back("disc " + std::to_string(disc) + " in " + std::string(sourceFolder));
        return discAnswerer(disc);
    }
    auto s = next(Kind::Disc, "disc " + std::to_string(disc) + " in " + std::string(sourceFolder));
    if (!s) return std::nullopt;
    EXPECT_EQ(s->id, disc);
    return s->folder;
}

int ScriptedUi::RunProgressDialog(setup::CInstallEngine& engine) { return engine.RunInstallation(); }

void ScriptedUi::ProgressFile(std::string_view destinationPath) {
    progressFiles.emplace_back(destinationPath);
    if (onFile) onFile(std::string(destinationPath));
}

void ScriptedUi::ProgressAdvanced(uint64_t done, uint64_t total) {
    lastDone = done;
    lastTotal = total;
}

bool ScriptedUi::PumpCancelMessages() { return passes++ == cancelPass_; }

}  // namespace setup_test
