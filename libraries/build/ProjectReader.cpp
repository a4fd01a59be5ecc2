#include "libraries/build/ProjectReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/Machine.h"
#include "platform/Parallel.h"
#include "runtime/db/Transaction.h"

namespace pakomo {
namespace {

namespace fs = std::filesystem;
using Cells = std::span<const runtime::SqlCellView>;

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A char column as the program shows it: blanks at both ends removed, null as the empty text.
std::string text(const runtime::SqlCellView& cell) {
    return cell ? std::string(trimBlanks(*cell)) : std::string();
}
// A long text (memo) as stored.
std::string memo(const runtime::SqlCellView& cell) { return cell ? std::string(*cell) : std::string(); }

// A number as the driver gives it as text, read as strtod reads it; from_chars reads almost every
// cell without a copy.
std::optional<double> numeric(std::string_view s) {
    double d = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec == std::errc() && end == s.data() + s.size()) return d;
    const std::string copy(s);  // a sign, hexadecimal digits or a number out of range
    char* stop = nullptr;
    errno = 0;
    d = std::strtod(copy.c_str(), &stop);
    if (stop == copy.c_str() || *stop != '\0' || errno == ERANGE) return std::nullopt;
    return d;
}

// A flag counts as set only when it holds exactly 1.
bool flag(const runtime::SqlCellView& cell) {
    if (!cell) return false;
    auto d = numeric(trimBlanks(*cell));
    return d && *d == 1.0;
}

std::string inQuotes(std::string_view s) {
    std::string quoted;
    quoted.reserve(s.size() + 2);
    quoted.append(1, '"').append(s).append(1, '"');
    return quoted;
}

// The files by component and name without regard to letter case, as Windows compares names: an
// open-addressing table of file numbers, with no allocation per file.
class InstalledNames {
public:
    static constexpr size_t None = SIZE_MAX;

    explicit InstalledNames(const std::vector<build::ProductFile>& files) : files_(files) {}

    void reserve(size_t count) {
        size_t size = 64;
        while (size < count * 2) size *= 2;
        if (size > slots_.size()) rehash(size);
    }

    // Adds file i; answers the file that has its name already, or None.
    size_t add(size_t i) {
        if ((count_ + 1) * 2 > slots_.size()) rehash(std::max<size_t>(64, slots_.size() * 2));
        const uint32_t h = hash(files_[i]);
        const size_t mask = slots_.size() - 1;
        for (size_t s = h & mask;; s = (s + 1) & mask) {
            Slot& slot = slots_[s];
            if (slot.file == 0) {
                slot = {h, static_cast<uint32_t>(i + 1)};
                ++count_;
                return None;
            }
            if (slot.hash == h && same(files_[slot.file - 1], files_[i])) return slot.file - 1;
        }
    }

private:
    struct Slot {
        uint32_t hash = 0;
        uint32_t file = 0;  // its number + 1; 0: empty
    };

    static unsigned char fold(char c) {
        return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static uint32_t hash(const build::ProductFile& f) {
        uint64_t h = 14695981039346656037ull ^ f.componentId;
        for (char c : f.name) h = (h ^ fold(c)) * 1099511628211ull;
        return static_cast<uint32_t>(h ^ (h >> 32));
    }
    static bool same(const build::ProductFile& a, const build::ProductFile& b) {
        return a.componentId == b.componentId &&
               std::equal(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                          [](char p, char q) { return fold(p) == fold(q); });
    }
    void rehash(size_t size) {
        std::vector<Slot> old(size);
        old.swap(slots_);
        const size_t mask = size - 1;
        for (const Slot& slot : old)
            if (slot.file != 0) {
                size_t s = slot.hash & mask;
                while (slots_[s].file != 0) s = (s + 1) & mask;
                slots_[s] = slot;
            }
    }

    const std::vector<build::ProductFile>& files_;
    std::vector<Slot> slots_;
    size_t count_ = 0;
};

class Reader {
public:
    Reader(runtime::Transaction& sqlca, int16_t id, const platform::Machine& machine)
        : sqlca_(sqlca), id_(id), machine_(machine) {}

    ProjectProduct read() {
        if (readHeader() && readPages() && readBackgroundTexts() && readComponents() && readFileGroups() &&
            readRegistry() && readVariables() && readFiles())
            listLeftOut();
        return std::move(out_);
    }

private:
    bool fail(std::string error) {
        if (out_.error.empty()) out_.error = std::move(error);
        return false;
    }

    // A whole number column within 0..max; null reads as 0. `what` names the field for the user.
    std::optional<uint32_t> number(const runtime::SqlCellView& cell, const std::string& what, uint32_t max) {
        return number(
            cell, [&] { return what; }, max);
    }
    // The same with the field's name made only when it is needed: once per row adds up.
    template <class Describe>
    requires std::is_invocable_r_v<std::string, Describe> std::optional<uint32_t> number(
        const runtime::SqlCellView& cell, const Describe& what, uint32_t max) {
        if (!cell) return 0u;
        const std::string_view s = trimBlanks(*cell);
        if (s.empty()) return 0u;
        const std::optional<double> d = numeric(s);
        if (!d || !std::isfinite(*d) || *d < 0 || *d > max || *d != std::floor(*d)) {
            fail(what() + " holds " + inQuotes(s) + "; it must be a whole number from 0 to " +
                 std::to_string(max));
            return std::nullopt;
        }
        return static_cast<uint32_t>(*d);
    }

    // Runs a query of this product's rows (its one parameter is the product id).
    bool query(const std::string& table, const std::string& sql, const std::function<void(Cells)>& onRow) {
        const runtime::Value params[] = {runtime::Value(int{id_})};
        long rc = sqlca_.queryValueViews(sql, params, [&](Cells cells) {
            if (out_.error.empty()) onRow(cells);
        });
        if (rc < 0) return fail("The table " + table + " cannot be read: " + sqlca_.sqlErrText);
        return out_.error.empty();
    }

    bool readHeader() {
        bool found = false;
        std::string name, version, label;
        if (!query("PRODUCT",
                   "SELECT PRODNAME, PRODVERS, README, SETUPNORM, SETUPMIN, SETUPCUST, BASEPATH, LABEL "
                   "FROM PRODUCT WHERE ID = ?",
                   [&](Cells c) {
                       found = true;
                       auto& p = out_.product;
                       p.name = text(c[0]);
                       p.version = text(c[1]);
                       p.readmeOffered = flag(c[2]);
                       p.normalOffered = flag(c[3]);
                       p.minimalOffered = flag(c[4]);
                       p.customOffered = flag(c[5]);
                       p.defaultDestination = text(c[6]);
                       label = text(c[7]);
                   }))
            return false;
        if (!found)
            return fail("The product " + std::to_string(id_) + " does not exist in the project database");
        out_.fullName = full_product_name(out_.product.name, out_.product.version, label);
        return true;
    }

    // The single-row page tables; a missing row leaves the page's defaults.
    bool readPages() {
        auto& p = out_.product;
        const std::string where = " WHERE PRODID = ?";
        return query("WINDOWS", "SELECT WELCOME, LICENSE, USERINFO, FINISHED, PROGGROUP FROM WINDOWS" + where,
                     [&](Cells c) {
                         p.showWelcome = flag(c[0]);
                         p.showLicense = flag(c[1]);
                         p.showUser = flag(c[2]);
                         p.showFinished = flag(c[3]);
                         p.useProgramGroup = flag(c[4]);
                     }) &&
               query("WMAIN", "SELECT TITLE, BGCOLOR FROM WMAIN" + where,
                     [&](Cells c) {
                         p.title = text(c[0]);
                         if (auto v = number(c[1], "The background colour (WMAIN.BGCOLOR)", 0xFFFFFFFFu))
                             p.backgroundColour = *v;
                     }) &&
               query("WWELCOME", "SELECT PROTECT FROM WWELCOME" + where,
                     [&](Cells c) { p.protectionWarning = flag(c[0]); }) &&
               query("WLICAGR", "SELECT LICTEXT FROM WLICAGR" + where,
                     [&](Cells c) { p.licenseText = memo(c[0]); }) &&
               query("WUSER", "SELECT REGKEY, PAGETEXT FROM WUSER" + where,
                     [&](Cells c) {
                         p.userKey = text(c[0]);
                         p.userText = memo(c[1]);
                     }) &&
               query("WFINISH", "SELECT FINALTEXT, RESTART, CHOICE1, CHOICE2 FROM WFINISH" + where,
                     [&](Cells c) {
                         p.finishedText = memo(c[0]);
                         p.offerRestart = flag(c[1]);
                         p.restartNowText = text(c[2]);
                         p.restartLaterText = text(c[3]);
                     }) &&
               query("WCREGRP", "SELECT GROUPNAME, PAGETEXT FROM WCREGRP" + where,
                     [&](Cells c) {
                         p.defaultGroup = text(c[0]);
                         p.groupText = memo(c[1]);
                     }) &&
               query("README", "SELECT READMEMODE, CHECKTEXT FROM README" + where,
                     [&](Cells c) {
                         if (auto v = number(c[0], "The readme mode (README.READMEMODE)", 255))
                             p.readmeMode = static_cast<uint8_t>(*v);
                         p.readmeCheckText = text(c[1]);
                     }) &&
               query("PROGRESS", "SELECT PROGTEXT, SHOWFILE FROM PROGRESS" + where, [&](Cells c) {
                   p.progressText = text(c[0]);
                   p.showFileName = flag(c[1]);
               });
    }

    bool readBackgroundTexts() {
        return query("MAINTEXT",
                     "SELECT ID, TEXTLINE, XPOS, YPOS, FONTSIZE, BOLD, ITALIC, UNDERLINE, COLOR, FONTFACE "
                     "FROM MAINTEXT WHERE PRODID = ? ORDER BY ID",
                     [&](Cells c) {
                         build::BackgroundText b;
                         const std::string what = "Background text " + inQuotes(text(c[1]));
                         b.text = text(c[1]);
                         auto x = number(c[2], what + "'s left edge (MAINTEXT.XPOS)", 0xFFFFFFFFu);
                         auto y = number(c[3], what + "'s top edge (MAINTEXT.YPOS)", 0xFFFFFFFFu);
                         auto size = number(c[4], what + "'s character size (MAINTEXT.FONTSIZE)", 0xFFFF);
                         auto colour = number(c[8], what + "'s colour (MAINTEXT.COLOR)", 0xFFFFFFFFu);
                         if (!x || !y || !size || !colour) return;
                         b.left = *x;
                         b.top = *y;
                         b.pointSize = static_cast<uint16_t>(*size);
                         b.bold = flag(c[5]);
                         b.italic = flag(c[6]);
                         b.underline = flag(c[7]);
                         b.colour = *colour;
                         b.faceName = text(c[9]);
                         out_.product.backgroundTexts.push_back(std::move(b));
                     });
    }

    bool readComponents() {
        return query(
            "PROGGRP",
            "SELECT ID, PROGGRPID, NAME, VISIBLE, SETUPTYPES, REQPROGID, DESCRIPT, INSTALLPTH, PATHCHANGE "
            "FROM PROGGRP WHERE PRODID = ? ORDER BY ID",
            [&](Cells c) {
                build::Component k;
                k.name = text(c[2]);
                const std::string what = "Component " + inQuotes(k.name);
                auto id = number(c[0], what + "'s id (PROGGRP.ID)", 0xFFFFFFFFu);
                auto parent = number(c[1], what + "'s parent (PROGGRP.PROGGRPID)", 0xFFFFFFFFu);
                auto types = number(c[4], what + "'s setup types (PROGGRP.SETUPTYPES)", 255);
                auto required = number(c[5], what + "'s required component (PROGGRP.REQPROGID)", 0xFFFFFFFFu);
                if (!id || !parent || !types || !required) return;
                k.id = *id;
                k.parentId = *parent;
                k.visible = flag(c[3]);
                k.setupTypes = static_cast<uint8_t>(*types);
                k.requiredId = *required;
                k.description = memo(c[6]);
                k.destination = text(c[7]);
                k.folderChangeable = flag(c[8]);
                components_[k.id] = k.name;
                out_.product.components.push_back(std::move(k));
            });
    }

    // Every file group, for its files to find; those of no component have their files counted.
    bool readFileGroups() {
        return query(
            "FILEGRP", "SELECT ID, NAME, PROGGRPID FROM FILEGRP WHERE PRODID = ? ORDER BY ID", [&](Cells c) {
                const std::string name = text(c[1]);
                auto component = number(
                    c[2], [&] { return "File group " + inQuotes(name) + "'s component (FILEGRP.PROGGRPID)"; },
                    0xFFFFFFFFu);
                if (!component) return;
                Group g{name, *component, looseGroups_.size()};
                if (*component == 0) looseGroups_.push_back({name, 0});
                // An id that is no number cannot be named by a file.
                if (auto id = c[0] ? numeric(trimBlanks(*c[0])) : std::nullopt) groupsById_.emplace(*id, std::move(g));
            });
    }

    void listLeftOut() {
        for (const auto& g : looseGroups_)
            out_.leftOut.push_back("File group " + inQuotes(g.name) + " (" +
                                   (g.files == 0   ? std::string("no files")
                                    : g.files == 1 ? std::string("1 file")
                                                   : std::to_string(g.files) + " files") +
                                   ")");
        for (auto& r : looseEntries_) out_.leftOut.push_back(std::move(r));
    }

    static std::string rootName(uint32_t root) {
        static const char* const names[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                            "HKEY_USERS"};
        return root >= 1 && root <= 4 ? names[root - 1] : "root " + std::to_string(root);
    }

    bool readRegistry() {
        return query(
            "REGKEYS",
            "SELECT PROGGRPID, ROOTKEY, REGKEY, VALUENAME, REGDATA, VALUETYPE "
            "FROM REGKEYS WHERE PRODID = ? ORDER BY ID",
            [&](Cells c) {
                build::RegistryEntry r;
                r.key = text(c[2]);
                auto what = [&](const char* field) { return "Registry entry " + inQuotes(r.key) + field; };
                auto component = number(
                    c[0], [&] { return what("'s component (REGKEYS.PROGGRPID)"); }, 0xFFFFFFFFu);
                auto root = number(
                    c[1], [&] { return what("'s root (REGKEYS.ROOTKEY)"); }, 255);
                auto type = number(
                    c[5], [&] { return what("'s value type (REGKEYS.VALUETYPE)"); }, 255);
                if (!component || !root || !type) return;
                if (*component == 0) {  // belongs to no component: never written
                    const std::string name = text(c[3]);
                    looseEntries_.push_back(
                        "Registry entry " + rootName(*root) + "\\" + r.key + ", " +
                        (name.empty() ? std::string("its default value") : "value " + inQuotes(name)));
                    return;
                }
                r.componentId = *component;
                r.root = static_cast<uint8_t>(*root);
                r.valueName = text(c[3]);
                r.data = memo(c[4]);
                r.type = static_cast<uint8_t>(*type);
                out_.product.registryEntries.push_back(std::move(r));
            });
    }

    bool readVariables() {
        return query("STRINGS", "SELECT NAME, VALUE FROM STRINGS WHERE PRODID = ? ORDER BY ID", [&](Cells c) {
            out_.product.variables.push_back({text(c[0]), text(c[1])});
        });
    }

    // How many files the product has, so that their lists are made at their size at once; 0
    // when the database cannot tell.
    size_t fileCount() {
        size_t count = 0;
        query("FILE", "SELECT COUNT(*) FROM FILE WHERE PRODID = ?", [&](Cells c) {
            if (auto n = c[0] ? numeric(trimBlanks(*c[0])) : std::nullopt; n && *n > 0 && *n < 1e7)
                count = static_cast<size_t>(*n);
        });
        return count;
    }

    bool readFiles() {
        auto& files = out_.product.files;
        if (const size_t count = fileCount()) {
            files.reserve(count);
            groupOf_.reserve(count);
            installedAs_.reserve(count);
        }
        if (!out_.error.empty()) return false;
        // Each source is looked at on helper threads while the rows still come.
        std::mutex badMutex;
        size_t bad = SIZE_MAX;  // the first file that cannot be read
        int badErrno = 0;       // errno, or -1: not a file
        platform::ParallelFeed check([&](size_t i) {
            struct stat st {};
            int problem = 0;
            if (::stat(files[i].source.c_str(), &st) != 0)
                problem = errno ? errno : ENOENT;
            else if (!S_ISREG(st.st_mode))
                problem = -1;
            if (problem == 0) return;
            std::lock_guard lock(badMutex);
            if (i < bad) {
                bad = i;
                badErrno = problem;
            }
        });
        const bool read = query(
            "FILE",
            // The three flags come as one number's bits, set where a flag holds exactly 1: every
            // cell costs the driver a text of its own.
            "SELECT PATH, LINKTEXT, FILEGRPID, (CASE WHEN README = 1 THEN 1 ELSE 0 END) + "
            "(CASE WHEN EXE = 1 THEN 2 ELSE 0 END) + (CASE WHEN SHARED = 1 THEN 4 ELSE 0 END) "
            "FROM FILE WHERE PRODID = ? ORDER BY ID",
            [&](Cells c) {
                std::string path = text(c[0]);
                // The messages are made only for a file that fails.
                auto what = [&] { return "The file " + inQuotes(path); };
                const std::optional<double> groupId = c[2] ? numeric(trimBlanks(*c[2])) : std::nullopt;
                const auto found = groupId ? groupsById_.find(*groupId) : groupsById_.end();
                if (found == groupsById_.end()) {
                    fail(what() + " belongs to a file group that does not exist (" + text(c[2]) + ")");
                    return;
                }
                const Group& owner = found->second;
                const uint32_t component = owner.component;
                const std::string_view group = owner.name;
                if (component == 0) {  // left out with its file group
                    ++looseGroups_[owner.loose].files;
                    return;
                }
                if (!components_.count(component)) {
                    fail(what() + " cannot be placed: its file group " + inQuotes(group) +
                         " belongs to a component that does not exist (" + std::to_string(component) + ")");
                    return;
                }
                auto where = [&] {
                    return what() + " of the file group " + inQuotes(group) + " (component " +
                           inQuotes(components_.at(component)) + ")";
                };
                build::ProductFile f;
                f.componentId = component;
                size_t slash = path.find_last_of("\\/");
                f.name = slash == std::string::npos ? path : path.substr(slash + 1);
                const std::optional<double> flags = c[3] ? numeric(trimBlanks(*c[3])) : std::nullopt;
                const unsigned bits = flags && *flags >= 0 && *flags <= 7 ? static_cast<unsigned>(*flags) : 0u;
                f.readme = (bits & 1u) != 0;
                f.shortcut = (bits & 2u) != 0;
                f.linkText = text(c[1]);
                f.shared = (bits & 4u) != 0;
                if (path.empty()) {
                    fail("A file of the file group " + inQuotes(group) + " (component " +
                         inQuotes(components_.at(component)) + ") has no path");
                    return;
                }
                const bool asStored = isHostPath(path);
                if (!asStored) {
                    platform::Result<fs::path> host = machine_.hostPath(path);
                    if (!host) {
                        fail(where() + " cannot be read: " + host.error().text);
                        return;
                    }
                    f.source = host->native();
                }
                // Growing the list moves the sources that the helpers read.
                if (files.size() == files.capacity()) check.wait();
                files.push_back(std::move(f));
                // Windows names are the same whatever their letter case: the second file would
                // be installed over the first.
                if (const size_t same = installedAs_.add(files.size() - 1); same != InstalledNames::None) {
                    fail("The files " + inQuotes(storedPath(same)) + " and " + inQuotes(path) +
                         " would both be installed as " + inQuotes(files.back().name) + " of the component " +
                         inQuotes(components_.at(component)));
                    files.pop_back();
                    return;
                }
                // The path as stored is kept only where it differs from the source.
                if (asStored) {
                    files.back().source = std::move(path);
                } else {
                    paths_.resize(files.size());
                    paths_.back() = std::move(path);
                }
                groupOf_.push_back(&owner);
                if (files.size() % check.Batch == 0) check.offer(files.size());
            });
        check.finish(files.size());
        // A file that cannot be read stops the build before any other fault of a later row.
        if (bad == SIZE_MAX) return read;
        const int e = badErrno;
        out_.error = "The file " + inQuotes(storedPath(bad)) + " of the file group " +
                     inQuotes(groupOf_[bad]->name) + " (component " +
                     inQuotes(components_.at(files[bad].componentId)) + ") cannot be read: " +
                     (e == -1                       ? std::string("it is not a file")
                      : e == ENOENT || e == ENOTDIR ? std::string("it does not exist")
                                                    : std::string(std::strerror(e)));
        return false;
    }

    // The path of a file as the database holds it.
    const std::string& storedPath(size_t i) const {
        return i < paths_.size() && !paths_[i].empty() ? paths_[i] : out_.product.files[i].source;
    }

    // A host path is read as it stands; a Windows path goes through the machine's drives. Earlier
    // versions joined a host folder and a name with a backslash: such a path is read with its
    // backslashes as "/" when it does not exist as written.
    static bool isHostPath(const std::string& path) {
        if (path.front() != '/') return false;
        std::error_code ec;
        return path.find('\\') == std::string::npos || fs::exists(fs::path(path), ec);
    }

    struct LooseGroup {
        std::string name;
        size_t files = 0;
    };

    runtime::Transaction& sqlca_;
    int16_t id_;
    const platform::Machine& machine_;
    ProjectProduct out_;
    std::map<uint32_t, std::string> components_;
    InstalledNames installedAs_{out_.product.files};
    std::vector<std::string> paths_;  // a file's path as the database holds it, where it is not its source
    std::vector<LooseGroup> looseGroups_;
    struct Group {
        std::string name;
        uint32_t component;
        size_t loose;  // its place in looseGroups_ when it has no component
    };
    std::unordered_map<double, Group> groupsById_;  // by the id's value, as the database compares them
    std::vector<const Group*> groupOf_;             // each file's group; the map's entries stay put
    std::vector<std::string> looseEntries_;
};

}  // namespace

std::string full_product_name(std::string_view name, std::string_view version, std::string_view label) {
    std::string first(trimBlanks(std::string(name) + " " + std::string(version)));
    return std::string(trimBlanks(first + " " + std::string(label)));
}

ProjectProduct read_project_product(runtime::Transaction& sqlca, int16_t prodId,
                                    const platform::Machine& machine) {
    return Reader(sqlca, prodId, machine).read();
}

}  // namespace pakomo
