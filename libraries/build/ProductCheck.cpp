// What the installer refuses, refused before anything is written.
#include "libraries/build/RegistryNames.h"
#include "libraries/build/SetupLayout.h"
#include "libraries/build/SetupWriter.h"

#include <cctype>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_map>

namespace build {
namespace {

std::string inQuotes(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A text field of `width` bytes holds width - 1 characters and its terminating zero.
std::string checkText(std::string_view what, std::string_view text, size_t width) {
    if (text.find('\0') != std::string_view::npos)
        return std::string(what) + std::string(" holds a zero byte");
    if (text.size() > width - 1)
        return std::string(what) + std::string(" is ") + std::to_string(text.size()) + " characters long; at most " +
               std::to_string(width - 1) + " fit: " + inQuotes(text);
    return {};
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// A name below a folder: relative, no drive, no "." or ".." level, no empty level, no characters
// that Windows does not allow in a name.
std::string checkRelativeName(std::string_view what, std::string_view name) {
    if (name.empty()) return std::string(what) + std::string(" is empty");
    if (name.find(':') != std::string_view::npos)
        return std::string(what) + std::string(" names a drive or stream: ") + inQuotes(name);
    if (isSeparator(name.front()) || isSeparator(name.back()))
        return std::string(what) + std::string(" must be relative to its folder: ") + inQuotes(name);
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*/", c) != nullptr)
            return std::string(what) + std::string(" holds a character Windows does not allow: ") + inQuotes(name);
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string_view::npos) end = name.size();
        std::string_view level = name.substr(start, end - start);
        if (level.empty()) return std::string(what) + std::string(" has an empty folder level: ") + inQuotes(name);
        if (level == "." || level == "..")
            return std::string(what) + std::string(" leaves its folder: ") + inQuotes(name);
        start = end + 1;
    }
    return {};
}

// Setup writes only on the machine's own drive C:; another drive ("Z:" is the host's root), a
// host path or a network path would be refused there, so it is refused here first.
std::string checkDestination(std::string_view what, std::string_view folder) {
    const bool drive = folder.size() >= 2 && std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':';
    if ((drive && (folder[0] | 0x20) != 'c') || folder.starts_with('/') ||
        (folder.size() >= 2 && isSeparator(folder[0]) && isSeparator(folder[1])))
        return std::string(what) + " lies outside the machine's drive C: " + inQuotes(folder);
    return {};
}

std::string checkRegistryData(const RegistryEntry& entry, const std::string& what) {
    const std::string& d = entry.data;
    switch (entry.type) {
    case 0: case 3: case 6: case 7: case 8: case 9: case 10:
        if (d.empty()) return {};
        if ((d.size() + 1) % 3 != 0)
            return what + " has data that is not hexadecimal pairs with one separator between them";
        for (size_t i = 0; i < d.size(); i += 3) {
            if (!isHexDigit(d[i]) || !isHexDigit(d[i + 1]))
                return what + " has data that is not hexadecimal pairs: " + inQuotes(d);
        }
        return {};
    case 4: case 5:
        if (d.size() != 10) return what + " needs a number of two prefix characters and 8 hexadecimal digits";
        for (size_t i = 2; i < 10; ++i) {
            if (!isHexDigit(d[i])) return what + " has a number that is not hexadecimal: " + inQuotes(d);
        }
        return {};
    case 1: case 2:
        if (d.find('\0') != std::string::npos) return what + " has a text that holds a zero byte";
        return {};
    case 255:
        return {};
    default:
        return what + " has the value type " + std::to_string(entry.type) +
               ", which the installer cannot write (0 to 10 or 255)";
    }
}

std::string_view rootLongName(uint8_t root) {
    switch (root) {
    case 1: return "HKEY_CLASSES_ROOT";
    case 2: return "HKEY_CURRENT_USER";
    case 3: return "HKEY_LOCAL_MACHINE";
    case 4: return "HKEY_USERS";
    default: return "an unknown root";
    }
}

// "Registry entry 3 of component "Main" (HKEY_LOCAL_MACHINE, key "...", value "...")", so that
// the publisher finds the row.
std::string registryEntryName(const Product& p, size_t i) {
    const auto& r = p.registryEntries[i];
    std::string component = "no component";
    for (const auto& c : p.components) {
        if (c.id == r.componentId) component = "component " + inQuotes(c.name);
    }
    return "Registry entry " + std::to_string(i + 1) + " of " + component + " (" +
           std::string(rootLongName(r.root)) + ", key " + inQuotes(r.key) + ", value " +
           (r.valueName.empty() ? std::string("(default)") : inQuotes(r.valueName)) + ")";
}

}  // namespace

std::string checkProduct(const Product& p) {
    namespace L = layout;
    std::string e;
    auto text = [&e](std::string_view what, const std::string& value, size_t width) {
        if (e.empty()) e = checkText(what, value, width);
        return e.empty();
    };

    if (!text("The product name", p.name, L::header::ProductNameWidth)) return e;
    if (!text("The product version", p.version, L::header::VersionWidth)) return e;
    // Name and version make the uninstall record's file name and the Uninstall key's name.
    for (const std::string* s : {&p.name, &p.version}) {
        if (s->find_first_of("\\/:") != std::string::npos)
            return "The product name and version may not hold \\, / or : (" + inQuotes(*s) + ")";
    }
    if (!text("The default destination", p.defaultDestination, L::header::DefaultDestinationWidth)) return e;
    if (e = checkDestination("The default destination", p.defaultDestination); !e.empty()) return e;
    if (!text("The window title", p.title, L::mainwindow::TitleWidth)) return e;
    for (size_t i = 0; i < p.backgroundTexts.size(); ++i) {
        const auto& b = p.backgroundTexts[i];
        std::string what = "Background text " + std::to_string(i + 1);
        if (!text(what, b.text, L::background::TextWidth)) return e;
        if (!text(what + "'s font name", b.faceName, L::background::FaceNameWidth)) return e;
    }
    if (!text("The user information key", p.userKey, L::user::KeyWidth)) return e;
    // Setup writes "User" and "Company" below HKEY_CURRENT_USER\Software\<key>.
    if (std::string why = pakomo::registry_key_problem("Software\\" + p.userKey); !why.empty())
        return "The user information key " + inQuotes(p.userKey) + " " + why;
    if (!text("The first restart choice", p.restartNowText, L::finished::ChoiceWidth)) return e;
    if (!text("The second restart choice", p.restartLaterText, L::finished::ChoiceWidth)) return e;
    if (!text("The default program group", p.defaultGroup, L::programgroup::DefaultGroupWidth)) return e;
    if (!text("The readme check box text", p.readmeCheckText, L::readme::CheckTextWidth)) return e;
    if (!text("The progress text", p.progressText, L::progress::TextWidth)) return e;
    for (const std::string* memo : {&p.licenseText, &p.userText, &p.finishedText, &p.groupText}) {
        if (memo->size() > 0xFFFFFFFFu) return "A page text is longer than 4 GiB";
    }

    // Components: unique ids other than 0, parents and requirements that exist, no parent cycle.
    std::unordered_map<uint32_t, size_t> index;
    for (size_t i = 0; i < p.components.size(); ++i) {
        const auto& c = p.components[i];
        std::string what = "Component " + inQuotes(c.name);
        if (!text("A component name", c.name, L::component::NameWidth)) return e;
        if (!text(what + "'s folder", c.destination, L::component::DestinationWidth)) return e;
        if (e = checkDestination(what + "'s folder", c.destination); !e.empty()) return e;
        if (c.description.size() > 0xFFFFFFFFu) return what + "'s description is longer than 4 GiB";
        if (c.id == 0) return what + " has the id 0, which means no component";
        if (!index.emplace(c.id, i).second) return "Two components have the id " + std::to_string(c.id);
    }
    for (const auto& c : p.components) {
        std::string what = "Component " + inQuotes(c.name);
        if (c.parentId != 0 && !index.count(c.parentId))
            return what + " names a parent component that does not exist (" + std::to_string(c.parentId) + ")";
        if (c.requiredId != 0 && !index.count(c.requiredId))
            return what + " requires a component that does not exist (" + std::to_string(c.requiredId) + ")";
        std::set<uint32_t> seen{c.id};
        for (uint32_t up = c.parentId; up != 0; up = p.components[index.at(up)].parentId) {
            if (!seen.insert(up).second) return what + " is its own ancestor";
        }
    }

    for (size_t i = 0; i < p.registryEntries.size(); ++i) {
        const auto& r = p.registryEntries[i];
        std::string what = registryEntryName(p, i);
        if (!text(what + "'s key", r.key, L::registry::KeyWidth)) return e;
        if (!text(what + "'s value name", r.valueName, L::registry::ValueNameWidth)) return e;
        if (r.root < 1 || r.root > 4)
            return what + " has the root code " + std::to_string(r.root) + "; only 1 to 4 exist";
        if (r.key.empty() || isSeparator(r.key.front()))
            return what + " needs a key path below its root";
        // The registry refuses such names when Setup writes them, after other things are in place.
        if (std::string why = pakomo::registry_key_problem(r.key); !why.empty())
            return what + ": the key " + why;
        if (std::string why = pakomo::registry_value_name_problem(r.valueName); !why.empty())
            return what + ": the value name " + why;
        if (!index.count(r.componentId)) return what + " belongs to no component";
        if (r.data.size() > 0xFFFFFFFFu) return what + " has more than 4 GiB of data";
        std::string bad = checkRegistryData(r, what);
        if (!bad.empty()) return bad;
    }

    for (const auto& v : p.variables) {
        if (!text("A string variable's name", v.name, L::variable::NameWidth)) return e;
        if (!text("String variable " + inQuotes(v.name) + "'s value", v.value, L::variable::ValueWidth)) return e;
    }

    for (const auto& f : p.files) {
        if (!text("A file name", f.name, L::file::NameWidth)) return e;
        std::string bad = checkRelativeName("The file name", f.name);
        if (!bad.empty()) return bad;
        std::string what = "File " + inQuotes(f.name);
        if (!index.count(f.componentId)) return what + " belongs to no component";
        if (!text(what + "'s shortcut text", f.linkText, L::file::LinkTextWidth)) return e;
        if (f.shortcut) {
            // The shortcut text becomes a link file's name in the program group.
            bad = checkRelativeName(what + "'s shortcut text", f.linkText);
            if (!bad.empty()) return bad;
            if (f.linkText.find('\\') != std::string::npos)
                return what + "'s shortcut text may not hold \\: " + inQuotes(f.linkText);
        }
        if (f.source.empty()) return what + " has no source file";
    }
    return {};
}

}  // namespace build
