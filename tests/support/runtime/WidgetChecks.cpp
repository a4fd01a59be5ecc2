#include "support/runtime/WidgetChecks.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <map>

namespace runtime {
namespace {

QString shown(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

QChar accessKey(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

std::string describe(const QWidget* w, const QString& text) {
    return (w->objectName().isEmpty() ? std::string(w->metaObject()->className()) : w->objectName().toStdString()) +
           ": " + text.toStdString();
}

bool labelFits(const QLabel* l) {
    if (l->textFormat() == Qt::RichText || l->text().isEmpty() || !l->pixmap().isNull()) return true;
    const QRect r = l->contentsRect();
    if (l->wordWrap()) return l->heightForWidth(l->width()) <= l->height();
    const QFontMetrics fm(l->font());
    const QStringList lines = shown(l->text()).split('\n');
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line));
    return widest <= r.width() && static_cast<int>(lines.size()) * fm.height() <= r.height() + 1;
}

bool buttonFits(const QAbstractButton* b) {
    if (b->text().isEmpty()) return true;
    if (qobject_cast<const QRadioButton*>(b) || qobject_cast<const QCheckBox*>(b))
        return b->sizeHint().width() <= b->width();
    const QFontMetrics fm(b->font());
    return fm.horizontalAdvance(shown(b->text())) + 4 <= b->width();
}

bool groupFits(const QGroupBox* g) {
    if (g->title().isEmpty()) return true;
    const QFontMetrics fm(g->font());
    return fm.horizontalAdvance(shown(g->title())) + 8 <= g->width();
}

// The controls that stand on `root` itself, not on a page of a tab control below it; the tab
// controls met on the way.
void ownControls(QWidget* root, QWidget* page, std::vector<QWidget*>& controls, std::vector<QTabWidget*>& tabs) {
    for (QObject* o : root->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow() || !w->isVisibleTo(page)) continue;
        if (auto* t = qobject_cast<QTabWidget*>(w)) {
            tabs.push_back(t);
            continue;
        }
        controls.push_back(w);
        ownControls(w, page, controls, tabs);
    }
}

void checkPage(QWidget* page, std::vector<std::pair<QChar, std::string>> inherited, std::vector<std::string>& out) {
    std::vector<QWidget*> controls;
    std::vector<QTabWidget*> tabs;
    ownControls(page, page, controls, tabs);
    for (QWidget* w : controls) {
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w); g && g->isCheckable()) text = g->title();
        const QChar key = accessKey(text);
        if (!key.isNull() && w->isEnabled()) inherited.emplace_back(key, describe(w, shown(text)));
    }
    for (QTabWidget* t : tabs)
        for (int i = 0; i < t->count(); ++i)
            if (QChar key = accessKey(t->tabText(i)); !key.isNull() && t->isTabEnabled(i))
                inherited.emplace_back(key, "tab: " + shown(t->tabText(i)).toStdString());
    bool leaf = true;
    for (QTabWidget* t : tabs)
        for (int i = 0; i < t->count(); ++i) {
            leaf = false;
            checkPage(t->widget(i), inherited, out);
        }
    if (!leaf) return;
    std::map<QChar, std::vector<std::string>> byKey;
    for (const auto& [key, what] : inherited) byKey[key].push_back(what);
    for (const auto& [key, whats] : byKey) {
        if (whats.size() < 2) continue;
        std::string line = QString(key).toStdString() + ":";
        for (const std::string& w : whats) line += " " + w + ";";
        if (std::find(out.begin(), out.end(), line) == out.end()) out.push_back(line);
    }
}

}  // namespace

std::vector<std::string> clippedTexts(QWidget* root) {
    std::vector<std::string> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(root) || w->isWindow()) continue;
        if (auto* l = qobject_cast<QLabel*>(w); l && !labelFits(l)) out.push_back(describe(w, shown(l->text())));
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !buttonFits(b)) out.push_back(describe(w, shown(b->text())));
        if (auto* g = qobject_cast<QGroupBox*>(w); g && !groupFits(g)) out.push_back(describe(w, shown(g->title())));
    }
    return out;
}

std::vector<std::string> accessKeyClashes(QWidget* root) {
    std::vector<std::string> out;
    checkPage(root, {}, out);
    return out;
}

}  // namespace runtime
