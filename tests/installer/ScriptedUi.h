#pragma once
// A scripted answerer for Setup's boxes and dialogs: each expected box or prompt is queued with
// its answer; anything not expected fails the test. Progress is recorded, not scripted.
#include "installer/logic/ISetupUi.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace setup_test {

class ScriptedUi : public setup::ISetupUi {
public:
    ~ScriptedUi() override;

    // Expectations, in the order they are to come.
    ScriptedUi& message(uint32_t id, int answer, std::string arg1 = {});
    // Expected before everything queued so far.
    ScriptedUi& messageFirst(uint32_t id, int answer);
    ScriptedUi& systemError(std::string caption, std::string textPart = {});
    ScriptedUi& copyError();
    ScriptedUi& disc(uint16_t number, std::optional<std::string> folder);
    // Cancel is pressed before the given file pass (0 is the first pass of the run).
    void cancelAtPass(int pass) { cancelPass_ = pass; }

    // Answers every disc prompt without a script (the folder to give, or nullopt to cancel).
    std::function<std::optional<std::string>(uint16_t disc)> discAnswerer;
    // Called with each transcript line before the answer is given (to change the machine meanwhile).
    std::function<void(const std::string& line)> onEvent;
    // Called before each file's extraction, with its destination.
    std::function<void(const std::string& destination)> onFile;

    bool done() const { return script_.empty(); }
    // Every box and prompt shown, one line each ("message 16395", "system <caption>: <text>", ...).
    std::vector<std::string> transcript;
    std::vector<std::string> progressFiles;
    uint64_t lastDone = 0, lastTotal = 0;
    int passes = 0;

    int MessageBox(uint32_t stringId, setup::MsgButtons buttons, setup::MsgIcon icon, std::string_view arg1,
                   std::string_view arg2) override;
    void SystemErrorBox(std::string_view text, std::string_view caption) override;
    void CopyErrorBox(std::string_view destination, std::string_view text) override;
    std::optional<std::string> AskForDisc(uint16_t disc, std::string_view sourceFolder) override;
    int RunProgressDialog(setup::CInstallEngine& engine) override;
    void ProgressFile(std::string_view destinationPath) override;
    void ProgressAdvanced(uint64_t done, uint64_t total) override;
    bool PumpCancelMessages() override;

private:
    enum class Kind { Message, SystemError, CopyError, Disc };
    struct Step {
        Kind kind;
        uint32_t id = 0;
        int answer = 0;
        std::string text;  // message argument, or the system-error caption
        std::string textPart;
        std::optional<std::string> folder;
    };
    std::optional<Step> next(Kind kind, const std::string& what);
    std::deque<Step> script_;
    int cancelPass_ = -1;
};

}  // namespace setup_test
