#include "platform/detail/Hive.h"

#include "platform/detail/HostIo.h"

#include <cstdio>

namespace platform::detail {
namespace {

bool isChildOf(std::string_view child, std::string_view parent) {
    if (parent.empty()) return !child.empty();
    return child.size() > parent.size() + 1 && child[parent.size()] == '\\' &&
           equalsNoCase(child.substr(0, parent.size()), parent);
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHexNumber(std::string_view s, uint32_t& out) {
    if (s.empty() || s.size() > 8) return false;
    out = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) return false;
        out = out << 4 | uint32_t(d);
    }
    return true;
}

bool parseHexBytes(std::string_view s, std::vector<uint8_t>& out) {
    std::string compact;
    for (char c : s)
        if (c != ' ' && c != '\t') compact += c;
    if (compact.empty()) return true;
    size_t i = 0;
    for (;;) {
        if (i + 2 > compact.size()) return false;
        int hi = hexDigit(compact[i]), lo = hexDigit(compact[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(uint8_t(hi << 4 | lo));
        i += 2;
        if (i == compact.size()) return true;
        if (compact[i] != ',') return false;
        ++i;
    }
}

// Reads a quoted string starting at s[0] == '"'; advances past the closing quote.
bool parseQuoted(std::string_view& s, std::string& out) {
    if (s.empty() || s[0] != '"') return false;
    size_t i = 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return false;
            out += s[i + 1];
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A REG_SZ written as "text" must read back as the same bytes: exactly one NUL, at the end, and
// nothing that would break the line.
bool cleanText(const RegValue& v) {
    if (v.type != regtype::Sz || v.data.empty() || v.data.back() != 0) return false;
    for (size_t i = 0; i + 1 < v.data.size(); ++i) {
        uint8_t b = v.data[i];
        if (b == 0 || b == '\n' || b == '\r') return false;
    }
    return true;
}

std::string formatData(const RegValue& v) {
    if (cleanText(v)) return quote(std::string_view(reinterpret_cast<const char*>(v.data.data()),
                                                    v.data.size() - 1));
    char buffer[32];
    if (v.type == regtype::Dword && v.data.size() == 4) {
        uint32_t d = uint32_t(v.data[0]) | uint32_t(v.data[1]) << 8 | uint32_t(v.data[2]) << 16 |
                     uint32_t(v.data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", d);
        return buffer;
    }
    std::string out;
    if (v.type == regtype::Binary) {
        out = "hex:";
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", v.type);
        out = buffer;
    }
    for (size_t i = 0; i < v.data.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", v.data[i]);
        out += buffer;
    }
    return out;
}

}  // namespace

std::size_t NoCaseHash::operator()(std::string_view s) const noexcept {
    std::size_t h = 14695981039346656037ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(lowerAscii(c))) * 1099511628211ull;
    return h;
}

namespace {
std::string_view parentOf(std::string_view path) {
    size_t sep = path.rfind('\\');
    return sep == std::string_view::npos ? std::string_view{} : path.substr(0, sep);
}
}  // namespace

Hive::Hive(RegRoot r) : root(r) { keys.append(HiveKey{"", {}, 0}); }

bool Hive::create(std::string_view path) {
    if (path.empty()) return false;  // the root always exists
    if (find(path)) return false;
    size_t pos = 0;
    for (;;) {
        size_t sep = path.find('\\', pos);
        std::string_view prefix = path.substr(0, sep);
        if (!find(prefix)) {
            keys.append(HiveKey{std::string(prefix), {}, 0});
            ++find(parentOf(prefix))->subkeyCount;
        }
        if (sep == std::string_view::npos) break;
        pos = sep + 1;
    }
    return true;
}

void Hive::remove(std::string_view path) {
    if (path.empty() || !find(path)) return;
    --find(parentOf(path))->subkeyCount;
    keys.erase(path);
}

bool Hive::hasSubkeys(std::string_view path) const {
    const HiveKey* k = find(path);
    return k && k->subkeyCount > 0;
}

std::vector<std::string> Hive::subkeys(std::string_view path) const {
    std::vector<std::string> out;
    if (!hasSubkeys(path)) return out;
    keys.forEach([&](const HiveKey& k) {
        if (!isChildOf(k.path, path)) return;
        std::string_view rest = std::string_view(k.path).substr(path.empty() ? 0 : path.size() + 1);
        if (rest.find('\\') == std::string_view::npos) out.emplace_back(rest);
    });
    return out;
}

std::filesystem::path hivePath(const std::filesystem::path& machineRoot, RegRoot root) {
    return machineRoot / "registry" / (std::string(rootName(root)) + ".reg");
}

Result<Hive> parseHive(std::string_view text, RegRoot root, std::string_view fileName) {
    Hive hive(root);
    size_t pos = 0;
    int lineNumber = 0;
    bool header = false;
    HiveKey* current = nullptr;
    std::string currentPath;
    auto corrupt = [&](int line, std::string_view why) {
        return makeError(err::RegistryCorrupt,
                         std::string(fileName) + " line " + std::to_string(line) + ": " + std::string(why));
    };
    auto nextLine = [&](std::string_view& line) {
        if (pos >= text.size()) return false;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        line = trimRight(text.substr(pos, end - pos));
        pos = end + 1;
        ++lineNumber;
        return true;
    };
    std::string_view line;
    while (nextLine(line)) {
        int first = lineNumber;
        if (line.empty() || line[0] == ';') continue;
        if (!header) {
            if (line != "REGEDIT4") return corrupt(first, "the first line is not REGEDIT4");
            header = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 2) return corrupt(first, "unterminated key name");
            std::string_view name = line.substr(1, line.size() - 2);
            std::string_view rootPart = name.substr(0, name.find('\\'));
            if (!equalsNoCase(rootPart, rootName(root))) return corrupt(first, "a key of another root");
            std::string_view path =
                rootPart.size() < name.size() ? name.substr(rootPart.size() + 1) : std::string_view{};
            if (!path.empty() && (path.front() == '\\' || path.back() == '\\' ||
                                  path.find("\\\\") != std::string_view::npos))
                return corrupt(first, "an empty key name");
            hive.create(path);
            current = hive.find(path);
            continue;
        }
        if (line[0] != '"' && line[0] != '@') return corrupt(first, "not a key and not a value");
        if (!current) return corrupt(first, "a value before the first key");
        // Long hex data continues on the next lines after a trailing backslash.
        std::string logical(line);
        while (!logical.empty() && logical.back() == '\\' && logical.find("=hex") != std::string::npos) {
            logical.pop_back();
            std::string_view more;
            if (!nextLine(more)) return corrupt(first, "hex data continues past the end");
            logical += trimLeft(more);
        }
        std::string_view rest = logical;
        RegValue value;
        if (rest[0] == '@') {
            rest.remove_prefix(1);
        } else if (!parseQuoted(rest, value.name)) {
            return corrupt(first, "bad value name");
        }
        if (rest.empty() || rest[0] != '=') return corrupt(first, "'=' expected after the value name");
        rest.remove_prefix(1);
        if (!rest.empty() && rest[0] == '"') {
            std::string textValue;
            if (!parseQuoted(rest, textValue) || !rest.empty()) return corrupt(first, "bad string data");
            value.type = regtype::Sz;
            value.data.assign(textValue.begin(), textValue.end());
            value.data.push_back(0);
        } else if (rest.starts_with("dword:")) {
            uint32_t d;
            if (!parseHexNumber(rest.substr(6), d)) return corrupt(first, "bad dword data");
            value.type = regtype::Dword;
            value.data = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
        } else if (rest.starts_with("hex:")) {
            value.type = regtype::Binary;
            if (!parseHexBytes(rest.substr(4), value.data)) return corrupt(first, "bad hex data");
        } else if (rest.starts_with("hex(")) {
            size_t close = rest.find("):");
            if (close == std::string_view::npos || !parseHexNumber(rest.substr(4, close - 4), value.type))
                return corrupt(first, "bad value type");
            if (!parseHexBytes(rest.substr(close + 2), value.data)) return corrupt(first, "bad hex data");
        } else {
            return corrupt(first, "unknown data");
        }
        if (RegValue* old = current->values.find(value.name)) *old = std::move(value);
        else current->values.append(std::move(value));
    }
    if (!header) return corrupt(lineNumber + 1, "the file is empty (REGEDIT4 expected)");
    return hive;
}

std::string formatHive(const Hive& hive) {
    // As the registry editor exports: a blank line after the header and after every key.
    std::string out = "REGEDIT4\n\n";
    hive.keys.forEach([&](const HiveKey& k) {
        if (k.path.empty() && k.values.empty()) return;
        out += "[";
        out += rootName(hive.root);
        if (!k.path.empty()) {
            out += '\\';
            out += k.path;
        }
        out += "]\n";
        k.values.forEach([&](const RegValue& v) {
            if (v.name.empty()) out += '@';
            else out += quote(v.name);
            out += '=';
            out += formatData(v);
            out += '\n';
        });
        out += '\n';
    });
    return out;
}

std::string seedHive(RegRoot root) {
    Hive hive(root);
    switch (root) {
    case RegRoot::LocalMachine: {
        const char* current = "Software\\Microsoft\\Windows\\CurrentVersion";
        hive.create(current);
        std::string_view dir = "C:\\Program Files";
        RegValue v{"ProgramFilesDir", regtype::Sz, {dir.begin(), dir.end()}};
        v.data.push_back(0);
        hive.find(current)->values.append(std::move(v));
        hive.create("Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
        hive.create("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
        break;
    }
    case RegRoot::CurrentUser: hive.create("Software"); break;
    case RegRoot::Users: hive.create(".DEFAULT\\Software"); break;
    case RegRoot::ClassesRoot: break;
    }
    return formatHive(hive);
}

}  // namespace platform::detail
