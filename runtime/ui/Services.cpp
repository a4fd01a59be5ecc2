#include "runtime/ui/Services.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "platform/Machine.h"

#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"
#include "runtime/ui/VisualObject.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace runtime {
namespace {

using detail::qs;

std::string lower(std::string_view s) { return detail::lowerAscii(s); }

std::string trim(std::string_view s) { return detail::trimmed(s, " \t\r"); }

// The help viewer: one window, reused.
class HelpWindow : public QWidget {
public:
    HelpWindow() {
        setWindowTitle(QStringLiteral("Help"));
        setObjectName("helpviewer");
        auto* layout = new QVBoxLayout(this);
        search_ = new QLineEdit;
        search_->setObjectName("keyword");
        browser_ = new QTextBrowser;
        browser_->setOpenLinks(false);
        layout->addWidget(search_);
        layout->addWidget(browser_);
        resize(640, 480);
        QObject::connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            showTopic(url.path().toInt());
        });
        QObject::connect(search_, &QLineEdit::textEdited, this, [this](const QString& text) {
            showKeyword(text.toStdString());
        });
    }
    void setFile(HelpFile file) { file_ = std::move(file); }
    bool showTopic(int number) {
        const HelpTopic* t = file_.find(number);
        if (!t) return false;
        search_->hide();
        // The caption names the topic, so the task bar and the window list tell which one is open.
        setWindowTitle(QStringLiteral("Help - ") + qs(t->title));
        browser_->setHtml("<h2>" + qs(t->title).toHtmlEscaped() + "</h2>" + qs(t->body));
        return true;
    }
    void showContents() {
        search_->hide();
        setWindowTitle(QStringLiteral("Help - Contents"));
        QString html = QStringLiteral("<h2>Contents</h2><ul>");
        for (const HelpTopic& t : file_.topics)
            html += QStringLiteral("<li><a href=\"topic:%1\">%2</a></li>").arg(t.number).arg(qs(t.title).toHtmlEscaped());
        browser_->setHtml(html + "</ul>");
    }
    void showKeyword(const std::string& keyword) {
        search_->show();
        setWindowTitle(QStringLiteral("Help - Index"));
        if (search_->text() != qs(keyword)) search_->setText(qs(keyword));
        QString html = QStringLiteral("<h2>Index</h2><ul>");
        for (const HelpTopic* t : file_.search(keyword))
            html += QStringLiteral("<li><a href=\"topic:%1\">%2</a></li>").arg(t->number).arg(qs(t->title).toHtmlEscaped());
        browser_->setHtml(html + "</ul>");
    }
    QTextBrowser* browser() const { return browser_; }

private:
    HelpFile file_;
    QLineEdit* search_;
    QTextBrowser* browser_;
};

QPointer<HelpWindow>& helpWindow() {
    static QPointer<HelpWindow> w;
    return w;
}

// A Windows path ("Z:\\...", "C:\\...", "\\...") is the machine's; a host path is taken as it is.
std::filesystem::path helpFilePath(const std::string& file) {
    const bool windows = (file.size() >= 2 && file[1] == ':') || file.starts_with('\\');
    if (!windows) return file;
    platform::Result<platform::Machine> machine = platform::Machine::open();
    if (!machine) return file;
    platform::Result<std::filesystem::path> host = machine.value().hostPath(file);
    return host ? host.value() : std::filesystem::path(file);
}

class ViewerHelp : public HelpProvider {
public:
    int show(const HelpRequest& r) override {
        std::optional<HelpFile> file = readHelpFile(helpFilePath(r.file));
        if (!file) return -1;
        if (r.command == HelpCommand::Topic && !file->find(r.topic)) return -1;
        if (!QApplication::instance()) return -1;
        QPointer<HelpWindow>& w = helpWindow();
        if (!w) w = new HelpWindow;
        // A modal dialog blocks every window outside it: the viewer then belongs to the dialog, so
        // its help can be read and scrolled while the dialog waits.
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != w && w->parentWidget() != modal) {
            w->setParent(modal, Qt::Window);
            w->resize(640, 480);
        } else if (!modal && w->parentWidget()) {
            w->setParent(nullptr, Qt::Window);
        }
        w->setFile(std::move(*file));
        switch (r.command) {
        case HelpCommand::Topic: w->showTopic(r.topic); break;
        case HelpCommand::Contents: w->showContents(); break;
        case HelpCommand::Keyword: w->showKeyword(r.keyword); break;
        }
        w->show();
        w->raise();
        w->activateWindow();
        return 1;
    }
};

HelpProvider* g_help = nullptr;

HelpProvider& helpProvider() {
    static ViewerHelp viewer;
    return g_help ? *g_help : viewer;
}

class QtFileDialog : public FileDialogProvider {
public:
    FileOpenAnswer open(const FileOpenRequest& r) override {
        FileOpenAnswer a;
        if (!QApplication::instance()) {
            a.result = -1;
            return a;
        }
        QFileDialog dialog(QApplication::activeWindow(), qs(r.title), qs(r.folder));
        if (r.folderOnly) {
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly);
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return a;
            a.result = 1;
            a.folder = QFileInfo(dialog.selectedFiles().front()).absoluteFilePath().toStdString();
            return a;
        }
        dialog.setFileMode(r.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        QStringList filters;
        for (const std::string& f : qtNameFilters(r.filter)) filters << qs(f);
        if (!filters.isEmpty()) dialog.setNameFilters(filters);
        if (!r.extension.empty()) dialog.setDefaultSuffix(qs(r.extension));
        if (dialog.exec() != QDialog::Accepted) return a;
        QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty()) return a;
        a.result = 1;
        a.folder = QFileInfo(chosen.front()).absolutePath().toStdString();
        for (const QString& c : chosen) a.files.push_back(QFileInfo(c).fileName().toStdString());
        return a;
    }
};

FileDialogProvider* g_files = nullptr;

FileDialogProvider& fileProvider() {
    static QtFileDialog qt;
    return g_files ? *g_files : qt;
}

QPointer<QWidget> g_captureWidget;
Ref<VisualObject> g_captured;


class QtClipboard : public ClipboardProvider {
public:
    std::string text() override { return QGuiApplication::clipboard()->text().toStdString(); }
    void setText(std::string_view text) override { QGuiApplication::clipboard()->setText(qs(text)); }
};

class QtKeyState : public KeyStateProvider {
public:
    bool isDown(ModifierKey key) override {
        Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
        return key == ModifierKey::Shift ? mods.testFlag(Qt::ShiftModifier) : mods.testFlag(Qt::ControlModifier);
    }
};

class QtEnvironment : public EnvironmentProvider {
public:
    Environment environment() override {
        Environment e;
        if (QScreen* s = QGuiApplication::primaryScreen()) {
            e.screenWidth = s->geometry().width();
            e.screenHeight = s->geometry().height();
        }
        return e;
    }
};

class QtMessageBoxes : public MessageBoxProvider {
public:
    int show(const MessageBoxRequest& r) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(qs(r.title));
        box.setText(qs(r.text));
        switch (r.icon) {
        case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MessageIcon::StopSign: box.setIcon(QMessageBox::Critical); break;
        case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MessageIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        }
        std::vector<QAbstractButton*> buttons;
        std::vector<std::string> labels = buttonLabels(r.buttons);
        for (size_t i = 0; i < labels.size(); ++i) {
            QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
            if (labels[i] == "Cancel" || labels[i] == "No" || labels[i] == "Abort") role = QMessageBox::RejectRole;
            buttons.push_back(box.addButton(qs(labels[i]), role));
        }
        int def = std::clamp(r.defaultButton, 1, static_cast<int>(buttons.size()));
        box.setDefaultButton(static_cast<QPushButton*>(buttons[def - 1]));
        // Esc answers Cancel where there is one, else the default button.
        auto cancel = std::find(labels.begin(), labels.end(), "Cancel");
        box.setEscapeButton(cancel != labels.end() ? buttons[cancel - labels.begin()] : buttons[def - 1]);
        box.exec();
        auto it = std::find(buttons.begin(), buttons.end(), box.clickedButton());
        return it == buttons.end() ? def : static_cast<int>(it - buttons.begin()) + 1;
    }
};

struct Installed {
    QtClipboard clipboard;
    QtKeyState keys;
    QtEnvironment environment;
    QtMessageBoxes boxes;
    bool on = false;
};

Installed& installed() {
    static Installed i;
    return i;
}

}  // namespace

void installQtServices() {
    Installed& i = installed();
    if (i.on) return;
    i.on = true;
    setClipboardProvider(&i.clipboard);
    setKeyStateProvider(&i.keys);
    setEnvironmentProvider(&i.environment);
    setMessageBoxProvider(&i.boxes);
}

void uninstallQtServices() {
    Installed& i = installed();
    if (!i.on) return;
    i.on = false;
    setClipboardProvider(nullptr);
    setKeyStateProvider(nullptr);
    setEnvironmentProvider(nullptr);
    setMessageBoxProvider(nullptr);
}


// --- Help ------------------------------------------------------------------------------------

const HelpTopic* HelpFile::find(int number) const {
    for (const HelpTopic& t : topics)
        if (t.number == number) return &t;
    return nullptr;
}

std::vector<const HelpTopic*> HelpFile::search(std::string_view keyword) const {
    std::string k = lower(trim(keyword));
    std::vector<const HelpTopic*> out;
    for (const HelpTopic& t : topics) {
        bool match = k.empty();
        for (const std::string& kw : t.keywords)
            if (lower(kw).rfind(k, 0) == 0) match = true;
        if (match) out.push_back(&t);
    }
    return out;
}

HelpFile parseHelpFile(std::string_view text) {
    HelpFile file;
    std::istringstream in{std::string(text)};
    std::string line;
    HelpTopic* current = nullptr;
    bool firstLine = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("== ", 0) == 0) {
            std::string rest = trim(line.substr(3));
            size_t blank = rest.find(' ');
            std::string number = rest.substr(0, blank);
            if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
                continue;
            HelpTopic t;
            t.number = std::stoi(number);
            t.title = blank == std::string::npos ? std::string() : trim(rest.substr(blank + 1));
            file.topics.push_back(std::move(t));
            current = &file.topics.back();
            firstLine = true;
            continue;
        }
        if (!current) continue;
        if (firstLine && lower(line).rfind("keywords:", 0) == 0) {
            std::string list = line.substr(9);
            std::stringstream ks(list);
            std::string k;
            while (std::getline(ks, k, ';'))
                if (std::string t = trim(k); !t.empty()) current->keywords.push_back(t);
            firstLine = false;
            continue;
        }
        firstLine = false;
        current->body += line;
        current->body += '\n';
    }
    return file;
}

std::optional<HelpFile> readHelpFile(const std::filesystem::path& path) {
    std::string p = path.string();
    std::replace(p.begin(), p.end(), '\\', '/');
    std::ifstream in(p, std::ios::binary);
    if (!in) return std::nullopt;
    std::stringstream ss;
    ss << in.rdbuf();
    return parseHelpFile(ss.str());
}

HelpProvider* setHelpProvider(HelpProvider* provider) {
    HelpProvider* old = g_help;
    g_help = provider;
    return old;
}

int showHelp(std::string_view file, HelpCommand command, int topic, std::string_view keyword) {
    HelpRequest r{std::string(file), command, topic, std::string(keyword)};
    return helpProvider().show(r);
}

QWidget* helpViewerWindow() { return helpWindow(); }

// --- File dialog -----------------------------------------------------------------------------

std::vector<std::string> qtNameFilters(std::string_view filter) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filter) {
        if (c == ',') {
            parts.push_back(trim(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty() || !parts.empty()) parts.push_back(trim(cur));
    std::vector<std::string> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns = parts[i + 1];
        std::replace(patterns.begin(), patterns.end(), ';', ' ');
        // "*.*" must also show files without an extension.
        size_t at;
        while ((at = patterns.find("*.*")) != std::string::npos) patterns.replace(at, 3, "*");
        out.push_back(parts[i] + " (" + patterns + ")");
    }
    return out;
}

FileDialogProvider* setFileDialogProvider(FileDialogProvider* provider) {
    FileDialogProvider* old = g_files;
    g_files = provider;
    return old;
}

FileOpenAnswer getFileOpenName(const FileOpenRequest& request) { return fileProvider().open(request); }

// --- Mouse -----------------------------------------------------------------------------------

void setCapture(VisualObject& object) {
    releaseCapture();
    if (QWidget* w = object.widget()) {
        w->grabMouse();
        g_captureWidget = w;
        g_captured = Ref<VisualObject>(&object);
    }
}

void releaseCapture() {
    if (g_captureWidget) g_captureWidget->releaseMouse();
    g_captureWidget = nullptr;
    g_captured.reset();
}

VisualObject* captured() { return g_captureWidget ? g_captured.get() : nullptr; }

int pointerScreenX() { return QCursor::pos().x(); }
int pointerScreenY() { return QCursor::pos().y(); }

}  // namespace runtime
