#include "SetupAnswerer.h"

#include "SetupProducts.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include "installer/setup/CFolderPicker.h"

#include <QTreeWidget>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>

namespace setup_test {

namespace {

QWidget* controlOf(QWidget* window, int id) {
    auto* w = window->findChild<QWidget*>(QString::number(id));
    if (!w) ADD_FAILURE() << "no control " << id << " on " << window->objectName().toStdString();
    return w;
}

QListWidgetItem* lineOf(QWidget* window, const std::string& name) {
    auto* list = window->findChild<QListWidget*>(QStringLiteral("999"));
    if (!list) return nullptr;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().startsWith(QString::fromStdString(name))) return list->item(i);
    return nullptr;
}

std::string oneLine(QString text) { return text.replace(QLatin1Char('\n'), QStringLiteral("\\n")).toStdString(); }

}  // namespace

SetupAnswerer::SetupAnswerer(std::string name) : name_(std::move(name)) { application().installEventFilter(this); }

SetupAnswerer::~SetupAnswerer() {
    qApp->removeEventFilter(this);
    std::cout << "---- transcript of " << name_ << " ----\n" << transcriptText() << "----\n";
    if (!script_.empty()) {
        ADD_FAILURE() << script_.size() << " scripted windows never came (next: "
                      << (script_.front().kind == Kind::Box ? "box " : "page ") << script_.front().id << ")";
    }
}

std::string SetupAnswerer::transcriptText() const {
    std::string out;
    for (const auto& line : transcript_) out += line + "\n";
    return out;
}

SetupAnswerer& SetupAnswerer::page(int templateId, std::vector<Action> actions) {
    script_.push_back({Kind::Page, templateId, std::move(actions), QMessageBox::NoButton, {}, {}});
    return *this;
}

SetupAnswerer& SetupAnswerer::box(uint32_t stringId, QMessageBox::StandardButton button) {
    script_.push_back({Kind::Box, int(stringId), {}, button, {}, {}});
    return *this;
}

SetupAnswerer& SetupAnswerer::systemBox(std::string captionPart) {
    script_.push_back({Kind::SystemBox, 0, {}, QMessageBox::Ok, std::move(captionPart), {}});
    return *this;
}

SetupAnswerer& SetupAnswerer::picker(std::string folder, std::string start) {
    script_.push_back({Kind::Picker, 0, {}, QMessageBox::NoButton, std::move(folder), std::move(start)});
    return *this;
}

SetupAnswerer& SetupAnswerer::progress(bool pressCancel, std::string* status) {
    std::vector<Action> actions;
    // The click is queued, so it reaches Cancel only through the run's own pass over Cancel's input.
    if (pressCancel)
        actions.push_back([](QWidget* w) {
            auto* cancel = w->findChild<QPushButton*>(QStringLiteral("2"));
            ASSERT_TRUE(cancel);
            const QPointF at = cancel->rect().center();
            const QPointF global = cancel->mapToGlobal(at);
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                                Qt::LeftButton, Qt::NoModifier));
            QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                                Qt::NoButton, Qt::NoModifier));
        });
    // Waits, polling from the dialog's own event handling, until the run has ended.
    actions.push_back([this, status](QWidget* w) {
        auto* timer = new QTimer(w);
        QPointer<QWidget> dialog(w);
        auto runningShot = std::make_shared<bool>(false);
        QObject::connect(timer, &QTimer::timeout, w, [this, dialog, timer, status, runningShot] {
            if (!dialog) return;
            // Once, while a file is being worked on: the file line and the bar under way.
            auto* file = dialog->findChild<QLabel*>(QStringLiteral("1043"));
            if (!*runningShot && file && !file->text().isEmpty() && file->isVisible()) {
                *runningShot = true;
                Screenshot(dialog, "141-running");
            }
            auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("1046"));
            if (!ok || !ok->isVisible() || QApplication::activeModalWidget() != dialog) return;
            timer->stop();
            auto* label = dialog->findChild<QLabel*>(QStringLiteral("1042"));
            std::string text = label ? label->text().toStdString() : "";
            transcript_.push_back("  progress ended: " + text);
            if (status) *status = text;
            Screenshot(dialog, "141-end");
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        timer->start(5);
    });
    script_.push_back({Kind::Page, 141, std::move(actions), QMessageBox::NoButton, {}, {}});
    return *this;
}

bool SetupAnswerer::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    if (!w->isWindow() || w->property("answerer.seen").toBool()) return false;
    // Tool tips, menus and the like are not windows of the program.
    if (w->windowType() == Qt::ToolTip || w->windowType() == Qt::Popup) return false;
    w->setProperty("answerer.seen", true);
    ++windowsSeen_;
    QPointer<QWidget> window(w);
    QTimer::singleShot(0, this, [this, window] {
        if (window) Handle(window);
    });
    return false;
}

std::string SetupAnswerer::Describe(QWidget* w) const {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        uint32_t id = box->property("stringId").toUInt();
        return (id ? "box " + std::to_string(id) : "system box") + " [" + box->windowTitle().toStdString() +
               "] " + oneLine(box->text());
    }
    if (qobject_cast<setup::CFolderPicker*>(w)) return "picker [" + w->windowTitle().toStdString() + "]";
    if (w->objectName() == QLatin1String("CMainWindow")) return "background window [" + w->windowTitle().toStdString() + "]";
    return "page " + w->objectName().toStdString() + " [" + w->windowTitle().toStdString() + "]";
}

void SetupAnswerer::Screenshot(QWidget* window, const std::string& label) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d", ++shots_);
    auto path = testing_support::artefactFolder("setup") / (name_ + "-" + number + "-" + label + ".png");
    window->grab().save(QString::fromStdString(path.string()));
}

void SetupAnswerer::Unexpected(QWidget* w, const std::string& what) {
    transcript_.push_back("UNEXPECTED " + what);
    ADD_FAILURE() << "unexpected " << what << "\ntranscript so far:\n" << transcriptText();
    failed_ = true;
    script_.clear();
    // Unwind: boxes are left with their safest answer, dialogs with Cancel.
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        for (auto b : {QMessageBox::No, QMessageBox::Cancel, QMessageBox::Ok})
            if (auto* button = box->button(b)) return button->click();
    }
    if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->done(2);
}

void SetupAnswerer::Handle(QWidget* w) {
    const std::string what = Describe(w);
    if (w->objectName() == QLatin1String("CMainWindow")) {
        transcript_.push_back(what);
        // Painted once the first page stands over it.
        QPointer<QWidget> window(w);
        QTimer::singleShot(0, this, [this, window] {
            if (window) Screenshot(window, "background");
        });
        return;
    }
    if (failed_) return Unexpected(w, what);
    if (script_.empty()) return Unexpected(w, what);
    Step step = script_.front();
    auto* box = qobject_cast<QMessageBox*>(w);
    bool matches = false;
    switch (step.kind) {
        case Kind::Box: matches = box && box->property("stringId").toUInt() == uint32_t(step.id); break;
        case Kind::SystemBox:
            matches = box && box->property("stringId").toUInt() == 0 &&
                      box->windowTitle().toStdString().find(step.text) != std::string::npos;
            break;
        case Kind::Picker: matches = qobject_cast<setup::CFolderPicker*>(w) != nullptr; break;
        case Kind::Page: matches = !box && w->objectName() == QString::number(step.id); break;
    }
    if (!matches) return Unexpected(w, what);
    script_.pop_front();
    transcript_.push_back(what);
    answered_.emplace_back(w);
    switch (step.kind) {
        case Kind::Box:
        case Kind::SystemBox: {
            Screenshot(w, "box-" + std::to_string(step.id));
            if (auto* button = box->button(step.button)) {
                QTest::mouseClick(button, Qt::LeftButton);
            } else {
                ADD_FAILURE() << "box " << step.id << " has not the scripted button";
                Unexpected(w, what);
            }
            return;
        }
        case Kind::Picker: {
            auto* dialog = qobject_cast<setup::CFolderPicker*>(w);
            Screenshot(w, "picker");
            std::string drives;
            for (int i = 0; i < dialog->tree()->topLevelItemCount(); ++i)
                drives += dialog->tree()->topLevelItem(i)->text(0).toStdString() + " ";
            EXPECT_EQ(drives, "C:\\ Z:\\ ") << "the machine's drives, the host's root as Z:";
            if (!step.start.empty()) {
                EXPECT_EQ(dialog->Folder(), step.start) << "where the picker opens";
            }
            EXPECT_TRUE(dialog->SelectFolder(step.text)) << step.text;
            QMetaObject::invokeMethod(dialog, "accept");
            return;
        }
        case Kind::Page:
            Screenshot(w, std::to_string(step.id));
            RunActions(w, std::make_shared<std::vector<Action>>(std::move(step.actions)), 0);
            return;
    }
}

void SetupAnswerer::RunActions(QPointer<QWidget> window, std::shared_ptr<std::vector<Action>> actions, std::size_t next) {
    if (!window || next >= actions->size()) return;
    // Each action waits until its page is the active modal window again and every box or dialog
    // answered over it is gone, so that the code that opened them has finished.
    bool above = false;
    for (auto it = std::find(answered_.begin(), answered_.end(), window); it != answered_.end(); ++it)
        if (it != answered_.end() && *it && *it != window) above = true;
    const bool progress = window->objectName() == QLatin1String("141");
    if (!progress && (above || QApplication::activeModalWidget() != window)) {
        QTimer::singleShot(1, this, [=, this] { RunActions(window, actions, next); });
        return;
    }
    (*actions)[next](window);
    QTimer::singleShot(0, this, [=, this] { RunActions(window, actions, next + 1); });
}

// ---- Actions ----

SetupAnswerer::Action SetupAnswerer::click(int id) {
    return [id](QWidget* w) {
        auto* button = qobject_cast<QAbstractButton*>(controlOf(w, id));
        ASSERT_TRUE(button) << "control " << id << " is no button";
        EXPECT_TRUE(button->isVisible() && button->isEnabled()) << "button " << id << " cannot be pressed";
        button->click();
    };
}

SetupAnswerer::Action SetupAnswerer::type(int id, std::string text) {
    return [id, text](QWidget* w) {
        auto* edit = qobject_cast<QLineEdit*>(controlOf(w, id));
        ASSERT_TRUE(edit) << "control " << id << " is no edit field";
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, QString::fromStdString(text));
    };
}

SetupAnswerer::Action SetupAnswerer::check(int id) {
    return [id](QWidget* w) {
        auto* button = qobject_cast<QAbstractButton*>(controlOf(w, id));
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->isVisible()) << "control " << id << " is hidden";
        button->click();
        if (qobject_cast<QRadioButton*>(button)) {
            EXPECT_TRUE(button->isChecked());
        }
    };
}

SetupAnswerer::Action SetupAnswerer::expectText(int id, std::string text) {
    return [id, text](QWidget* w) {
        QWidget* c = controlOf(w, id);
        QString actual;
        if (auto* l = qobject_cast<QLabel*>(c)) actual = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(c)) actual = e->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(c)) actual = b->text();
        else if (auto* t = qobject_cast<QPlainTextEdit*>(c)) actual = t->toPlainText();
        EXPECT_EQ(actual.toStdString(), text) << "control " << id << " of " << w->objectName().toStdString();
    };
}

SetupAnswerer::Action SetupAnswerer::expectHidden(int id) {
    return [id](QWidget* w) {
        QWidget* c = controlOf(w, id);
        EXPECT_TRUE(c && !c->isVisible()) << "control " << id << " is shown";
    };
}

SetupAnswerer::Action SetupAnswerer::expectShown(int id) {
    return [id](QWidget* w) {
        QWidget* c = controlOf(w, id);
        EXPECT_TRUE(c && c->isVisible()) << "control " << id << " is hidden";
    };
}

SetupAnswerer::Action SetupAnswerer::expectChecked(int id, bool checked) {
    return [id, checked](QWidget* w) {
        auto* button = qobject_cast<QAbstractButton*>(controlOf(w, id));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->isChecked(), checked) << "control " << id << " of " << w->objectName().toStdString();
    };
}

SetupAnswerer::Action SetupAnswerer::key(Qt::Key key) {
    return [key](QWidget* w) { QTest::keyClick(w, key); };
}

SetupAnswerer::Action SetupAnswerer::selectLine(std::string name) {
    return [name](QWidget* w) {
        auto* item = lineOf(w, name);
        ASSERT_TRUE(item) << "no line " << name;
        auto* list = item->listWidget();
        list->setFocus();
        list->setCurrentItem(item);
    };
}

SetupAnswerer::Action SetupAnswerer::toggleLine(std::string name) {
    return [name](QWidget* w) {
        auto* item = lineOf(w, name);
        ASSERT_TRUE(item) << "no line " << name;
        auto* list = item->listWidget();
        list->setFocus();
        list->setCurrentItem(item);
        QTest::keyClick(list, Qt::Key_Space);
    };
}

SetupAnswerer::Action SetupAnswerer::clickCheckBox(std::string name) {
    return [name](QWidget* w) {
        auto* item = lineOf(w, name);
        ASSERT_TRUE(item) << "no line " << name;
        auto* list = item->listWidget();
        const QRect line = list->visualItemRect(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(line.left() + 7, line.center().y()));
    };
}

SetupAnswerer::Action SetupAnswerer::expectLine(std::string name, Qt::CheckState state, bool enabled) {
    return [=](QWidget* w) {
        auto* item = lineOf(w, name);
        ASSERT_TRUE(item) << "no line " << name;
        EXPECT_EQ(item->checkState(), state) << "line " << item->text().toStdString();
        EXPECT_EQ(bool(item->flags() & Qt::ItemIsEnabled), enabled) << "line " << item->text().toStdString();
    };
}

SetupAnswerer::Action SetupAnswerer::expectNoLine(std::string name) {
    return [=](QWidget* w) { EXPECT_EQ(lineOf(w, name), nullptr) << "line " << name << " is listed"; };
}

SetupAnswerer::Action SetupAnswerer::custom(std::function<void(QDialog*)> f) {
    return [f](QWidget* w) { f(qobject_cast<QDialog*>(w)); };
}

}  // namespace setup_test
