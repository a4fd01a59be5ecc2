#include "runtime/ui/Tab.h"

#include "runtime/ui/detail/UiHelpers.h"

#include <QEvent>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>

namespace runtime {

using detail::qs;

namespace {

// Qt sizes only the page shown; every page follows the tab's size here, so that a page's controls
// stand in place before it is shown.
class EveryPageSized : public QObject {
public:
    explicit EveryPageSized(QStackedWidget* stack) : QObject(stack), stack_(stack) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize || e->type() == QEvent::ChildAdded)
            for (int i = 0; i < stack_->count(); ++i)
                if (QWidget* page = stack_->widget(i); page->geometry() != stack_->rect()) page->setGeometry(stack_->rect());
        return false;
    }

private:
    QStackedWidget* stack_;
};

}  // namespace

Tab::Tab(std::string className) : Control(std::move(className), "tab") {
    auto* t = new QTabWidget;
    // Pages are drawn in their own colour; the tab adds only its frame and the row of tabs.
    t->setDocumentMode(false);
    t->setUsesScrollButtons(true);
    setWidget(t);
    Ref<Tab> self(this);
    QObject::connect(t, &QTabWidget::currentChanged, t, [self](int index) {
        Tab* tab = self.get();
        if (!tab) return;
        const int before = tab->shown_;
        tab->shown_ = index + 1;
        if (before != tab->shown_) tab->trigger("selectionchanged", {before, tab->shown_});
    });
    if (auto* stack = t->findChild<QStackedWidget*>()) stack->installEventFilter(new EveryPageSized(stack));
    forwardInputEvents(t->tabBar());
}

QTabWidget* Tab::tabWidget() const { return static_cast<QTabWidget*>(widget()); }

void Tab::insertPage(UserObject& page, std::string_view text) {
    QTabWidget* t = tabWidget();
    if (!t || !page.widget()) return;
    // The first page becomes the one shown; that is no change of selection.
    if (t->count() == 0) shown_ = 1;
    t->addTab(page.widget(), qs(text));
}

int Tab::pageCount() const { return tabWidget() ? tabWidget()->count() : 0; }

Control* Tab::page(int index) const {
    QTabWidget* t = tabWidget();
    if (!t || index < 1 || index > t->count()) return nullptr;
    QWidget* w = t->widget(index - 1);
    for (const Ref<Control>& c : controls())
        if (c && c->widget() == w) return c.get();
    return nullptr;
}

int Tab::indexOf(const Control& page) const {
    QTabWidget* t = tabWidget();
    return t && page.widget() ? t->indexOf(page.widget()) + 1 : 0;
}

std::string Tab::tabText(int index) const {
    QTabWidget* t = tabWidget();
    if (!t || index < 1 || index > t->count()) return {};
    return t->tabText(index - 1).toStdString();
}

void Tab::setTabText(int index, std::string_view text) {
    QTabWidget* t = tabWidget();
    if (t && index >= 1 && index <= t->count()) t->setTabText(index - 1, qs(text));
}

int Tab::selectedTab() const { return shown_; }

int Tab::selectTab(int index) {
    QTabWidget* t = tabWidget();
    if (!t || index < 1 || index > t->count()) return -1;
    t->setCurrentIndex(index - 1);
    return 1;
}

}  // namespace runtime
