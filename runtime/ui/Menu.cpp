#include "runtime/ui/Menu.h"

#include "runtime/ui/Pictures.h"
#include "runtime/ui/detail/UiHelpers.h"

#include "runtime/ui/Units.h"
#include "runtime/ui/VisualObject.h"
#include "runtime/ui/Window.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>
#include <cctype>

namespace runtime {
namespace {

using detail::qs;

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

QKeySequence keySequence(int shortcut) {
    int key = qtKeyOfVirtualKey(shortcut & 0xFF);
    if (!key) return {};
    int mods = 0;
    if (shortcut & 256) mods |= Qt::ControlModifier;
    if (shortcut & 512) mods |= Qt::AltModifier;
    if (shortcut & 1024) mods |= Qt::ShiftModifier;
    return QKeySequence(key | mods);
}

// The toolbar's picture: a file, one of the picture folders' or a stock one; else none (the
// text shows).
QIcon toolbarIcon(const std::string& name) { return pictureIcon(name); }

}  // namespace

Menu::Menu(std::string className) : Object(std::move(className)) {}

Menu::~Menu() { unbindTree(); }

std::vector<Menu*> Menu::item() const {
    std::vector<Menu*> out;
    for (const Ref<Menu>& r : items_)
        if (Menu* m = r.get()) out.push_back(m);
    return out;
}

Menu* Menu::child(std::string_view name) const {
    for (Menu* m : item())
        if (sameName(m->name_, name)) return m;
    return nullptr;
}

Menu* Menu::findItem(std::string_view name) const {
    for (Menu* m : item()) {
        if (sameName(m->name_, name)) return m;
        if (Menu* below = m->findItem(name)) return below;
    }
    return nullptr;
}

Menu* Menu::root() {
    Menu* m = this;
    while (Menu* p = m->parentMenu()) m = p;
    return m;
}

Window* Menu::parentWindow() const {
    const Menu* m = this;
    while (const Menu* p = m->parentMenu()) m = p;
    if (Window* w = m->window_.get()) return w;
    return dynamic_cast<Window*>(m->parent());
}

void Menu::setParentWindow(Window* window) { root()->window_ = Ref<Window>(window); }

Window* Menu::hostWindow() { return root()->host_.get(); }

std::string Menu::plainText(std::string_view text) {
    std::string_view label = text.substr(0, text.find('\t'));
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += label[i];
    }
    return out;
}

std::string Menu::shortcutText(int shortcut) {
    return keySequence(shortcut).toString(QKeySequence::PortableText).toStdString();
}

// --- Properties --------------------------------------------------------------------------------

void Menu::setText(std::string_view text) {
    bool wasSeparator = isSeparator();
    text_ = std::string(text);
    if (wasSeparator != isSeparator()) {
        treeChanged();
        return;
    }
    if (action_) action_->setText(qs(text_));
    if (tbAction_ && tbText_.empty()) toolbarChanged();
}

void Menu::setShortcut(int shortcut) {
    shortcut_ = shortcut;
    treeChanged();
}

void Menu::setVisible(bool visible) {
    visible_ = visible;
    root()->syncState();
}

void Menu::setEnabled(bool enabled) {
    enabled_ = enabled;
    root()->syncState();
}

void Menu::setToolbarItemName(std::string_view name) {
    tbName_ = std::string(name);
    toolbarChanged();
}
void Menu::setToolbarItemText(std::string_view text) {
    tbText_ = std::string(text);
    toolbarChanged();
}
void Menu::setToolbarItemVisible(bool visible) {
    tbVisible_ = visible;
    toolbarChanged();
}
void Menu::setToolbarItemOrder(int order) {
    tbOrder_ = order;
    toolbarChanged();
}
void Menu::setToolbarItemSpace(int space) {
    tbSpace_ = space;
    toolbarChanged();
}

bool Menu::choosable(bool requireVisible) const {
    for (const Menu* m = this; m && m->parentMenu(); m = m->parentMenu())
        if (!m->enabled_ || (requireVisible && !m->visible_)) return false;
    return true;
}

// Qt's state follows the items': visible, enabled, and the shortcuts of items that can be chosen.
void Menu::syncState() {
    if (action_) {
        action_->setVisible(visible_);
        action_->setEnabled(enabled_);
    }
    if (shortcutAction_) shortcutAction_->setEnabled(choosable(true));
    if (tbAction_) tbAction_->setEnabled(choosable(false));
    for (Menu* m : item()) m->syncState();
}

void Menu::treeChanged() {
    Menu* r = root();
    if (!r->bar_ && !r->toolbar_) return;
    if (Window* host = r->host_.get())
        host->refreshMenu();
    else
        r->attach(r->bar_, r->toolbar_, r->shortcutHost_, nullptr);
}

void Menu::toolbarChanged() {
    Menu* r = root();
    if (r->toolbar_) {
        r->rebuildToolbar();
        if (Window* host = r->host_.get()) host->setToolbarVisible(host->toolbarVisible());
    }
}

// --- Choosing ---------------------------------------------------------------------------------

bool Menu::choose(ChosenBy by) {
    Ref<Menu> self(this);
    std::vector<Ref<Menu>> chain;
    if (by != ChosenBy::Menu)
        for (Menu* m = parentMenu(); m && m->parentMenu(); m = m->parentMenu()) chain.insert(chain.begin(), Ref<Menu>(m));
    bool requireVisible = by != ChosenBy::Toolbar;
    if (!choosable(requireVisible)) return false;
    for (const Ref<Menu>& m : chain) {
        if (!m) return false;
        m->trigger("clicked");
    }
    // The top-level item's script may have changed what can be chosen.
    if (!self || !self->choosable(requireVisible)) return false;
    self->trigger("clicked");
    return true;
}

// --- Binding ----------------------------------------------------------------------------------

void Menu::unbindTree() {
    for (const Ref<Menu>& r : items_)
        if (Menu* m = r.get()) m->unbindTree();
    if (shortcutAction_) {
        if (QWidget* host = qobject_cast<QWidget*>(shortcutAction_->parent())) host->removeAction(shortcutAction_);
        shortcutAction_->deleteLater();
    }
    if (qmenu_) qmenu_->deleteLater();
    else if (action_) action_->deleteLater();
    if (tbAction_) tbAction_->deleteLater();
    shortcutAction_ = nullptr;
    qmenu_ = nullptr;
    action_ = nullptr;
    tbAction_ = nullptr;
}

void Menu::detach() {
    Menu* r = root();
    if (r != this) return r->detach();
    if (bar_) bar_->clear();
    if (toolbar_) toolbar_->clear();
    unbindTree();
    bar_ = nullptr;
    toolbar_ = nullptr;
    shortcutHost_ = nullptr;
    host_.reset();
}

void Menu::attach(QMenuBar* bar, QToolBar* toolbar, QWidget* shortcutHost, Window* host) {
    Menu* r = root();
    if (r != this) return r->attach(bar, toolbar, shortcutHost, host);
    if (bar_) bar_->clear();
    if (toolbar_) toolbar_->clear();
    unbindTree();
    bar_ = bar;
    toolbar_ = toolbar;
    shortcutHost_ = shortcutHost;
    if (host) host_ = Ref<Window>(host);
    if (bar) {
        for (Menu* m : item()) m->buildInto(bar, shortcutHost);
    }
    rebuildToolbar();
    syncState();
}

void Menu::buildInto(QWidget* container, QWidget* shortcutHost) {
    Ref<Menu> self(this);
    auto* bar = qobject_cast<QMenuBar*>(container);
    auto* parentMenu = qobject_cast<QMenu*>(container);
    if (isSeparator()) {
        auto* a = new QAction(container);
        a->setSeparator(true);
        container->addAction(a);
        action_ = a;
        return;
    }
    if (!items_.empty()) {
        auto* m = new QMenu(qs(text_), container);
        m->setObjectName(qs(name_));
        action_ = bar ? bar->addMenu(m) : parentMenu->addMenu(m);
        qmenu_ = m;
        QObject::connect(m, &QMenu::aboutToShow, m, [self] {
            if (Menu* s = self.get()) s->trigger("clicked");
        });
        for (Menu* c : item()) c->buildInto(m, shortcutHost);
    } else {
        auto* a = new QAction(qs(text_), container);
        a->setObjectName(qs(name_));
        container->addAction(a);
        action_ = a;
        QObject::connect(a, &QAction::triggered, a, [self] {
            if (Menu* s = self.get()) s->choose(ChosenBy::Menu);
        });
    }
    QObject::connect(action_.data(), &QAction::hovered, action_.data(), [self] {
        Menu* s = self.get();
        if (!s) return;
        if (Window* w = s->hostWindow()) w->setMicroHelp(s->microHelp_);
    });
    if (QKeySequence seq = keySequence(shortcut_); !seq.isEmpty() && shortcutHost) {
        auto* s = new QAction(shortcutHost);
        s->setObjectName(qs(name_ + "_shortcut"));
        s->setShortcut(seq);
        s->setShortcutContext(Qt::WindowShortcut);
        shortcutHost->addAction(s);
        shortcutAction_ = s;
        QObject::connect(s, &QAction::triggered, s, [self] {
            if (Menu* m = self.get()) m->choose(ChosenBy::Shortcut);
        });
    }
}

void Menu::rebuildToolbar() {
    if (!toolbar_) return;
    toolbar_->clear();
    std::vector<Menu*> all;
    std::vector<Menu*> stack = item();
    // Tree order: depth first.
    std::function<void(Menu*)> walk = [&](Menu* m) {
        all.push_back(m);
        for (Menu* c : m->item()) walk(c);
    };
    for (Menu* m : item()) walk(m);
    std::vector<Menu*> buttons;
    for (Menu* m : all) {
        if (m->tbAction_) m->tbAction_->deleteLater();
        m->tbAction_ = nullptr;
        if (!m->tbName_.empty() && m->tbVisible_) buttons.push_back(m);
    }
    std::stable_sort(buttons.begin(), buttons.end(), [](Menu* a, Menu* b) { return a->tbOrder_ < b->tbOrder_; });
    bool first = true;
    for (Menu* m : buttons) {
        if (m->tbSpace_ > 0 && !first) toolbar_->addSeparator();
        first = false;
        QString label = qs(m->tbText_.empty() ? plainText(m->text_) : m->tbText_);
        auto* a = new QAction(toolbarIcon(m->tbName_), label, toolbar_);
        a->setObjectName(qs(m->name_ + "_button"));
        a->setToolTip(label);
        toolbar_->addAction(a);
        m->tbAction_ = a;
        Ref<Menu> item(m);
        // Queued: the button's own click finishes before the script may rebuild the toolbar.
        QObject::connect(a, &QAction::triggered, a, [item] {
            if (Menu* s = item.get()) s->choose(ChosenBy::Toolbar);
        }, Qt::QueuedConnection);
        QObject::connect(a, &QAction::hovered, a, [item] {
            Menu* s = item.get();
            if (!s) return;
            if (Window* w = s->hostWindow()) w->setMicroHelp(s->microHelp_);
        });
    }
    syncState();
}

int Menu::popMenu(int x, int y) {
    QMenu popup;
    Ref<Menu> self(this);
    // The entries of this item, chosen through a context menu of their own.
    std::function<void(Menu*, QMenu*)> build = [&](Menu* m, QMenu* into) {
        for (Menu* c : m->item()) {
            if (!c->visible_) continue;
            if (c->isSeparator()) {
                into->addSeparator();
                continue;
            }
            Ref<Menu> entry(c);
            if (!c->items_.empty()) {
                QMenu* sub = into->addMenu(qs(c->text_));
                sub->setEnabled(c->enabled_);
                QObject::connect(sub, &QMenu::aboutToShow, sub, [entry] {
                    if (Menu* e = entry.get()) e->trigger("clicked");
                });
                build(c, sub);
            } else {
                QAction* a = into->addAction(qs(c->text_));
                a->setObjectName(qs(c->name_));
                a->setEnabled(c->enabled_);
                QObject::connect(a, &QAction::triggered, a, [entry] {
                    if (Menu* e = entry.get(); e && e->enabled_) e->trigger("clicked");
                });
                QObject::connect(a, &QAction::hovered, a, [entry] {
                    Menu* e = entry.get();
                    if (!e) return;
                    if (Window* w = e->parentWindow()) w->setMicroHelp(e->microHelp_);
                });
            }
        }
    };
    build(this, &popup);
    QWidget* origin = nullptr;
    if (Window* w = parentWindow()) origin = w->clientWidget() ? w->clientWidget() : w->widget();
    if (!origin) origin = QApplication::activeWindow();
    QPoint at(units::toPixelsX(x), units::toPixelsY(y));
    popup.exec(origin ? origin->mapToGlobal(at) : at);
    return 1;
}

}  // namespace runtime
