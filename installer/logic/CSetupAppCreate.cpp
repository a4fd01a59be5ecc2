// Logged creation of folders, the program group and registry keys, and the writers of files,
// shortcuts, shared counts and registry entries.
#include "installer/logic/CSetupApp.h"
#include "installer/logic/SafeNames.h"
#include "installer/logic/StringTable.h"
#include "platform/ShellLink.h"

#include <algorithm>

namespace setup {

namespace {

std::string withBackslashes(std::string_view path) {
    std::string p(path);
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

// "X:\..." or a UNC path; anything else would be created relative to some current folder.
bool isAbsoluteFolder(std::string_view p) {
    bool drive = p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && p[2] == '\\';
    return drive || p.starts_with("\\\\");
}

}  // namespace

// ---- Folders ----

bool CSetupApp::CreateFolder(std::string_view path) {
    if (testMode) return true;
    if (files_.exists(path)) return files_.isFolder(path);
    AddLogEntry(entrytype::Folder, path, "", EntryOrigin::Folder);
    return files_.createFolder(path).ok() || files_.isFolder(path);
}

bool CSetupApp::CreateFolderPath(std::string_view pathText) {
    if (testMode) return true;
    std::string path = withBackslashes(pathText);
    // A closing backslash names the same folder; a drive root has no level to create.
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (!isAbsoluteFolder(path)) {
        ShowSystemError(platform::err::BadPathname, path);
        return false;
    }
    if (!CheckPathFits(path)) return false;
    // The first level below the drive (or below \\server\share).
    std::size_t first = path.starts_with("\\\\") ? path.find('\\', path.find('\\', 2) + 1) : 2;
    if (first == std::string::npos || first + 1 >= path.size()) return true;
    std::vector<std::string> levels;
    for (std::size_t i = first + 1; i < path.size(); ++i)
        if (path[i] == '\\') levels.push_back(path.substr(0, i));
    levels.push_back(path);
    for (const auto& level : levels) {
        while (!CreateFolder(level)) {
            if (ui_.MessageBox(ids::FailedCreateFolder, MsgButtons::RetryCancel, MsgIcon::Exclamation, level) !=
                answer::Retry)
                return false;
        }
    }
    return true;
}

bool CSetupApp::CreateProgramGroup() {
    if (testMode) return true;
    programGroupFolder.clear();
    std::string programs = machine_.programsFolder();
    if (programs.empty()) return false;
    // The group stays inside Programs, whatever the user typed; a nested group ("Outer\Inner") is
    // made only when its outer folder is there already.
    if (!IsSafeRelativePath(programGroupName)) {
        ui_.MessageBox(ids::FailedCreateProgramGroup, MsgButtons::Ok, MsgIcon::Exclamation, programGroupName);
        return false;
    }
    std::string folder = programs + "\\" + programGroupName;
    if (!CheckPathFits(folder)) return false;
    while (!CreateFolder(folder)) {
        if (ui_.MessageBox(ids::FailedCreateProgramGroup, MsgButtons::RetryCancel, MsgIcon::Exclamation,
                           programGroupName) != answer::Retry)
            return false;
    }
    programGroupFolder = folder;
    return true;
}

// ---- Registry keys ----

uint8_t CSetupApp::LogTypeOfRoot(platform::RegRoot root) {
    switch (root) {
        case platform::RegRoot::ClassesRoot: return entrytype::ClassesRoot;
        case platform::RegRoot::CurrentUser: return entrytype::CurrentUser;
        case platform::RegRoot::LocalMachine: return entrytype::LocalMachine;
        case platform::RegRoot::Users: return entrytype::Users;
    }
    return 0;
}

std::optional<platform::RegRoot> CSetupApp::RootOfLogType(uint8_t type) {
    switch (type) {
        case entrytype::ClassesRoot: return platform::RegRoot::ClassesRoot;
        case entrytype::CurrentUser: return platform::RegRoot::CurrentUser;
        case entrytype::LocalMachine: return platform::RegRoot::LocalMachine;
        case entrytype::Users: return platform::RegRoot::Users;
        default: return std::nullopt;
    }
}

bool CSetupApp::CreateRegistryKey(platform::RegRoot root, std::string_view key) {
    if (testMode) return true;
    auto created = registry_.createKey(root, key);
    if (!created) {
        // The values that the run is about to write would go nowhere.
        ShowWriteError(created.code(), RegistryName(root, key));
        return false;
    }
    if (*created) AddLogEntry(LogTypeOfRoot(root), key, "", EntryOrigin::Key);
    return true;
}

bool CSetupApp::CreateRegistryKeyPath(platform::RegRoot root, std::string_view keyText) {
    if (testMode) return true;
    std::string key(keyText);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    if (key.empty()) return true;
    if (!CheckPathFits(key)) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (key[i] == '\\' && i > 0 && key[i - 1] != '\\' && !CreateRegistryKey(root, key.substr(0, i)))
            return false;
    return CreateRegistryKey(root, key);
}

// ---- Files ----

bool CSetupApp::ShouldReplaceFile(std::string_view tempPath, std::string_view destination, std::size_t fileIndex) {
    // Existence by the file's attributes: a file that is there but locked is still there.
    if (!files_.exists(destination) || files_.inUse(destination)) return true;
    auto newVersion = files_.fileVersion(tempPath);
    auto oldVersion = files_.fileVersion(destination);
    if (newVersion && *newVersion && oldVersion && *oldVersion) {
        const auto& a = **newVersion;
        const auto& b = **oldVersion;
        if (a.fileVersionMS != b.fileVersionMS) return a.fileVersionMS > b.fileVersionMS;
        if (a.fileVersionLS != b.fileVersionLS) return a.fileVersionLS > b.fileVersionLS;
    }
    auto times = files_.times(destination);
    if (!times) return true;
    return info().files.at(fileIndex).time > times->lastWrite.ticks;
}

bool CSetupApp::CopyInstalledFile(std::string_view tempPath, std::string_view destination, uint32_t) {
    if (testMode) return true;
    if (!CheckPathFits(destination) || !CheckChangeable(destination)) return false;
    // Subfolders that the file's name brings are created and logged like the component's folder.
    std::string dest = withBackslashes(destination);
    if (auto slash = dest.rfind('\\'); slash != std::string::npos && !CreateFolderPath(dest.substr(0, slash)))
        return false;
    if (files_.exists(dest)) {
        // Written over, a file keeps its name as it is spelt, as on Windows; the original is
        // kept aside until the run has ended, so that a rollback can put it back.
        dest = ExistingSpelling(dest);
        if (!KeepReplacedFile(dest)) return false;
    } else {
        AddLogEntry(entrytype::File, dest, "", EntryOrigin::File);
    }
    // The destination takes the decompressed file itself, which saves writing it twice; a copy
    // where it cannot be moved.
    if (files_.move(tempPath, dest)) return true;
    auto copied = files_.copy(tempPath, dest);
    if (!copied) {
        ui_.CopyErrorBox(dest, copied.error().text);
        return false;
    }
    return true;
}

uint32_t CSetupApp::CreateShortcut(std::string_view workingFolder, std::string_view target, std::string_view text) {
    if (testMode) return 0;
    // Without a program group there is no folder for links; never the drive's root.
    if (programGroupFolder.empty()) return platform::err::PathNotFound;
    if (!IsSafeSingleName(text)) {
        ShowSystemError(platform::err::InvalidName, text);
        return platform::err::InvalidName;
    }
    std::string link = programGroupFolder + "\\" + std::string(text) + ".lnk";
    if (!CheckPathFits(link)) return platform::err::FilenameExcedRange;
    if (!CheckChangeable(link)) return platform::err::AccessDenied;
    const bool existed = files_.exists(link);
    AddLogEntry(entrytype::File, link, "", existed ? EntryOrigin::ExistedBefore : EntryOrigin::File);
    if (existed) link = ExistingSpelling(link);
    if (existed && !KeepReplacedFile(link)) return platform::err::AccessDenied;
    platform::ShellLink shellLink{std::string(target), std::string(text), std::string(workingFolder)};
    auto written = platform::writeShellLink(machine_, link, shellLink);
    if (!written) ShowWriteError(written.code(), link);
    return written.code();
}

bool CSetupApp::RaiseSharedCount(std::string_view destination) {
    if (testMode) return true;
    const auto root = platform::RegRoot::LocalMachine;
    // A missing SharedDLLs key is created, so that the count is kept.
    if (auto made = registry_.createKey(root, SharedDllsKey); !made) {
        ShowWriteError(made.code(), RegistryName(root, SharedDllsKey));
        return false;
    }
    uint32_t count = 0;
    if (auto v = registry_.queryValue(root, SharedDllsKey, destination);
        v && v->type == platform::regtype::Dword && v->data.size() == 4)
        count = uint32_t(v->data[0]) | uint32_t(v->data[1]) << 8 | uint32_t(v->data[2]) << 16 | uint32_t(v->data[3]) << 24;
    // Another product's uninstall would take the file away from this one without its count.
    if (auto s = registry_.setDword(root, SharedDllsKey, destination, count + 1); !s) {
        ShowWriteError(s.code(), RegistryName(root, SharedDllsKey, destination));
        return false;
    }
    raisedSharedCounts_.emplace_back(destination);
    return true;
}

// ---- Registry entries ----

uint8_t CSetupApp::HexPairToByte(const char* pair) {
    auto digit = [](char c) {
        int code = static_cast<unsigned char>(c) | 0x20;
        return code >= 'a' ? code - 'a' + 10 : code - '0';
    };
    return static_cast<uint8_t>(digit(pair[0]) * 16 + digit(pair[1]));
}

bool CSetupApp::WriteRegistryEntries(uint32_t componentId) {
    if (testMode) return true;
    namespace rt = platform::regtype;
    for (const auto& entry : info().registryEntries) {
        if (entry.componentId != componentId) continue;
        auto root = RootOfLogType(static_cast<uint8_t>(entry.root + 1));
        if (!root) break;  // an unknown root ends this component's entries
        std::string key = ExpandVariables(entry.key);
        std::string name = ExpandVariables(entry.valueName);
        const std::string& text = entry.data;
        std::vector<uint8_t> data;
        switch (entry.valueType) {
            case rt::Sz:
            case rt::ExpandSz: {
                std::string expanded = ExpandVariables(std::string_view(text.c_str()));
                data.assign(expanded.begin(), expanded.end());
                data.push_back(0);
                break;
            }
            case rt::Dword:
            case rt::DwordBigEndian: {
                // Two prefix characters and eight digits; shorter data names no number.
                if (text.size() < 10) continue;
                for (int i = 0; i < 4; ++i) data.push_back(HexPairToByte(text.c_str() + 2 + 2 * i));
                if (entry.valueType == rt::Dword) std::reverse(data.begin(), data.end());
                break;
            }
            case 255: data.assign(text.begin(), text.end()); break;
            default:
                if (entry.valueType > rt::ResourceRequirementsList) continue;  // no defined form
                for (std::size_t i = 0; i < (text.size() + 1) / 3; ++i) data.push_back(HexPairToByte(&text[3 * i]));
                break;
        }
        // A value that cannot be written fails the run like a file that cannot be copied.
        if (!CheckPathFits(key) || !CheckPathFits(name) || !CreateRegistryKeyPath(*root, key)) return false;
        if (auto opened = registry_.openKey(*root, key); !opened) {
            ShowWriteError(opened.code(), RegistryName(*root, key));
            return false;
        }
        if (auto old = registry_.queryValue(*root, key, name))
            KeepReplacedValue(*root, key, std::move(*old));
        else
            LogValueIfNew(*root, key, name);
        if (auto set = registry_.setValue(*root, key, name, entry.valueType, data); !set) {
            ShowWriteError(set.code(), RegistryName(*root, key, name));
            return false;
        }
    }
    return true;
}

bool CSetupApp::WriteComponentRegistry(uint32_t componentId, std::span<const std::string> sharedFiles) {
    if (testMode) return true;
    // Without a batch every change is written on its own, as outside one.
    auto batch = registry_.beginBatch();
    const std::size_t raisedBefore = raisedSharedCounts_.size();
    bool written = true;
    for (const auto& destination : sharedFiles) {
        if (!(written = RaiseSharedCount(destination))) break;
    }
    if (written) written = WriteRegistryEntries(componentId);
    if (!batch) return written;
    if (!written) {
        // Nothing of the component reaches the hives; the rollback lowers only counts that were.
        batch->drop();
        raisedSharedCounts_.resize(raisedBefore);
        return false;
    }
    if (auto s = batch->commit(); !s) {
        // The rollback lowers only counts that were raised.
        if (!batch->reached(platform::RegRoot::LocalMachine)) raisedSharedCounts_.resize(raisedBefore);
        ShowSystemError(s.code(), "");
        return false;
    }
    return true;
}

std::string CSetupApp::RegistryName(platform::RegRoot root, std::string_view key,
                                    std::optional<std::string_view> value) {
    std::string out = std::string(platform::rootName(root)) + "\\" + std::string(key);
    if (value) out += value->empty() ? std::string(" (default value)") : "\\" + std::string(*value);
    return out;
}

void CSetupApp::ShowWriteError(uint32_t code, std::string_view what) {
    // Never silent: a code without a system text still names what was not written.
    if (platform::systemErrorText(code).empty())
        ui_.SystemErrorBox("Error " + std::to_string(code), what);
    else
        ShowSystemError(code, what);
}

}  // namespace setup
