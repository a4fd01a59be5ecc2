// Describe and Modify of a row set's layout.
//
// Attribute reads that Describe answers (names without regard to case):
//   datawindow.column.count, datawindow.table.updatetable, datawindow.table.select,
//   datawindow.table.sort, datawindow.table.filter, datawindow.zoom,
//   [datawindow.]<band>.height (header, detail, summary, footer),
//   <column>.name / .coltype / .dbname / .key / .update ("yes"/"no") / .id / .edit.style /
//   .initial / .protect / .color / .background.color / any attribute the layout or Modify set,
//   #<n>.<attribute> for the column by number,
//   <text object>.text / .x / .y / .width / .height / .band / .color / .background.color /
//   .visible / .font.face / .font.height (points), <computed column>.expression,
//   evaluate('<expression>', <row>).
// An attribute holding "default<TAB>expression" is answered with one closing '"' after it.
// Modify sets column attributes, text objects' attributes (those above but .band), band heights,
// the zoom and the update table: `obj.attr = value`, blanks around "=" optional, the value bare or
// between ' or " (with '' or ~' for an apostrophe inside).
#include "runtime/data/DataStore.h"

#include <cctype>
#include <charconv>
#include <functional>

namespace runtime {

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool iequals(std::string_view a, std::string_view b) { return lower(a) == lower(b); }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool toInt(std::string_view s, long& out) {
    s = trimmed(s);
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

bool isBand(std::string_view name) {
    std::string n = lower(name);
    return n == "header" || n == "detail" || n == "summary" || n == "footer";
}

const char* defaultAttribute(const std::string& attr) {
    if (attr == "protect") return "0";
    if (attr == "color") return "0";
    if (attr == "background.color") return "16777215";
    if (attr == "visible") return "1";
    return nullptr;
}

// Splits "object.attribute" at the first point.
bool splitName(std::string_view name, std::string_view& object, std::string& attribute) {
    auto dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return false;
    object = name.substr(0, dot);
    attribute = lower(name.substr(dot + 1));
    return true;
}

}  // namespace

std::string DataStore::describe(std::string_view attributes) const {
    std::string answer;
    std::size_t pos = 0;
    bool first = true;
    while (true) {
        while (pos < attributes.size() && std::isspace(static_cast<unsigned char>(attributes[pos]))) ++pos;
        if (pos >= attributes.size()) break;
        // One item: up to the next blank outside quotes and parentheses.
        std::size_t start = pos;
        int depth = 0;
        char quote = 0;
        for (; pos < attributes.size(); ++pos) {
            char c = attributes[pos];
            if (quote) {
                if (c == '~' && pos + 1 < attributes.size()) ++pos;
                else if (c == quote) quote = 0;
                continue;
            }
            if (c == '\'' || c == '"') quote = c;
            else if (c == '(') ++depth;
            else if (c == ')') --depth;
            else if (std::isspace(static_cast<unsigned char>(c)) && depth <= 0) break;
        }
        std::string_view item = attributes.substr(start, pos - start);
        if (!first) answer += '\n';
        first = false;

        std::string value = "!";
        std::string name = lower(item);
        // evaluate('expr', row)
        if (name.rfind("evaluate", 0) == 0) {
            std::string_view rest = trimmed(item.substr(8));
            if (rest.size() >= 2 && rest.front() == '(' && rest.back() == ')') {
                rest = trimmed(rest.substr(1, rest.size() - 2));
                auto comma = rest.rfind(',');
                long row = 0;
                if (comma != std::string_view::npos && toInt(rest.substr(comma + 1), row)) {
                    std::string_view quoted = trimmed(rest.substr(0, comma));
                    if (quoted.size() >= 2 && (quoted.front() == '\'' || quoted.front() == '"') &&
                        quoted.back() == quoted.front()) {
                        std::string text;
                        char q = quoted.front();
                        for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
                            char c = quoted[i];
                            if (c == '~' && i + 2 < quoted.size() &&
                                (quoted[i + 1] == q || quoted[i + 1] == '~')) {
                                text += quoted[++i];
                            } else if (c == q && i + 2 < quoted.size() && quoted[i + 1] == q) {
                                text += q;
                                ++i;
                            } else {
                                text += c;
                            }
                        }
                        Expression e = compile(text);
                        if (e.valid() && row >= 1 && row <= rowCount())
                            value = expressionValueText(evaluate(e, row));
                    }
                }
            }
            answer += value;
            continue;
        }
        if (name == "datawindow.column.count") value = std::to_string(columnCount());
        else if (name == "datawindow.table.updatetable") value = layout_.updateTable;
        else if (name == "datawindow.table.select") value = layout_.select;
        else if (name == "datawindow.table.sort") value = sortText_;
        else if (name == "datawindow.table.filter") value = filterText_;
        else if (name == "datawindow.zoom") value = std::to_string(layout_.zoom);
        else {
            std::string_view bandName = item;
            if (name.rfind("datawindow.", 0) == 0) bandName = item.substr(11);
            std::string_view object;
            std::string attr;
            if (splitName(bandName, object, attr) && isBand(object) && attr == "height") {
                for (const BandLayout& b : layout_.bands)
                    if (iequals(b.name, object)) value = std::to_string(b.height);
            } else if (splitName(item, object, attr)) {
                int c = columnIndex(object);
                if (c >= 0) {
                    const ColumnLayout& col = layout_.columns[c];
                    if (attr == "name") value = col.name;
                    else if (attr == "coltype") value = col.type;
                    else if (attr == "dbname") value = col.dbName.empty() ? col.name : col.dbName;
                    else if (attr == "key") value = col.key ? "yes" : "no";
                    else if (attr == "update") value = col.updatable ? "yes" : "no";
                    else if (attr == "id") value = std::to_string(c + 1);
                    else if (attr == "type") value = "column";
                    else if (attr == "edit.style") value = editStyleName(col.editStyle);
                    else if (attr == "initial") value = expressionValueText(col.initial);
                    else if (auto it = col.attributes.find(attr); it != col.attributes.end())
                        value = it->second.find('\t') == std::string::npos ? it->second
                                                                           : it->second + '"';
                    else if (const char* d = defaultAttribute(attr)) value = d;
                } else {
                    for (const TextLayout& t : layout_.texts) {
                        if (!iequals(t.name, object)) continue;
                        if (attr == "text") value = t.text;
                        else if (attr == "x") value = std::to_string(t.x);
                        else if (attr == "y") value = std::to_string(t.y);
                        else if (attr == "width") value = std::to_string(t.width);
                        else if (attr == "height") value = std::to_string(t.height);
                        else if (attr == "band") value = t.band;
                        else if (attr == "type") value = "text";
                        else {
                            auto it = layout_.textStyles.find(lower(t.name));
                            const TextStyle st = it == layout_.textStyles.end() ? TextStyle() : it->second;
                            if (attr == "color")
                                value = std::to_string(st.color);
                            else if (attr == "background.color")
                                value = std::to_string(st.background);
                            else if (attr == "visible")
                                value = st.visible ? "1" : "0";
                            else if (attr == "font.face")
                                value = st.fontFace;
                            else if (attr == "font.height")
                                value = std::to_string(st.fontSize);
                        }
                    }
                    for (const ComputedLayout& k : layout_.computed) {
                        if (!iequals(k.name, object)) continue;
                        if (attr == "expression") value = k.expression;
                        else if (attr == "type") value = "compute";
                        else if (attr == "name") value = k.name;
                    }
                }
            }
        }
        answer += value;
    }
    return answer;
}

std::string DataStore::modify(std::string_view settings) {
    std::vector<std::function<void(DataLayout&)>> changes;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < settings.size() && std::isspace(static_cast<unsigned char>(settings[pos]))) ++pos;
    };
    while (true) {
        skipBlanks();
        if (pos >= settings.size()) break;
        std::size_t start = pos;
        while (pos < settings.size() && settings[pos] != '=' &&
               !std::isspace(static_cast<unsigned char>(settings[pos])))
            ++pos;
        std::string_view name = settings.substr(start, pos - start);
        skipBlanks();
        if (pos >= settings.size() || settings[pos] != '=')
            return "Expecting '=' after '" + std::string(name) + "'";
        ++pos;
        skipBlanks();
        std::string value;
        if (pos < settings.size() && (settings[pos] == '\'' || settings[pos] == '"')) {
            char q = settings[pos++];
            bool closed = false;
            while (pos < settings.size()) {
                char c = settings[pos++];
                if (c == '~' && pos < settings.size() &&
                    (settings[pos] == '\'' || settings[pos] == '"' || settings[pos] == '~')) {
                    value += settings[pos++];
                } else if (c == q) {
                    if (pos < settings.size() && settings[pos] == q) {
                        value += q;
                        ++pos;
                    } else {
                        closed = true;
                        break;
                    }
                } else {
                    value += c;
                }
            }
            if (!closed) return "Unterminated quoted value of '" + std::string(name) + "'";
        } else {
            std::size_t vstart = pos;
            while (pos < settings.size() && !std::isspace(static_cast<unsigned char>(settings[pos]))) ++pos;
            value = std::string(settings.substr(vstart, pos - vstart));
        }

        std::string lname = lower(name);
        long number = 0;
        auto needNumber = [&]() -> std::string {
            if (!toInt(value, number) || number < 0)
                return "Bad number '" + value + "' for '" + std::string(name) + "'";
            return {};
        };
        if (lname == "datawindow.zoom") {
            if (auto e = needNumber(); !e.empty()) return e;
            if (number < 1) return "Bad zoom '" + value + "'";
            changes.push_back([number](DataLayout& l) { l.zoom = static_cast<int>(number); });
            continue;
        }
        if (lname == "datawindow.table.updatetable") {
            changes.push_back([value](DataLayout& l) { l.updateTable = value; });
            continue;
        }
        std::string_view bandName = lname.rfind("datawindow.", 0) == 0 ? name.substr(11) : name;
        std::string_view object;
        std::string attr;
        if (splitName(bandName, object, attr) && isBand(object)) {
            if (attr != "height") return "Unknown attribute '" + std::string(name) + "'";
            if (auto e = needNumber(); !e.empty()) return e;
            std::string band = lower(object);
            changes.push_back([band, number](DataLayout& l) {
                for (BandLayout& b : l.bands)
                    if (lower(b.name) == band) b.height = static_cast<int>(number);
            });
            continue;
        }
        if (!splitName(name, object, attr)) return "Unknown attribute '" + std::string(name) + "'";
        int c = columnIndex(object);
        if (c >= 0) {
            if (attr == "edit.style") {
                changes.push_back([c, style = editStyleName(value)](DataLayout& l) { l.columns[c].editStyle = style; });
                continue;
            }
            static const char* settable[] = {"protect", "color", "background.color", "visible",
                                             "x", "y", "width", "height"};
            bool known = false;
            for (const char* s : settable) known = known || attr == s;
            if (!known) return "Unknown attribute '" + std::string(name) + "'";
            auto tab = value.find('\t');
            if (tab != std::string::npos) {
                Expression e = compile(std::string_view(value).substr(tab + 1));
                if (!e.valid())
                    return "Bad expression for '" + std::string(name) + "': " + e.error();
            }
            changes.push_back([c, attr, value](DataLayout& l) { l.columns[c].attributes[attr] = value; });
            continue;
        }
        bool found = false;
        for (std::size_t t = 0; t < layout_.texts.size() && !found; ++t) {
            if (!iequals(layout_.texts[t].name, object)) continue;
            found = true;
            if (attr == "text") {
                changes.push_back([t, value](DataLayout& l) { l.texts[t].text = value; });
            } else if (attr == "x" || attr == "y" || attr == "width" || attr == "height") {
                if (auto e = needNumber(); !e.empty()) return e;
                int n = static_cast<int>(number);
                changes.push_back([t, attr, n](DataLayout& l) {
                    TextLayout& text = l.texts[t];
                    (attr == "x" ? text.x : attr == "y" ? text.y : attr == "width" ? text.width : text.height) = n;
                });
            } else if (attr == "color" || attr == "background.color" || attr == "visible" ||
                       attr == "font.height") {
                // A background of -1 draws none; a negative font height is in pixels.
                long n = 0;
                if (!toInt(value, n) || (n < 0 && (attr == "color" || attr == "visible")))
                    return "Bad number '" + value + "' for '" + std::string(name) + "'";
                changes.push_back([t, attr, n](DataLayout& l) {
                    TextStyle& st = l.textStyles[lower(l.texts[t].name)];
                    if (attr == "color")
                        st.color = n;
                    else if (attr == "background.color")
                        st.background = n;
                    else if (attr == "visible")
                        st.visible = n != 0;
                    else
                        st.fontSize = static_cast<int>(n);
                });
            } else if (attr == "font.face") {
                changes.push_back(
                    [t, value](DataLayout& l) { l.textStyles[lower(l.texts[t].name)].fontFace = value; });
            } else {
                return "Unknown attribute '" + std::string(name) + "'";
            }
        }
        if (!found) return "Unknown object '" + std::string(object) + "'";
    }
    for (auto& change : changes) change(layout_);
    attributeExpressions_.clear();
    if (!changes.empty()) notify(RowSetObserver::Change::Reset, 0, 0);
    return {};
}

Value DataStore::columnAttribute(long row, int column, std::string_view attribute) const {
    int c = checkColumn(column);
    std::string attr = lower(attribute);
    const ColumnLayout& col = layout_.columns[c];
    std::string raw;
    if (auto it = col.attributes.find(attr); it != col.attributes.end()) raw = it->second;
    else if (const char* d = defaultAttribute(attr)) raw = d;
    else return Value();
    auto asValue = [](std::string_view text) -> Value {
        long n = 0;
        if (toInt(text, n)) return Value(n);
        return Value(text);
    };
    auto tab = raw.find('\t');
    if (tab == std::string::npos) return asValue(raw);
    std::string key = std::to_string(c) + "." + attr;
    auto it = attributeExpressions_.find(key);
    if (it == attributeExpressions_.end())
        it = attributeExpressions_
                 .emplace(key, std::make_shared<const Expression>(compile(raw.substr(tab + 1))))
                 .first;
    Value v = evaluate(*it->second, row);
    if (v.isNull()) return asValue(std::string_view(raw).substr(0, tab));
    return v;
}

}  // namespace runtime
