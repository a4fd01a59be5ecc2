#pragma once
// Small helpers shared by the visual runtime's files.
#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QPoint>
#include <QString>

#include <cctype>
#include <functional>
#include <string>
#include <string_view>

namespace runtime::detail {

inline QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

inline std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// `s` without the characters of `blanks` at both ends.
inline std::string trimmed(std::string_view s, std::string_view blanks = " \t") {
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    size_t e = s.find_last_not_of(blanks);
    return std::string(s.substr(b, e - b + 1));
}

// Reports right-button presses on a widget (at the press position) without taking them.
class RightClicks : public QObject {
public:
    RightClicks(QObject* parent, std::function<void(QPoint)> fn) : QObject(parent), fn_(std::move(fn)) {}
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
            auto fn = fn_;  // the handler may delete this filter
            fn(static_cast<QMouseEvent*>(e)->position().toPoint());
        }
        return false;
    }

private:
    std::function<void(QPoint)> fn_;
};

}  // namespace runtime::detail
