// Controls' selection and clipboard operations, their events, the help viewer and file-dialog
// seams, and the application's event loop ending with its last window.
#include "runtime/core/Application.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"
#include "runtime/ui/Colors.h"
#include "runtime/ui/Controls.h"
#include "runtime/ui/DataWindow.h"
#include "runtime/ui/ListView.h"
#include "runtime/ui/Pictures.h"
#include "runtime/ui/Services.h"
#include "runtime/ui/Window.h"
#include "support/runtime/UiDoubles.h"
#include "support/TempFolder.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCursor>
#include <QImage>
#include <QMessageBox>
#include <QPalette>
#include <QTimer>
#include <QLineEdit>
#include <QTest>
#include <QTextBrowser>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace runtime;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui_test::application();
        window = create<Window>("w_controls");
    }
    void TearDown() override {
        if (window) window->close();
        ui_test::settle();
    }
    Ref<Window> window;
};

struct ClipboardCase {
    const char* kind;
    std::function<Ref<TextControl>(Window&)> make;
};

void PrintTo(const ClipboardCase& c, std::ostream* os) { *os << c.kind; }

class ClipboardOperations : public ControlsTest, public ::testing::WithParamInterface<ClipboardCase> {};

TEST_P(ClipboardOperations, SelectedTextCutCopyPasteGoThroughTheClipboard) {
    Ref<TextControl> c = GetParam().make(*window);
    window->open();
    EXPECT_EQ(typeOf(c.get()), GetParam().kind);
    c->setText("hello world");
    c->selectText(1, 5);
    EXPECT_EQ(c->selectedText(), "hello");
    c->copy();
    EXPECT_EQ(clipboardText(), "hello");
    EXPECT_EQ(c->text(), "hello world");
    c->selectText(7, 5);
    c->cut();
    EXPECT_EQ(clipboardText(), "world");
    EXPECT_EQ(c->text(), "hello ");
    c->selectText(1, 5);
    c->paste();  // replaces the selection
    EXPECT_EQ(c->text(), "world ");
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ClipboardOperations,
    ::testing::Values(
        ClipboardCase{"singlelineedit", [](Window& w) { return Ref<TextControl>(w.addControl<SingleLineEdit>("sle_1")); }},
        ClipboardCase{"multilineedit", [](Window& w) { return Ref<TextControl>(w.addControl<MultiLineEdit>("mle_1")); }},
        ClipboardCase{"editmask", [](Window& w) { return Ref<TextControl>(w.addControl<EditMask>("em_1")); }},
        ClipboardCase{"richtextedit", [](Window& w) { return Ref<TextControl>(w.addControl<RichTextEdit>("rte_1")); }},
        ClipboardCase{"dropdownlistbox",
                      [](Window& w) {
                          Ref<DropDownListBox> d = w.addControl<DropDownListBox>("ddlb_1");
                          d->setAllowEdit(true);
                          return Ref<TextControl>(d);
                      }}),
    [](const auto& info) { return std::string(info.param.kind); });

TEST_F(ControlsTest, FocusKeyAndModifiedEventsOfAnEdit) {
    Ref<SingleLineEdit> sle = window->addControl<SingleLineEdit>("sle_1");
    Ref<CommandButton> cb = window->addControl<CommandButton>("cb_1");
    cb->move(0, 200);
    std::vector<std::string> log;
    for (const char* e : {"getfocus", "losefocus", "modified"})
        sle->on(e, [&log, e](Args) {
            log.push_back(e);
            return Value();
        });
    std::vector<int64_t> keys;
    sle->on("keyup", [&](Args a) {
        keys.push_back(a[0].toInt());
        return Value();
    });
    window->open();
    QApplication::setActiveWindow(window->widget());
    sle->setText("by program");  // raises no modified
    sle->setFocus();
    QTest::keyClicks(sle->widget(), "ab");
    // Characters beyond ASCII go one by one as key events.
    QTest::sendKeyEvent(QTest::Press, sle->widget(), Qt::Key_unknown, QStringLiteral("é"), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, sle->widget(), Qt::Key_unknown, QStringLiteral("é"), Qt::NoModifier);
    cb->setFocus();
    ui_test::settle();
    EXPECT_EQ(sle->text(), "by programabé");
    EXPECT_EQ(log, (std::vector<std::string>{"getfocus", "losefocus", "modified"}));
    EXPECT_EQ(keys, (std::vector<int64_t>{'A', 'B', 0}));
    EXPECT_EQ(getParent(sle.get()), window.get());
    EXPECT_EQ(sle->parentWindow(), window.get());
}

TEST_F(ControlsTest, ControlsOfACompositeFindTheirWindowAndNonAutomaticRadioButtonsStay) {
    Ref<UserObject> uo = window->addControl<UserObject>("uo_1");
    Ref<RadioButton> rb = uo->addControl<RadioButton>("rb_1");
    Ref<StaticText> st = uo->addControl<StaticText>("st_1");
    // Inner controls are constructed before their composite, yet already find the window.
    Window* seenByConstructor = nullptr;
    rb->on("constructor", [&](Args) {
        for (Object* o = getParent(rb.get()); o; o = getParent(o))
            if (typeOf(o) == "window") seenByConstructor = static_cast<Window*>(o);
        return Value();
    });
    rb->setAutomatic(false);
    rb->setText("&Landscape");
    rb->resize(338, 72);
    int clicks = 0;
    rb->on("clicked", [&](Args) {
        ++clicks;
        return Value();
    });
    window->open();
    QTest::mouseClick(rb->widget(), Qt::LeftButton, {}, QPoint(8, rb->widget()->height() / 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(rb->checked());
    rb->setChecked(true);
    EXPECT_TRUE(rb->checked());
    EXPECT_EQ(getParent(rb.get()), uo.get());
    EXPECT_EQ(rb->parentWindow(), window.get());
    EXPECT_EQ(seenByConstructor, window.get());
    EXPECT_EQ(window->findControl("ST_1"), st.get());
    EXPECT_EQ(typeOf(uo.get()), "userobject");
    EXPECT_EQ(typeOf(st.get()), "statictext");
}

TEST_F(ControlsTest, AHandleFindsItsObjectOnlyWhileTheObjectLives) {
    Ref<StaticText> st = window->addControl<StaticText>("st_1");
    window->open();
    long handle = st->handle();
    EXPECT_EQ(findByHandle(handle), st.get());
    EXPECT_EQ(findByHandle(window->handle()), window.get());
    EXPECT_EQ(findByHandle(0), nullptr);
    window->close();
    ui_test::settle();
    EXPECT_EQ(findByHandle(handle), nullptr);
}

TEST_F(ControlsTest, MouseEventsInLayoutUnitsCaptureAndModifierKeys) {
    Ref<StaticText> st = window->addControl<StaticText>("st_1");
    st->move(0, 0);
    st->resize(914, 96);  // 200 x 24 pixels
    std::vector<std::string> log;
    for (const char* e : {"lbuttondown", "lbuttonup", "mousemove"}) {
        st->on(e, [&log, e](Args a) {
            log.push_back(std::string(e) + " " + a[0].toText() + " " + a[1].toText() + " " + a[2].toText());
            return Value();
        });
    }
    std::vector<std::string> windowMoves;
    window->on("mousemove", [&](Args a) {
        windowMoves.push_back(a[1].toText() + " " + a[2].toText());
        return Value();
    });
    window->open();
    QWidget* label = st->widget();
    // Flags: 1 left button, 4 Shift, 8 Ctrl; positions in layout units (x px * 32 / 7, y px * 4).
    QTest::mousePress(label, Qt::LeftButton, Qt::ShiftModifier, QPoint(70, 8));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::ControlModifier, QPoint(14, 2));
    EXPECT_EQ(log, (std::vector<std::string>{"lbuttondown 5 320 32", "lbuttonup 9 64 8"}));
    // Over the window's free area the window itself hears the pointer.
    QMouseEvent move(QEvent::MouseMove, QPointF(35, 100), QPointF(35, 100), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QWidget* client = window->widget()->childAt(35, 100) ? window->widget()->childAt(35, 100) : window->widget();
    QApplication::sendEvent(client, &move);
    EXPECT_EQ(windowMoves, std::vector<std::string>{"160 400"});

    // Capture: every mouse event goes to the control until released or the control is gone.
    setCapture(*st);
    EXPECT_EQ(captured(), st.get());
    EXPECT_EQ(QWidget::mouseGrabber(), label);
    releaseCapture();
    EXPECT_EQ(captured(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    Ref<Picture> p = window->addControl<Picture>("p_1");
    setCapture(*p);
    EXPECT_EQ(captured(), p.get());
    destroy(p);
    EXPECT_EQ(captured(), nullptr);
    releaseCapture();  // nothing left to release: no crash

    // The pointer: on the screen in pixels, over an object in its layout units.
    QPoint origin = label->mapToGlobal(QPoint(0, 0));
    QCursor::setPos(origin + QPoint(21, 5));
    EXPECT_EQ(pointerScreenX(), origin.x() + 21);
    EXPECT_EQ(pointerScreenY(), origin.y() + 5);
    EXPECT_EQ(st->pointerX(), 96);
    EXPECT_EQ(st->pointerY(), 20);

    // Shift and Ctrl state: through the seam a test scripts, and from the keyboard itself.
    struct Held : KeyStateProvider {
        bool shift = true;
        bool isDown(ModifierKey key) override { return key == ModifierKey::Shift && shift; }
    } held;
    KeyStateProvider* qt = setKeyStateProvider(&held);
    EXPECT_TRUE(keyDown(ModifierKey::Shift));
    EXPECT_FALSE(keyDown(ModifierKey::Control));
    setKeyStateProvider(qt);
    QTest::keyPress(label, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(keyDown(ModifierKey::Control));
    EXPECT_FALSE(keyDown(ModifierKey::Shift));
    QTest::keyRelease(label, Qt::Key_Control, Qt::NoModifier);
    EXPECT_FALSE(keyDown(ModifierKey::Control));
}

TEST_F(ControlsTest, EveryKindAnswersItsTypeAndTheChoiceControlsWork) {
    struct Kind {
        Ref<Control> control;
        const char* type;
    };
    const std::vector<Kind> kinds = {
        {window->addControl<CommandButton>("cb_1"), "commandbutton"},
        {window->addControl<SingleLineEdit>("sle_1"), "singlelineedit"},
        {window->addControl<MultiLineEdit>("mle_1"), "multilineedit"},
        {window->addControl<EditMask>("em_1"), "editmask"},
        {window->addControl<RichTextEdit>("rte_1"), "richtextedit"},
        {window->addControl<DropDownListBox>("ddlb_1"), "dropdownlistbox"},
        {window->addControl<DropDownPictureListBox>("ddplb_1"), "dropdownpicturelistbox"},
        {window->addControl<StaticText>("st_1"), "statictext"},
        {window->addControl<CheckBox>("cbx_1"), "checkbox"},
        {window->addControl<RadioButton>("rb_1"), "radiobutton"},
        {window->addControl<Picture>("p_1"), "picture"},
        {window->addControl<TreeView>("tv_1"), "treeview"},
        {window->addControl<ListView>("lv_1"), "listview"},
        {window->addControl<DataWindow>("dw_1"), "datawindow"},
        {window->addControl<UserObject>("uo_1"), "userobject"},
    };
    Ref<Window> child = create<Window>("w_child", WindowKind::Child);
    window->open();
    for (const Kind& k : kinds) {
        EXPECT_EQ(typeOf(k.control.get()), k.type);
        EXPECT_EQ(getParent(k.control.get()), window.get()) << k.type;
    }
    ASSERT_EQ(child->open(window.get()), 1);
    EXPECT_EQ(typeOf(child.get()), "window");
    EXPECT_EQ(child->widget()->parentWidget(), window->clientWidget());  // inside its parent
    child->close();

    // A check box toggles on a click and raises clicked.
    auto* cbx = static_cast<CheckBox*>(kinds[8].control.get());
    cbx->move(0, 400);
    cbx->resize(400, 80);
    int clicks = 0;
    cbx->on("clicked", [&](Args) {
        ++clicks;
        return Value();
    });
    QTest::mouseClick(cbx->widget(), Qt::LeftButton, {}, QPoint(6, cbx->widget()->height() / 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(cbx->checked());

    // A sorted drop-down picture list: entries in order with their pictures; only a choice of
    // the user raises selectionchanged.
    testing_support::TempFolder folder;
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    std::string file = (folder.path() / "doc.png").string();
    ASSERT_TRUE(image.save(QString::fromStdString(file)));
    auto* ddplb = static_cast<DropDownPictureListBox*>(kinds[6].control.get());
    EXPECT_EQ(ddplb->addPicture(file), 1);
    ddplb->setSorted(true);
    ddplb->addItem("Program", 0);
    EXPECT_EQ(ddplb->addItem("Document", 1), 1);
    EXPECT_EQ(ddplb->addItem("Folder", 0), 2);
    EXPECT_EQ(ddplb->itemText(3), "Program");
    EXPECT_FALSE(ddplb->comboBox()->itemIcon(0).isNull());
    EXPECT_TRUE(ddplb->comboBox()->itemIcon(1).isNull());
    std::vector<int64_t> chosen;
    ddplb->on("selectionchanged", [&](Args a) {
        chosen.push_back(a[0].toInt());
        return Value();
    });
    EXPECT_EQ(ddplb->selectItem("fol"), 2);
    EXPECT_EQ(ddplb->selectItem("x"), -1);
    EXPECT_EQ(ddplb->selectedIndex(), 2);
    ddplb->comboBox()->setCurrentIndex(2);  // as the user's choice in the list
    EXPECT_EQ(chosen, std::vector<int64_t>{3});
    EXPECT_EQ(ddplb->text(), "Program");
}

TEST_F(ControlsTest, HelpFileTopicsContentsAndKeywordsThroughTheViewerAndTheSeam) {
    testing_support::TempFolder folder;
    std::filesystem::path file = folder.path() / "Pakomo 1.hlp";
    testing_support::writeFile(file,
                               "Help of the authoring program\n"
                               "== 15 Products\n"
                               "keywords: product; new product\n"
                               "<p>A product is what you install.</p>\n"
                               "== 27 Components\n"
                               "keywords: component\n"
                               "<p>Files grouped.</p>\n");
    HelpFile parsed = *readHelpFile(file);
    ASSERT_EQ(parsed.topics.size(), 2u);
    EXPECT_EQ(parsed.find(27)->title, "Components");
    EXPECT_EQ(parsed.search("PROD").size(), 1u);
    EXPECT_EQ(parsed.search("").size(), 2u);
    EXPECT_EQ(parsed.find(29), nullptr);

    EXPECT_EQ(showHelp(file.string(), HelpCommand::Topic, 15), 1);
    auto* browser = helpViewerWindow()->findChild<QTextBrowser*>();
    EXPECT_TRUE(browser->toPlainText().contains("A product is what you install."));
    EXPECT_EQ(showHelp(file.string(), HelpCommand::Contents), 1);
    EXPECT_TRUE(browser->toPlainText().contains("Components"));
    EXPECT_EQ(showHelp(file.string(), HelpCommand::Topic, 29), -1);
    EXPECT_EQ(showHelp((folder.path() / "missing.hlp").string(), HelpCommand::Contents), -1);
    helpViewerWindow()->close();

    RecordedHelp recorded;
    EXPECT_EQ(showHelp("C:\\Help\\Pakomo 1.hlp", HelpCommand::Keyword, 0, ""), 1);
    ASSERT_EQ(recorded.requests().size(), 1u);
    EXPECT_EQ(recorded.requests()[0].command, HelpCommand::Keyword);
}

TEST_F(ControlsTest, FileOpenFiltersAndTheScriptedDialog) {
    EXPECT_EQ(qtNameFilters("Text files,*.txt,All files (*.*),*.*"),
              (std::vector<std::string>{"Text files (*.txt)", "All files (*.*) (*)"}));
    EXPECT_EQ(qtNameFilters("Pictures,*.bmp;*.ico"), std::vector<std::string>{"Pictures (*.bmp *.ico)"});
    ScriptedFileDialog dialog;
    dialog.answer({1, "/data", {"a.txt", "b.txt"}});
    FileOpenAnswer a = getFileOpenName({"Select files", "/data", "txt", "Text files,*.txt", true});
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.files.size(), 2u);
    ASSERT_EQ(dialog.requests().size(), 1u);
    EXPECT_TRUE(dialog.requests()[0].multiple);
    EXPECT_EQ(getFileOpenName({"Again", "", "", "", false}).result, 0);  // no answer left: cancelled
}

struct BoxCase {
    const char* name;
    MessageButtons buttons;
    int defaultButton;
    const char* press;  // the button's label, or "" for Esc
    int answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class MessageBoxes : public ControlsTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(MessageBoxes, AnswerIsThePressedButtonsPosition) {
    const BoxCase& c = GetParam();
    std::string shownTitle;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownTitle = box->windowTitle().toStdString();
        if (std::string(c.press).empty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text().toStdString() == c.press) b->click();
    });
    EXPECT_EQ(messageBox("Serious error", "Text", MessageIcon::StopSign, c.buttons, c.defaultButton), c.answer);
    EXPECT_EQ(shownTitle, "Serious error");
}

INSTANTIATE_TEST_SUITE_P(Controls, MessageBoxes,
                         ::testing::Values(BoxCase{"ok", MessageButtons::Ok, 1, "OK", 1},
                                           BoxCase{"no", MessageButtons::YesNoCancel, 1, "No", 2},
                                           BoxCase{"escapeIsCancel", MessageButtons::YesNoCancel, 1, "", 3},
                                           BoxCase{"retry", MessageButtons::AbortRetryIgnore, 2, "Retry", 2}),
                         [](const auto& info) { return std::string(info.param.name); });

class App : public Application {
public:
    App() : Application("pakomo") {}
};

// Colours with bits above the 24 colour bits are the palette's system colours wherever the
// runtime turns a colour into the toolkit's: window and control backgrounds, text, data windows.
TEST_F(ControlsTest, SystemColoursResolveToThePalettesColours) {
    QPalette palette = QApplication::palette();
    struct Case {
        int64_t color;
        QColor expected;
    };
    const Case cases[] = {
        {33554432, palette.color(QPalette::WindowText)},
        {67108864, palette.color(QPalette::Button)},
        {79741120, palette.color(QPalette::Button)},
        {276856960, palette.color(QPalette::Dark)},
        {1073741824, palette.color(QPalette::Base)},
        {255, QColor(255, 0, 0)},
        {12632256, QColor(192, 192, 192)},
        {16777215, QColor(255, 255, 255)},
    };
    Ref<StaticText> text = window->addControl<StaticText>("st_1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.color);
        EXPECT_EQ(toQColor(c.color), c.expected);
        setBackgroundColor(*text, static_cast<long>(c.color));
        setTextColor(*text, static_cast<long>(c.color));
        EXPECT_EQ(text->widget()->palette().color(QPalette::Window), c.expected);
        EXPECT_EQ(text->widget()->palette().color(QPalette::WindowText), c.expected);
    }
    EXPECT_EQ(fromQColor(QColor(10, 20, 30)), 10 + 256 * 20 + 65536 * 30);

    // A data window's column background given as the application workspace colour.
    DataLayout layout;
    layout.name = "d_test_system_colours";
    ColumnLayout name;
    name.name = "name";
    name.attributes["background.color"] = "276856960";
    name.attributes["tabsequence"] = "0";
    layout.columns = {name};
    registerLayout(layout);
    Ref<DataWindow> dw = window->addControl<DataWindow>("dw_1");
    dw->resize(2000, 800);
    dw->setDataObject("d_test_system_colours");
    dw->store().setItem(dw->store().insertRow(0), "name", Value(""));
    window->open();
    ui_test::settle();
    QWidget* viewport = dw->widget()->findChild<QWidget*>("qt_scrollarea_viewport");
    ASSERT_NE(viewport, nullptr);
    QImage picture = viewport->grab().toImage();
    int y = dw->headerHeight() / 4 + dw->rowHeight() / 8;
    EXPECT_EQ(picture.pixelColor(40, y).rgb(), palette.color(QPalette::Dark).rgb());
}

// Pictures by name: every stock picture the program names, a bare file name found in the picture
// folders without regard to case, a path as it stands; a window's icon and a picture control
// take them the same way.
TEST_F(ControlsTest, PicturesByFileFolderSearchAndStockName) {
    for (const char* stock : {"Custom039!", "Custom050!", "Custom007!", "Custom075!", "Tile!", "Print!", "Paste!",
                              "Layer!", "Horizontal!", "Help!", "Exit!", "Cut!", "Copy!", "Cascade!", "SizeWE!",
                              "Run!", "Project!", "New!", "Exclamation!", "DataPipeline!", "ComputeSum!", "Clear!",
                              "Arrow!"})
        EXPECT_FALSE(pictureIcon(stock).isNull()) << stock;
    EXPECT_TRUE(pictureIcon("NoSuchStock!").isNull());

    testing_support::TempFolder rc1, rc2;
    QImage dot(16, 16, QImage::Format_RGB32);
    dot.fill(Qt::red);
    ASSERT_TRUE(dot.save(QString::fromStdString((rc2.path() / "Folder.BMP").string()), "BMP"));
    setPictureFolders({rc1.path(), rc2.path()});
    struct Case {
        std::string name;
        bool found;
    };
    const Case cases[] = {{"folder.bmp", true}, {"FOLDER.bmp", true}, {(rc2.path() / "Folder.BMP").string(), true},
                          {"missing.bmp", false}, {"sub/folder.bmp", false}, {"", false},
                          // Resources of the program: Qt's own message-box picture, and one it lacks.
                          {":/qt-project.org/styles/commonstyle/images/standardbutton-ok-16.png", true},
                          {":/no/such/picture.bmp", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(!findPictureFile(c.name).empty(), c.found);
        EXPECT_EQ(!pictureIcon(c.name).isNull(), c.found);
    }
    window->setIcon("folder.bmp");
    EXPECT_FALSE(window->widget()->windowIcon().isNull());
    Ref<Picture> p = window->addControl<Picture>("p_1");
    EXPECT_TRUE(p->setPictureName("FOLDER.BMP"));
    EXPECT_TRUE(p->setPictureName("Custom039!"));
    EXPECT_FALSE(p->setPictureName("missing.bmp"));
    setPictureFolders({});
}

// A rectangle control draws its fill and its border in runtime colours, system colours too.
TEST_F(ControlsTest, RectangleDrawsItsFillAndBorder) {
    Ref<RectangleControl> r = window->addControl<RectangleControl>("r_1");
    EXPECT_EQ(r->typeName(), "rectangle");
    r->resize(400, 200);
    r->setFillColor(65280);
    r->setLineColor(255);
    r->setLineThickness(2);
    window->open();
    ui_test::settle();
    QImage picture = r->widget()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(0, 255, 0));
    EXPECT_EQ(picture.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(picture.pixelColor(picture.width() - 1, picture.height() - 1), QColor(255, 0, 0));
    r->setLineThickness(0);
    r->setFillColor(67108864);
    picture = r->widget()->grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 0).rgb(), QApplication::palette().color(QPalette::Button).rgb());
}

// The Tab key walks the controls by their tab order, whatever the order they were made in; a
// control with tab order 0 is passed by.
TEST_F(ControlsTest, TabOrderChainsTheControls) {
    Ref<SingleLineEdit> third = window->addControl<SingleLineEdit>("sle_3");
    Ref<SingleLineEdit> first = window->addControl<SingleLineEdit>("sle_1");
    Ref<SingleLineEdit> skipped = window->addControl<SingleLineEdit>("sle_0");
    Ref<SingleLineEdit> second = window->addControl<SingleLineEdit>("sle_2");
    third->setTabOrder(30);
    first->setTabOrder(10);
    skipped->setTabOrder(0);
    second->setTabOrder(20);
    window->open();
    ui_test::settle();
    EXPECT_EQ(first->widget()->nextInFocusChain(), second->widget());
    EXPECT_EQ(second->widget()->nextInFocusChain(), third->widget());
    EXPECT_FALSE(skipped->widget()->focusPolicy() & Qt::TabFocus);
    // Changed while open: at once.
    third->setTabOrder(5);
    EXPECT_EQ(third->widget()->nextInFocusChain(), first->widget());
}

TEST_F(ControlsTest, ApplicationLoopRunsPostedEventsAndEndsWithItsLastWindow) {
    App app;
    std::vector<std::string> log;
    Ref<Window> main;
    app.on("open", [&](Args) {
        main = create<Window>("w_main");
        main->on("open", [&](Args) {
            main->post("ue_init");
            return Value();
        });
        main->on("ue_init", [&](Args) {
            log.push_back("ue_init");
            main->post("ue_close");
            return Value();
        });
        main->on("ue_close", [&](Args) {
            log.push_back("ue_close");
            main->close();
            return Value();
        });
        main->open();
        return Value();
    });
    app.on("close", [&](Args) {
        log.push_back("application close");
        return Value();
    });
    EXPECT_EQ(app.exec(), 0);
    EXPECT_EQ(log, (std::vector<std::string>{"ue_init", "ue_close", "application close"}));
}

// A key pressed right after a click whose handler posted an event finds that event run: the
// posted event comes before the later input, however the window system batches them.
TEST_F(ControlsTest, InputArrivesAfterTheEventsPostedBeforeIt) {
    Ref<Window> w = create<Window>("w_order");
    bool enabled = false;
    std::vector<bool> seenByKey;
    w->on("ue_enable", [&](Args) {
        enabled = true;
        return Value();
    });
    w->open();
    QWidget* widget = w->widget();
    ASSERT_NE(widget, nullptr);
    struct KeyProbe : QObject {
        std::function<void()> onKey;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) onKey();
            return false;
        }
    } probe;
    probe.onKey = [&] { seenByKey.push_back(enabled); };
    widget->installEventFilter(&probe);
    w->post("ue_enable");
    QTest::keyClick(widget, Qt::Key_F7);  // spontaneous, as the window system delivers it
    widget->removeEventFilter(&probe);
    ASSERT_FALSE(seenByKey.empty());
    EXPECT_TRUE(seenByKey.front()) << "the key overtook the posted event";
    w->close();
    ui_test::settle();
}

}  // namespace

// A disabled static text on the program's grey takes no clicks but its text stays readable: dark
// pixels where the letters are, in the default colour and in one the program sets.
TEST_F(ControlsTest, DisabledStaticTextKeepsItsTextColour) {
    for (long color : {-1L, 128L}) {
        SCOPED_TRACE(color);
        Ref<StaticText> st = window->addControl<StaticText>("st_label");
        st->resize(400, 72);
        st->setText("WWWW");
        setBackgroundColor(*st, 12632256);
        if (color >= 0) setTextColor(*st, color);
        st->setEnabled(false);
        const QImage shot = st->widget()->grab().toImage();
        int dark = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) < 100) ++dark;
        EXPECT_GT(dark, 20);
        destroy(st);
    }
}
