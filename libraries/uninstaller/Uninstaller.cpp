#include "libraries/uninstaller/Uninstaller.h"

#include "libraries/uninstaller/UninstallRecord.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <unordered_set>

namespace uninstaller {
namespace {

using platform::err::DirNotEmpty;
using platform::err::FileNotFound;
using platform::err::KeyHasChildren;
using platform::err::PathNotFound;

std::string foldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

// Entries that are the same without regard to case have the same key; so do paths of files and
// folders that differ only in their separators. In a registry key "/" is part of a name.
std::string foldedKey(const Entry& e) {
    std::string name = foldCase(e.name);
    if (e.type == record::File || e.type == record::Folder) std::replace(name.begin(), name.end(), '/', '\\');
    return std::string(1, char(e.type)) + '\0' + name + '\0' + foldCase(e.value);
}

bool isMissing(uint32_t code) { return code == FileNotFound || code == PathNotFound; }

class Remover {
public:
    explicit Remover(const platform::Machine& machine)
        : files_(machine, platform::WriteScope::MachineDrives), registry_(machine) {}

    // Until its commit, the registry's changes are kept in memory and written at once.
    platform::Result<platform::RegistryBatch> beginBatch() { return registry_.beginBatch(); }

    // False when the entry must stay in the record: it failed, or it may still go on a later run.
    // `hive` tells the root whose hive it changed (a key, a value or a shared count), if any.
    bool remove(const Entry& e, std::optional<platform::RegRoot>& hive) {
        const size_t before = problems.size();
        hive.reset();
        if (e.type > record::Folder) hive = static_cast<platform::RegRoot>(e.type - 1);
        bool gone = true;
        if (e.type == record::File) {
            if (removeFile(e.name)) hive = platform::RegRoot::LocalMachine;
        } else if (e.type == record::Folder) gone = removeFolder(e.name);
        else gone = removeRegistry(static_cast<platform::RegRoot>(e.type - 1), e.name, e.value);
        return gone && problems.size() == before;
    }

    // The registration goes last, and only when everything else went.
    void unregister(const std::string& displayName) {
        const std::string key = std::string(UninstallKey) + "\\" + displayName;
        constexpr auto hklm = platform::RegRoot::LocalMachine;
        if (auto values = registry_.values(hklm, key)) {
            for (const auto& v : *values) note(registry_.deleteValue(hklm, key, v.name), key + "\\" + v.name);
        }
        auto s = registry_.deleteKey(hklm, key);
        if (s.code() != KeyHasChildren) note(s, "key " + key);
    }

    void removeRecord(const std::string& path) { note(files_.remove(path), path); }

    std::vector<std::string> problems;
    std::vector<std::pair<std::string, std::vector<std::string>>> kept;

private:
    void note(const platform::Status& s, const std::string& what) {
        if (!s.ok() && !isMissing(s.code())) problems.push_back(what + ": " + s.error().text);
    }

    // A shared file goes only with its last use; its count is counted down otherwise. True when
    // the file had a count.
    bool removeFile(const std::string& path) {
        auto count = registry_.queryValue(platform::RegRoot::LocalMachine, SharedDllsKey, path);
        const bool counted = count && count->type == platform::regtype::Dword && count->data.size() == 4;
        if (counted) {
            const uint32_t n = uint32_t(count->data[0]) | uint32_t(count->data[1]) << 8 |
                               uint32_t(count->data[2]) << 16 | uint32_t(count->data[3]) << 24;
            if (n > 1) {
                note(registry_.setDword(platform::RegRoot::LocalMachine, SharedDllsKey, path, n - 1),
                     "shared count of " + path);
                return true;
            }
            note(registry_.deleteValue(platform::RegRoot::LocalMachine, SharedDllsKey, path),
                 "shared count of " + path);
        }
        if (files_.exists(path) && !files_.isFolder(path)) note(files_.remove(path), path);
        return counted;
    }

    bool removeFolder(const std::string& path) {
        if (!files_.isFolder(path)) return true;
        auto s = files_.removeFolder(path);
        if (s.code() == DirNotEmpty) {
            // It still holds the user's files: they are named, folders the record keeps aside.
            std::vector<std::string> names;
            if (auto entries = files_.entries(path)) {
                for (const auto& name : *entries)
                    if (!keptFolders_.contains(foldCase(path + "\\" + name))) names.push_back(name);
            }
            keptFolders_.insert(foldCase(path));
            if (!names.empty()) kept.emplace_back(path, std::move(names));
            return false;
        }
        note(s, path);
        return true;
    }

    // A value goes; an entry without a value name stands for a key or its default value, so the
    // default value goes and the key only when nothing is left in it.
    bool removeRegistry(platform::RegRoot root, const std::string& key, const std::string& value) {
        const std::string where = std::string(platform::rootName(root)) + "\\" + key;
        note(registry_.deleteValue(root, key, value), where + "\\" + value);
        if (!value.empty()) return true;
        auto exists = registry_.keyExists(root, key);
        if (!exists || !*exists) return true;
        auto values = registry_.values(root, key);
        if (!values || !values->empty()) return false;
        auto s = registry_.deleteKey(root, key);  // refused while it has subkeys
        if (s.code() == KeyHasChildren) return false;
        note(s, where);
        return true;
    }

    platform::Files files_;
    platform::Registry registry_;
    std::unordered_set<std::string> keptFolders_;  // without regard to case
};

std::string rewriteRecord(const std::filesystem::path& host, const UninstallRecord& left) {
    const std::vector<uint8_t> bytes = encodeUninstallRecord(left);
    std::filesystem::path temp = host;
    temp += ".new";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) return "the uninstall record cannot be updated";
    }
    std::error_code ec;
    std::filesystem::rename(temp, host, ec);
    return ec ? "the uninstall record cannot be updated: " + ec.message() : std::string();
}

}  // namespace

Outcome uninstall(const platform::Machine& machine, std::string_view recordPath) {
    Outcome outcome;
    auto host = machine.hostPath(recordPath);
    std::vector<uint8_t> bytes;
    std::string unreadable;
    if (!host) {
        unreadable = host.error().text;
    } else {
        std::ifstream in(*host, std::ios::binary);
        if (!in.is_open()) unreadable = platform::systemErrorText(platform::err::FileNotFound);
        else bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) unreadable = platform::systemErrorText(platform::err::CantRead);
    }
    if (!unreadable.empty()) {
        outcome.kind = Outcome::BadRecord;
        outcome.message = "Cannot read the uninstall record " + std::string(recordPath) + ": " + unreadable;
        return outcome;
    }
    std::string why;
    auto record = parseUninstallRecord(bytes, why);
    if (!record) {
        outcome.kind = Outcome::BadRecord;
        outcome.message = "The uninstall record " + std::string(recordPath) + " is damaged (" + why +
                          "); nothing has been removed.";
        return outcome;
    }

    // Only the machine's own drives are changed: a record that names anything else, or that lies
    // elsewhere itself, was not written by Setup and is refused as a whole.
    auto outside = [&](std::string_view path) {
        auto changeable = machine.changeablePath(path);
        return !changeable && changeable.code() == platform::err::AccessDenied;
    };
    auto refuse = [&](std::string_view path) {
        outcome.kind = Outcome::BadRecord;
        outcome.message = "The uninstall record " + std::string(recordPath) + " names " + std::string(path) +
                          ", which lies outside this machine's drives; nothing has been removed.";
        return outcome;
    };
    if (outside(recordPath)) {
        outcome.kind = Outcome::BadRecord;
        outcome.message = "The uninstall record " + std::string(recordPath) +
                          " lies outside this machine's drives; nothing has been removed.";
        return outcome;
    }
    for (const Entry& e : record->entries) {
        if ((e.type == record::File || e.type == record::Folder) && outside(e.name)) return refuse(e.name);
    }

    // Things were logged before they were made, parents first: undo them newest first.
    Remover remover(machine);
    // Repeats (an earlier record's entries, perhaps in another case) are undone once.
    auto batch = remover.beginBatch();  // without one, each change is written on its own
    const auto& entries = record->entries;
    std::unordered_set<std::string> seen;
    seen.reserve(entries.size());
    std::vector<bool> keep(entries.size());
    std::vector<std::optional<platform::RegRoot>> hives(entries.size());
    for (size_t i = entries.size(); i-- > 0;) {
        if (!seen.insert(foldedKey(entries[i])).second) continue;
        keep[i] = !remover.remove(entries[i], hives[i]);
    }
    if (remover.problems.empty()) remover.unregister(record->displayName);
    if (batch) {
        if (auto s = batch->commit(); !s) {
            // What changed a hive that was not written stays for the next run.
            remover.problems.push_back("the registry: " + s.error().text);
            for (size_t i = 0; i < entries.size(); ++i)
                if (hives[i] && !batch->reached(*hives[i])) keep[i] = true;
        }
    }
    if (remover.problems.empty()) remover.removeRecord(std::string(recordPath));
    UninstallRecord left{record->displayName, {}};
    for (size_t i = 0; i < entries.size(); ++i)
        if (keep[i]) left.entries.push_back(entries[i]);
    outcome.kept = std::move(remover.kept);
    if (!remover.problems.empty()) {
        // What is gone leaves the record, so that a second run does not count a shared file down
        // twice; what failed, and folders and keys that may yet empty, stay for that run.
        outcome.kind = Outcome::Incomplete;
        outcome.problems = std::move(remover.problems);
        if (auto s = rewriteRecord(*host, left); !s.empty()) outcome.problems.push_back(s);
    }
    return outcome;
}

std::string recordPathFromArguments(int argc, char** argv) {
    std::string path;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) path += ' ';
        path += argv[i];
    }
    return path;
}

}  // namespace uninstaller
