#pragma once
// System services of the visual runtime: the clipboard, the help viewer, the file-open dialog,
// mouse capture and the pointer position. Those a test cannot answer (help, file dialog) go
// through a provider that a test replaces.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace runtime {

class VisualObject;

// Installs the Qt implementations of the runtime's seams: message box (QMessageBox), clipboard
// (QClipboard), Shift/Ctrl state and the screen's size; uninstall restores the built-in ones.
void installQtServices();
void uninstallQtServices();

// --- Help ------------------------------------------------------------------------------------
// Our help file: UTF-8 text. A topic starts with a line "== <number> <title>"; an optional line
// "keywords: first; second" follows; the rest up to the next topic is its text (HTML allowed).
// Lines before the first topic are ignored.
struct HelpTopic {
    int number = 0;
    std::string title;
    std::vector<std::string> keywords;
    std::string body;
};
struct HelpFile {
    std::vector<HelpTopic> topics;
    const HelpTopic* find(int number) const;
    // Topics with a keyword that begins with `keyword` (case ignored); every topic for "".
    std::vector<const HelpTopic*> search(std::string_view keyword) const;
};
std::optional<HelpFile> readHelpFile(const std::filesystem::path& path);
HelpFile parseHelpFile(std::string_view text);

enum class HelpCommand { Topic, Contents, Keyword };
struct HelpRequest {
    std::string file;
    HelpCommand command = HelpCommand::Contents;
    int topic = 0;
    std::string keyword;
};

class HelpProvider {
public:
    virtual ~HelpProvider() = default;
    // 1 shown, -1 when the file cannot be read or the topic does not exist.
    virtual int show(const HelpRequest& request) = 0;
};
HelpProvider* setHelpProvider(HelpProvider* provider);  // nullptr: the help viewer window
// ShowHelp: the file (a Windows or host path) at a topic, its contents or its keyword search.
int showHelp(std::string_view file, HelpCommand command, int topic = 0, std::string_view keyword = {});
// The built-in viewer's window (nullptr until it was shown), for tests and screenshots.
QWidget* helpViewerWindow();

// --- File-open dialog -------------------------------------------------------------------------
// The filter is the runtime's "Description,pattern" list ("Text files (*.txt),*.txt,All files,
// *.*"); "*.*" matches files without a dot too.
struct FileOpenRequest {
    std::string title;
    std::string folder;
    std::string extension;
    std::string filter;
    bool multiple = false;
    bool folderOnly = false;  // a folder is chosen: the answer has it in `folder` and no files
};
struct FileOpenAnswer {
    int result = 0;  // 1 chosen, 0 cancelled, -1 failed
    std::string folder;  // the folder of the chosen files
    std::vector<std::string> files;  // names within the folder
};
class FileDialogProvider {
public:
    virtual ~FileDialogProvider() = default;
    virtual FileOpenAnswer open(const FileOpenRequest& request) = 0;
};
FileDialogProvider* setFileDialogProvider(FileDialogProvider* provider);  // nullptr: Qt's dialog
FileOpenAnswer getFileOpenName(const FileOpenRequest& request);
// The Qt name filters of a runtime filter list.
std::vector<std::string> qtNameFilters(std::string_view filter);

// --- Mouse and pointer -----------------------------------------------------------------------
// SetCapture / ReleaseCapture: every mouse event goes to the object until released.
void setCapture(VisualObject& object);
void releaseCapture();
VisualObject* captured();
// The pointer's position on the screen in pixels.
int pointerScreenX();
int pointerScreenY();

}  // namespace runtime
