#pragma once
// A scripted answerer for the Setup program's real dialogs: it watches every window that opens,
// expects them in the scripted order (pages and dialogs by template id, boxes by string id),
// works them by control id, and fails on anything unexpected. Every window is saved as a
// screenshot, and the transcript lists every page and box seen.
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace setup_test {

class SetupAnswerer : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void(QWidget*)>;

    // `name` prefixes the screenshots.
    explicit SetupAnswerer(std::string name);
    ~SetupAnswerer() override;

    // A page or dialog by its template id (102 next disc, 133-142 the pages, 141 progress);
    // the actions run one after another, each once the page is the active modal window again.
    SetupAnswerer& page(int templateId, std::vector<Action> actions);
    // A box with a string-table text, answered with a button.
    SetupAnswerer& box(uint32_t stringId, QMessageBox::StandardButton button);
    // A system-error box whose caption contains `captionPart`.
    SetupAnswerer& systemBox(std::string captionPart);
    // The folder picker, answered with a Windows folder; with `start`, the folder it must open at.
    SetupAnswerer& picker(std::string folder, std::string start = {});
    // The progress dialog: optionally presses Cancel as soon as it shows; waits for the end and
    // presses OK; `status` receives the final status line.
    SetupAnswerer& progress(bool pressCancel, std::string* status = nullptr);

    bool done() const { return script_.empty(); }
    const std::vector<std::string>& transcript() const { return transcript_; }
    std::string transcriptText() const;
    int windowsSeen() const { return windowsSeen_; }

    // Control actions.
    static Action click(int id);
    static Action type(int id, std::string text);  // replaces the field's text by typing
    static Action check(int id);                   // marks a radio button or ticks a check box
    static Action expectText(int id, std::string text);
    static Action expectHidden(int id);
    static Action expectShown(int id);
    static Action expectChecked(int id, bool checked);
    static Action key(Qt::Key key);  // to the window itself
    // Component page: makes the line starting with `name` current and presses the space bar.
    static Action toggleLine(std::string name);
    static Action selectLine(std::string name);
    // Component page: a mouse click on the check box of the line starting with `name`.
    static Action clickCheckBox(std::string name);
    static Action expectLine(std::string name, Qt::CheckState state, bool enabled = true);
    static Action expectNoLine(std::string name);
    static Action custom(std::function<void(QDialog*)> f);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Kind { Page, Box, SystemBox, Picker };
    struct Step {
        Kind kind;
        int id = 0;
        std::vector<Action> actions;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        std::string text;
        std::string start;
    };
    void Handle(QWidget* window);
    void RunActions(QPointer<QWidget> window, std::shared_ptr<std::vector<Action>> actions, std::size_t next);
    void Unexpected(QWidget* window, const std::string& what);
    void Screenshot(QWidget* window, const std::string& label);
    std::string Describe(QWidget* window) const;

    std::string name_;
    std::deque<Step> script_;
    std::vector<std::string> transcript_;
    std::vector<QPointer<QWidget>> answered_;  // in the order they came
    int shots_ = 0;
    int windowsSeen_ = 0;
    bool failed_ = false;
};

}  // namespace setup_test
