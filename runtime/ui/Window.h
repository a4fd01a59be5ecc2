#pragma once
// Windows: main, popup, response (modal: open returns after the window closed), child, and the
// MDI frame whose sheets are main windows opened in it.
//
// Events raised: open (after the controls' constructors), closequery (a non-zero answer refuses
// to close), close, resize(sizetype, newwidth, newheight) on every size change (sizetype 0
// normal, 1 minimised, 2 maximised), mousemove(flags, xpos, ypos) over the free area, activate,
// deactivate; and the input events of VisualObject over the free area.
#include "runtime/ui/VisualObject.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QMainWindow;
class QStatusBar;

namespace runtime {

class FrameWindow;
class Menu;
class CommandButton;

enum class WindowKind { Main, Popup, Response, Child, Frame };

class Window : public VisualObject {
public:
    explicit Window(std::string className, WindowKind kind = WindowKind::Main);
    ~Window() override;

    WindowKind kind() const { return kind_; }
    QMainWindow* mainWidget() const;
    QWidget* clientWidget() const override;

    // Opens the window over `parent` (child and popup windows stand on it); one whose widget takes
    // no keyboard (Qt::WindowDoesNotAcceptFocus) leaves the activation where it is. Answers 1; -1
    // when it is open already (it is brought to the front) or was closed. A response window returns
    // only after it closed, the posted events running meanwhile.
    int open(Window* parent = nullptr);
    int openWithParm(Value parameter, Window* parent = nullptr);
    int openWithParm(Ref<Object> parameter, Window* parent = nullptr);
    // Opens the window as a sheet of the frame.
    int openSheet(FrameWindow& frame, Value parameter = {}, Ref<Object> parameterObject = {});
    // What the opener passed (a value, or an object).
    const Value& parameter() const { return parameter_; }
    Object* parameterObject() const { return parameterObject_.get(); }
    bool isOpen() const { return open_ && !closed_; }
    bool isSheet() const { return frame_.isValid(); }
    FrameWindow* frame() const;

    // Closes: closequery (non-zero refuses: -1), close, then the window and its controls are
    // destroyed. Answers 1 when closed. The user's close box takes the same way.
    int close();
    // The windows open now (sheets and child windows included).
    static std::vector<Window*> openWindows();

    std::string title() const;
    void setTitle(std::string_view title);
    // The window's icon: a picture name (a file, one of the picture folders', or a stock one).
    void setIcon(std::string_view picture);
    // Moves the window so that it is centred on the screen (or on the frame's area for a sheet).
    void center();
    // The title bar's boxes and the sizing border (a dialog has neither control menu, nor
    // minimise and maximise boxes, and cannot be resized).
    void setTitleBarBoxes(bool controlMenu, bool minimizeBox, bool maximizeBox);
    void setResizable(bool resizable);
    // Minimised (1), maximised (2) or normal (0); a sheet is maximised in the frame's client area.
    // Set before the window shows (in its open event), it shows so.
    int windowState() const;
    void setWindowState(int state);
    // Disabling takes the keyboard focus from the window's controls; enabling gives it back to
    // the control that had it.
    void setEnabled(bool enabled) override;

    // The window's menu: created with it, destroyed with it; a sheet's menu shows in the frame.
    Menu* menu() const;
    void setMenu(Ref<Menu> menu);
    template <class M, class... A>
    Ref<M> createMenu(A&&... args) {
        Ref<M> m = runtime::adopt(std::make_unique<M>(std::forward<A>(args)...), this);
        setMenu(m);
        return m;
    }
    // The menu bar and toolbar that show this window's menu (the frame's for a sheet).
    QMenuBar* menuBar() const;
    QToolBar* toolBar() const;
    bool toolbarVisible() const;
    void setToolbarVisible(bool visible);
    // Rebuilds the menu bar and the toolbar of the menu shown (after the tree changed).
    virtual void refreshMenu();

    // The status-bar text of the frame (own status bar for a frame, the frame's for a sheet).
    virtual void setMicroHelp(std::string_view text);

    // The default and cancel buttons that Enter and Esc press.
    CommandButton* defaultButton() const;
    CommandButton* cancelButton() const;

protected:
    QWidget* frameWidget() const override;
    // The window that shows this window's menu.
    virtual Window* menuHost();
    void setClientWidget(QWidget* client);

private:
    friend class FrameWindow;
    friend class WindowWidget;
    int openAs(Window* parent, FrameWindow* frame);
    bool userClose();
    void raiseResize();
    void pressButton(bool cancel);

    WindowKind kind_;
    QPointer<QWidget> client_;
    QPointer<QWidget> focusBeforeDisable_;
    QPointer<QMdiSubWindow> subWindow_;
    QPointer<QMenuBar> menuBar_;
    QPointer<QToolBar> toolBar_;
    Ref<FrameWindow> frame_;
    Ref<Menu> menu_;
    Value parameter_;
    Ref<Object> parameterObject_;
    bool open_ = false;
    bool closing_ = false;
    bool closed_ = false;
    bool toolbarVisible_ = true;
    int shownState_ = 0;  // the state to show in, as set before the window showed
};

// The MDI frame: a client area for sheets, a status bar, and the toolbar and menu bar of the
// active sheet's menu (its own when the sheet has none).
class FrameWindow : public Window {
public:
    explicit FrameWindow(std::string className);
    ~FrameWindow() override;

    QMdiArea* mdiArea() const { return mdi_; }
    QStatusBar* statusBar() const;
    std::string microHelp() const;
    void setMicroHelp(std::string_view text) override;
    // The outcome of the last command, in a field of the status bar of its own that the status-bar
    // help of mouse movement leaves alone.
    std::string statusText() const;
    void setStatusText(std::string_view text);

    std::vector<Window*> sheets() const;
    Window* activeSheet() const;

    // ArrangeSheets: 0 tile (side by side), 1 layer, 2 cascade, 3 icons, 4 tile horizontally.
    enum Arrange { Tile = 0, Layer = 1, Cascade = 2, Icons = 3, TileHorizontal = 4 };
    void arrangeSheets(int how);

    void refreshMenu() override;

private:
    friend class Window;
    void sheetActivated();
    Menu* shownMenu() const;

    QPointer<QMdiArea> mdi_;
    QPointer<QLabel> statusText_;
    Ref<Menu> shown_;
    std::vector<Ref<Window>> sheets_;
    Ref<Window> lastActive_;
};

// Opens a new window of class W (a response window returns after it closed).
template <class W, class... A>
Ref<W> openWindow(Window* parent = nullptr, A&&... args) {
    Ref<W> w = create<W>(std::forward<A>(args)...);
    w->open(parent);
    return w;
}

}  // namespace runtime
