#include "runtime/ui/Window.h"

#include "runtime/core/Application.h"
#include "runtime/core/EventQueue.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/Menu.h"
#include "runtime/ui/Pictures.h"
#include "runtime/ui/Units.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace runtime {

// The Qt side of a window: hands closing, sizing, activation and Enter/Esc to the window.
class WindowWidget : public QMainWindow {
public:
    explicit WindowWidget(Window* owner) : owner_(owner) {}
    // A window keeps the size its script gave it (its controls are placed, not laid out).
    QSize sizeHint() const override { return size(); }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        if (Window* w = owner_.get()) w->userClose();
    }
    void resizeEvent(QResizeEvent* e) override {
        QMainWindow::resizeEvent(e);
        if (Window* w = owner_.get()) w->raiseResize();
    }
    void changeEvent(QEvent* e) override {
        QMainWindow::changeEvent(e);
        Window* w = owner_.get();
        if (!w) return;
        if (e->type() == QEvent::WindowStateChange) {
            w->raiseResize();
        } else if (e->type() == QEvent::ActivationChange && !w->isSheet() && w->isOpen()) {
            w->trigger(isActiveWindow() ? "activate" : "deactivate");
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        Window* w = owner_.get();
        if (w && e->modifiers() == Qt::NoModifier &&
            (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape)) {
            w->pressButton(e->key() == Qt::Key_Escape);
            return;
        }
        // F1 that no menu took asks the window for its help, as Windows' WM_HELP does.
        if (w && e->modifiers() == Qt::NoModifier && e->key() == Qt::Key_F1) {
            w->trigger("help");
            return;
        }
        QMainWindow::keyPressEvent(e);
    }

private:
    Ref<Window> owner_;
};

namespace {

std::vector<Ref<Window>>& registry() {
    static std::vector<Ref<Window>> windows;
    return windows;
}

void collectButtons(const VisualObject& holder, std::vector<CommandButton*>& out) {
    for (const Ref<Control>& r : holder.controls()) {
        Control* c = r.get();
        if (!c) continue;
        if (auto* b = dynamic_cast<CommandButton*>(c)) out.push_back(b);
        collectButtons(*c, out);
    }
}

// Shows a window (or a sheet's sub-window) normal (0), minimised (1) or maximised (2).
void showIn(QWidget* w, int state) {
    if (state == 1)
        w->showMinimized();
    else if (state == 2)
        w->showMaximized();
    else
        w->show();
}

}  // namespace

Window::Window(std::string className, WindowKind kind) : VisualObject(std::move(className), "window"), kind_(kind) {
    auto* w = new WindowWidget(this);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* client = new QWidget;
    client->setObjectName("client");
    w->setCentralWidget(client);
    client_ = client;
    setWidget(w);
    w->resize(400, 300);
    if (kind == WindowKind::Response) {
        w->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        w->setWindowModality(Qt::ApplicationModal);
    } else if (kind == WindowKind::Popup) {
        w->setWindowFlags(Qt::Window);
    }
    forwardInputEvents(client, false);
}

Window::~Window() {
    if (menuBar_ && menu_) menu_->detach();
    if (subWindow_) {
        subWindow_->hide();
        subWindow_->deleteLater();
    }
}

QMainWindow* Window::mainWidget() const { return static_cast<QMainWindow*>(widget()); }

QWidget* Window::clientWidget() const { return client_; }

void Window::setClientWidget(QWidget* client) { client_ = client; }

QWidget* Window::frameWidget() const {
    if (subWindow_) return subWindow_;
    return widget();
}

FrameWindow* Window::frame() const { return frame_.get(); }

int Window::open(Window* parent) { return openAs(parent, nullptr); }

int Window::openWithParm(Value parameter, Window* parent) {
    parameter_ = std::move(parameter);
    return openAs(parent, nullptr);
}

int Window::openWithParm(Ref<Object> parameter, Window* parent) {
    parameterObject_ = parameter;
    return openAs(parent, nullptr);
}

int Window::openSheet(FrameWindow& frame, Value parameter, Ref<Object> parameterObject) {
    parameter_ = std::move(parameter);
    parameterObject_ = parameterObject;
    return openAs(&frame, &frame);
}

int Window::openAs(Window* parent, FrameWindow* frame) {
    QMainWindow* w = mainWidget();
    if (closed_ || !w) return -1;
    if (open_) {
        if (subWindow_ && frame_) frame_->mdiArea()->setActiveSubWindow(subWindow_);
        w->raise();
        w->activateWindow();
        return -1;
    }
    open_ = true;
    Ref<Window> self(this);
    auto& reg = registry();
    reg.erase(std::remove_if(reg.begin(), reg.end(), [](const Ref<Window>& r) { return !r.isValid(); }), reg.end());
    reg.push_back(self);
    if (parent && parent != this) setParent(parent);
    if (frame) {
        frame_ = Ref<FrameWindow>(frame);
        frame->sheets_.push_back(Ref<Window>(this));
    } else if (parent && (kind_ == WindowKind::Popup || kind_ == WindowKind::Response)) {
        QRect g = w->geometry();
        w->setParent(parent->mainWidget(), w->windowFlags());
        w->setGeometry(g);
    } else if (parent && kind_ == WindowKind::Child && parent->clientWidget()) {
        QRect g = w->geometry();
        w->setParent(parent->clientWidget(), Qt::SubWindow);
        w->setGeometry(g);
    }
    constructControls();
    if (!self) return -1;
    applyTabOrder();
    trigger("open");
    if (!self || closed_) return 1;
    if (frame) {
        QRect g = w->geometry();
        subWindow_ = frame->mdiArea()->addSubWindow(w);
        subWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
        // The sheet's keys are its menu's: the system menu's own Close key (Ctrl+W) would make
        // the menu's Ctrl+W ambiguous, so that neither acts.
        if (QMenu* system = subWindow_->systemMenu())
            for (QAction* a : system->actions()) a->setShortcuts({});
        subWindow_->resize(subWindow_->sizeHint());
        subWindow_->move(g.topLeft());
        showIn(subWindow_, shownState_);
        frame->mdiArea()->setActiveSubWindow(subWindow_);
        frame->sheetActivated();
    } else {
        showIn(w, shownState_);
        // A window that takes no keyboard leaves the activation where it is.
        const bool takesKeyboard =
            !w->testAttribute(Qt::WA_ShowWithoutActivating) && !(w->windowFlags() & Qt::WindowDoesNotAcceptFocus);
        if (kind_ != WindowKind::Child && takesKeyboard) w->activateWindow();
    }
    if (menu_) menuHost()->refreshMenu();
    if (kind_ == WindowKind::Response) {
        EventLoop::runModal([self] { return !self.isValid() || self->closed_; });
    }
    return 1;
}

bool Window::userClose() { return close() == 1; }

int Window::close() {
    if (closing_ || closed_) return -1;
    Ref<Window> self(this);
    closing_ = true;
    // A frame's sheets close first; one that refuses keeps the frame open.
    if (auto* f = dynamic_cast<FrameWindow*>(this)) {
        for (Window* sheet : f->sheets()) {
            if (sheet->close() != 1) {
                if (self) closing_ = false;
                return -1;
            }
        }
    }
    if (!self) return 1;
    Value refuse = trigger("closequery");
    if (!self) return 1;
    closing_ = false;
    if (refuse.toInt() != 0) return -1;
    closed_ = true;
    trigger("close");
    if (!self) return 1;
    QWidget* fw = frameWidget();
    const bool wasActive = fw && fw->isActiveWindow() && !isSheet() && kind_ != WindowKind::Child;
    if (fw) fw->hide();
    FrameWindow* f = frame_.get();
    destroy(this);
    if (f) f->sheetActivated();
    // As on Windows, the program's next window takes the activation, so the keyboard keeps working
    // without a click (a window manager may give it to no window at all).
    if (wasActive) {
        const std::vector<Window*> open = openWindows();
        for (auto it = open.rbegin(); it != open.rend(); ++it) {
            Window* next = *it;
            if (next->isSheet() || next->kind_ == WindowKind::Child) continue;
            if (QWidget* nw = next->frameWidget(); nw && nw->isVisible()) {
                nw->activateWindow();
                break;
            }
        }
    }
    // The application ends when its last window has closed.
    if (Application* app = Application::instance(); app && !app->halted() && openWindows().empty()) app->quit();
    return 1;
}

void Window::setEnabled(bool enabled) {
    QWidget* w = widget();
    // Qt takes the focus from a control that is disabled and does not give it back.
    if (w && !enabled && w->isEnabled()) focusBeforeDisable_ = w->focusWidget();
    VisualObject::setEnabled(enabled);
    if (!w || !enabled) return;
    QWidget* previous = focusBeforeDisable_;
    focusBeforeDisable_ = nullptr;
    if (previous && !w->focusWidget() && previous->isVisible() && previous->isEnabled())
        previous->setFocus(Qt::OtherFocusReason);
}

std::string Window::title() const {
    return widget() ? widget()->windowTitle().toStdString() : std::string();
}

void Window::setTitle(std::string_view title) {
    if (widget()) widget()->setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
}

void Window::setIcon(std::string_view picture) {
    if (widget()) widget()->setWindowIcon(pictureIcon(picture));
}

void Window::center() {
    QSize area;
    if (subWindow_ && frame_)
        area = frame_->mdiArea()->viewport()->size();
    else if (QScreen* s = QGuiApplication::primaryScreen())
        area = s->geometry().size();
    int x = (units::toUnitsX(area.width()) - width()) / 2;
    int y = (units::toUnitsY(area.height()) - height()) / 2;
    move(x, y);
}

void Window::setTitleBarBoxes(bool controlMenu, bool minimizeBox, bool maximizeBox) {
    QWidget* w = widget();
    if (!w) return;
    Qt::WindowFlags f = w->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    f.setFlag(Qt::WindowSystemMenuHint, controlMenu);
    f.setFlag(Qt::WindowCloseButtonHint, controlMenu);
    f.setFlag(Qt::WindowMinimizeButtonHint, minimizeBox);
    f.setFlag(Qt::WindowMaximizeButtonHint, maximizeBox);
    bool shown = w->isVisible();
    w->setWindowFlags(f);
    if (shown) w->show();
}

void Window::setResizable(bool resizable) {
    QWidget* w = widget();
    if (!w) return;
    if (resizable) {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        w->setFixedSize(w->size());
    }
}

std::vector<Window*> Window::openWindows() {
    std::vector<Window*> out;
    for (const Ref<Window>& r : registry())
        if (Window* w = r.get(); w && w->isOpen()) out.push_back(w);
    return out;
}

int Window::windowState() const {
    QWidget* w = frameWidget();
    if (!w) return 0;
    if (w->isMinimized()) return 1;
    if (w->isMaximized()) return 2;
    return 0;
}

void Window::setWindowState(int state) {
    QWidget* w = frameWidget();
    if (!w) return;
    if (!w->isVisible() && !w->isMinimized()) {
        shownState_ = state;
        return;
    }
    if (state == 0)
        w->showNormal();
    else
        showIn(w, state);
}

void Window::raiseResize() {
    if (!isOpen()) return;
    QWidget* c = client_ ? client_.data() : mainWidget()->centralWidget();
    if (!c) return;
    trigger("resize", {windowState(), units::toUnitsX(c->width()), units::toUnitsY(c->height())});
}

Menu* Window::menu() const { return menu_.get(); }

void Window::setMenu(Ref<Menu> menu) {
    if (Menu* old = menu_.get(); old && old != menu.get()) old->detach();
    menu_ = menu;
    if (Menu* m = menu_.get()) m->setParentWindow(this);
    if (open_) menuHost()->refreshMenu();
}

Window* Window::menuHost() {
    if (FrameWindow* f = frame_.get()) return f;
    return this;
}

QMenuBar* Window::menuBar() const {
    if (FrameWindow* f = frame_.get()) return f->menuBar_;
    return menuBar_;
}

QToolBar* Window::toolBar() const {
    if (FrameWindow* f = frame_.get()) return f->toolBar_;
    return toolBar_;
}

bool Window::toolbarVisible() const { return toolbarVisible_; }

void Window::setToolbarVisible(bool visible) {
    toolbarVisible_ = visible;
    if (toolBar_) toolBar_->setVisible(visible && !toolBar_->actions().isEmpty());
}

void Window::refreshMenu() {
    QMainWindow* w = mainWidget();
    Menu* m = menu_.get();
    if (!w || isSheet()) return;
    if (!m) {
        if (menuBar_) menuBar_->clear();
        if (toolBar_) toolBar_->clear();
        return;
    }
    if (!menuBar_) menuBar_ = w->menuBar();
    if (!toolBar_) {
        toolBar_ = w->addToolBar(QStringLiteral("toolbar"));
        toolBar_->setObjectName("toolbar");
        toolBar_->setMovable(false);
    }
    m->attach(menuBar_, toolBar_, w, this);
    toolBar_->setVisible(toolbarVisible_ && !toolBar_->actions().isEmpty());
}

void Window::setMicroHelp(std::string_view text) {
    if (FrameWindow* f = frame_.get()) f->setMicroHelp(text);
}

CommandButton* Window::defaultButton() const {
    std::vector<CommandButton*> buttons;
    collectButtons(*this, buttons);
    for (CommandButton* b : buttons)
        if (b->isDefault()) return b;
    return nullptr;
}

CommandButton* Window::cancelButton() const {
    std::vector<CommandButton*> buttons;
    collectButtons(*this, buttons);
    for (CommandButton* b : buttons)
        if (b->isCancel()) return b;
    return nullptr;
}

void Window::pressButton(bool cancel) {
    std::vector<CommandButton*> buttons;
    collectButtons(*this, buttons);
    CommandButton* target = nullptr;
    if (!cancel) {
        for (CommandButton* b : buttons)
            if (b->hasFocus()) target = b;
    }
    if (!target) target = cancel ? cancelButton() : defaultButton();
    if (target && target->visible() && target->enabled()) target->click();
}

// --- FrameWindow -----------------------------------------------------------------------------

FrameWindow::FrameWindow(std::string className) : Window(std::move(className), WindowKind::Frame) {
    QMainWindow* w = mainWidget();
    auto* mdi = new QMdiArea;
    mdi->setObjectName("mdi_1");
    // A sheet larger than the client area can still be reached.
    mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    w->setCentralWidget(mdi);  // replaces the client area
    setClientWidget(nullptr);
    mdi_ = mdi;
    w->statusBar()->setObjectName("statusbar");
    if (Application* app = Application::instance()) setMicroHelp(app->microHelpDefault());
    w->resize(900, 650);
    Ref<FrameWindow> self(this);
    QObject::connect(mdi, &QMdiArea::subWindowActivated, mdi, [self](QMdiSubWindow*) {
        if (FrameWindow* f = self.get()) f->sheetActivated();
    });
}

FrameWindow::~FrameWindow() = default;

QStatusBar* FrameWindow::statusBar() const { return mainWidget() ? mainWidget()->statusBar() : nullptr; }

std::string FrameWindow::microHelp() const {
    QStatusBar* s = statusBar();
    return s ? s->currentMessage().toStdString() : std::string();
}

void FrameWindow::setMicroHelp(std::string_view text) {
    if (QStatusBar* s = statusBar())
        s->showMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string FrameWindow::statusText() const {
    return statusText_ ? statusText_->property("fullText").toString().toStdString() : std::string();
}

void FrameWindow::setStatusText(std::string_view text) {
    QStatusBar* s = statusBar();
    if (!s) return;
    if (!statusText_) {
        statusText_ = new QLabel;
        statusText_->setObjectName("statustext");
        s->addPermanentWidget(statusText_);
    }
    const QString t = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Within the bar, so that the frame keeps its size; a long path loses its middle and shows whole
    // as the field's tooltip.
    const int room = std::max(200, s->width() - 160);
    statusText_->setText(statusText_->fontMetrics().elidedText(t, Qt::ElideMiddle, room));
    statusText_->setToolTip(t);
    statusText_->setProperty("fullText", t);
}

std::vector<Window*> FrameWindow::sheets() const {
    std::vector<Window*> out;
    for (const Ref<Window>& r : const_cast<FrameWindow*>(this)->sheets_)
        if (Window* s = r.get(); s && !s->closed_) out.push_back(s);
    return out;
}

Window* FrameWindow::activeSheet() const {
    QMdiSubWindow* active = mdi_ ? mdi_->activeSubWindow() : nullptr;
    if (!active) active = mdi_ ? mdi_->currentSubWindow() : nullptr;
    for (Window* s : sheets())
        if (s->subWindow_ == active) return s;
    return nullptr;
}

void FrameWindow::sheetActivated() {
    Window* sheet = activeSheet();
    if (sheet && sheet != lastActive_.get()) {
        lastActive_ = Ref<Window>(sheet);
        sheet->trigger("activate");
    }
    if (shownMenu() != shown_.get()) refreshMenu();
}

Menu* FrameWindow::shownMenu() const {
    if (Window* s = activeSheet(); s && s->menu()) return s->menu();
    return menu();
}

void FrameWindow::refreshMenu() {
    QMainWindow* w = mainWidget();
    if (!w) return;
    Menu* m = shownMenu();
    if (Menu* old = shown_.get(); old && old != m) old->detach();
    shown_ = Ref<Menu>(m);
    if (!menuBar_) menuBar_ = w->menuBar();
    if (!toolBar_) {
        toolBar_ = w->addToolBar(QStringLiteral("toolbar"));
        toolBar_->setObjectName("toolbar");
        toolBar_->setMovable(false);
    }
    if (m) {
        m->attach(menuBar_, toolBar_, w, this);
    } else {
        menuBar_->clear();
        toolBar_->clear();
    }
    toolBar_->setVisible(toolbarVisible() && !toolBar_->actions().isEmpty());
}

void FrameWindow::arrangeSheets(int how) {
    if (!mdi_) return;
    std::vector<QMdiSubWindow*> subs;
    for (Window* s : sheets())
        if (s->subWindow_ && !s->subWindow_->isHidden()) subs.push_back(s->subWindow_);
    QSize area = mdi_->viewport()->size();
    switch (how) {
    case Cascade:
        mdi_->cascadeSubWindows();
        break;
    case Layer:
        for (QMdiSubWindow* s : subs) {
            if (s->isMinimized() || s->isMaximized()) s->showNormal();
            s->setGeometry(0, 0, area.width(), area.height());
        }
        if (QMdiSubWindow* a = mdi_->activeSubWindow()) a->raise();
        break;
    case Icons: {
        int x = 0;
        for (QMdiSubWindow* s : subs) {
            if (!s->isMinimized()) continue;
            QSize sz = s->size();
            s->move(x, area.height() - sz.height());
            x += sz.width();
        }
        break;
    }
    case Tile:
    case TileHorizontal: {
        std::vector<QMdiSubWindow*> normal;
        for (QMdiSubWindow* s : subs)
            if (!s->isMinimized()) normal.push_back(s);
        int n = static_cast<int>(normal.size());
        for (int i = 0; i < n; ++i) {
            if (normal[i]->isMaximized()) normal[i]->showNormal();
            if (how == Tile) {
                int w = area.width() / n;
                normal[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
            } else {
                int h = area.height() / n;
                normal[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
            }
        }
        break;
    }
    default:
        break;
    }
}

}  // namespace runtime
