#pragma once
// Everything a dialog or a box of Setup answers. The Setup program implements it with its Qt
// dialogs; tests implement it with a scripted answerer.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace setup {

class CInstallEngine;

enum class MsgButtons { Ok, OkCancel, YesNo, RetryCancel };
enum class MsgIcon { None, Exclamation, Stop };

// Answers of boxes, as the Windows button ids.
namespace answer {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int Retry = 4;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace answer

class ISetupUi {
public:
    virtual ~ISetupUi() = default;

    // A box with the text of a string-table id (FormatStringText(id, arg1, arg2)), the program's
    // title as caption, the buttons and icon given; returns the answer (answer::...).
    virtual int MessageBox(uint32_t stringId, MsgButtons buttons, MsgIcon icon,
                           std::string_view arg1 = {}, std::string_view arg2 = {}) = 0;

    // The system-error box: the system's text, a caption, OK only, no icon.
    virtual void SystemErrorBox(std::string_view text, std::string_view caption) = 0;

    // The shell's own error display when copying an installed file fails.
    virtual void CopyErrorBox(std::string_view destination, std::string_view text) = 0;

    // The next-disc dialog ("Put disc %d in the drive..."), with the source folder in its field.
    // Returns the folder as the user left it (the caller adds a missing closing backslash), or
    // nullopt when the user cancelled (the dialog has asked ids::ConfirmCancel itself).
    virtual std::optional<std::string> AskForDisc(uint16_t disc, std::string_view sourceFolder) = 0;

    // Runs the progress dialog modally: it shows itself, calls engine.RunInstallation() once,
    // shows "Complete." or "Canceled." and waits for OK. Returns the engine's result.
    virtual int RunProgressDialog(CInstallEngine& engine) = 0;

    // While the engine runs (inside RunProgressDialog).
    virtual void ProgressFile(std::string_view destinationPath) = 0;   // the file line
    virtual void ProgressAdvanced(uint64_t done, uint64_t total) = 0;  // repaint the bar now
    // Lets the Cancel button react; true when it was pressed since the last call.
    virtual bool PumpCancelMessages() = 0;
};

}  // namespace setup
