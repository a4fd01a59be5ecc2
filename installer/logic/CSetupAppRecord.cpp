// The change log, the uninstall record and its registration, and the rollback of a run that did
// not complete.
#include "installer/logic/CSetupApp.h"
#include "installer/logic/SafeNames.h"
#include "installer/logic/SetupLayout.h"

#include <algorithm>
#include <fstream>

namespace setup {

bool CSetupApp::AddLogEntry(uint8_t type, std::string_view name, std::string_view value, EntryOrigin origin) {
    if (testMode) return false;
    // Callers refuse longer texts before they create anything: a cut text names something else.
    if (name.size() > layout::uninstall::MaxText || value.size() > layout::uninstall::MaxText) return false;
    UninstallEntry entry{type, std::string(name), std::string(value)};
    if (changeLog.FindLogEntry(entry)) return false;
    changeLog.AppendLogEntry(std::move(entry), origin);
    return true;
}

bool CSetupApp::LogValueIfNew(platform::RegRoot root, std::string_view key, std::string_view valueName) {
    if (registry_.queryValue(root, key, valueName)) return false;
    uint8_t type = LogTypeOfRoot(root);
    if (type <= entrytype::Folder) return false;
    return AddLogEntry(type, key, valueName, EntryOrigin::Value);
}

std::string CSetupApp::DisplayName() const { return ExpandVariables("^PRODUCTNAME^ ^PRODUCTVERSION^"); }

bool CSetupApp::LoadUninstallRecord() {
    if (testMode) return true;
    std::string compact = ExpandVariables("^PRODUCTNAME^^PRODUCTVERSION^");
    std::erase_if(compact, [](char c) { return c == ' ' || c == '.'; });
    std::string display = DisplayName();
    // The names become a file name in the Windows folder and one key below Uninstall.
    std::string fileName = "Uninst" + compact + ".RUX";
    if (!IsSafeSingleName(fileName) || display.find('\\') != std::string::npos) {
        ShowSystemError(platform::err::InvalidName, display);
        return false;
    }
    uninstallRecordPath = LookupVariable("WINDOWSDIR") + "\\" + fileName;
    if (!CheckPathFits(uninstallRecordPath)) return false;
    earlierRecordDamaged_ = false;
    if (!files_.exists(uninstallRecordPath)) return true;
    auto host = files_.openForRead(uninstallRecordPath);
    if (!host) return true;
    std::ifstream in(*host, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto record = DecodeUninstallRecord(bytes);
    if (!record) {
        // Kept aside when the new record is written, never taken in as delete orders.
        earlierRecordDamaged_ = true;
        return true;
    }
    // Taken as they stand, repeats included: the new record is the earlier one followed by this run's.
    for (auto& entry : record->entries) changeLog.AppendLogEntry(std::move(entry), EntryOrigin::EarlierRecord);
    return true;
}

bool CSetupApp::WriteUninstallRecord() {
    if (testMode) return true;
    const std::string display = DisplayName();
    const std::string& path = uninstallRecordPath;
    if (path.empty()) return false;
    // A damaged earlier record is kept aside, not written over: it may still name what was installed.
    if (earlierRecordDamaged_) {
        if (auto moved = files_.move(path, path + ".damaged"); !moved) {
            ShowWriteError(moved.code(), path + ".damaged");
            return false;
        }
    }
    auto bytes = EncodeUninstallRecord(display, changeLog.entries);
    auto host = files_.openForWrite(path);
    if (!host) {
        ShowSystemError(host.code(), path);
        return false;
    }
    // Written beside and renamed, so that a failed write leaves no half record.
    auto temporary = host->string() + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            std::filesystem::remove(temporary, ec);
            ShowSystemError(platform::err::HandleDiskFull, path);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, *host, ec);
    if (ec) {
        uint32_t code = platform::errorFromErrno(ec.value());
        std::filesystem::remove(temporary, ec);
        ShowSystemError(code, path);
        return false;
    }
    // Registered only once the record it names is in place, all three changes at once.
    const auto root = platform::RegRoot::LocalMachine;
    std::string key = std::string(UninstallKeyPrefix) + display;
    std::string command = LookupVariable("WINDOWSDIR") + "\\RUXUninst " + path;
    auto batch = registry_.beginBatch();
    platform::Status registered = batch ? platform::Status() : platform::Status(batch.error());
    if (registered) {
        if (auto created = registry_.createKey(root, key); !created) registered = created.error();
    }
    if (registered) registered = registry_.setString(root, key, "DisplayName", display);
    if (registered) registered = registry_.setString(root, key, "UninstallString", command);
    if (registered) registered = batch->commit();
    if (!registered) {
        if (batch) batch->drop();
        // The run is rolled back: the record goes back to what it was before it.
        PutBackEarlierRecord();
        ShowWriteError(registered.code(), RegistryName(root, key));
        return false;
    }
    // The run is complete: the originals it replaced are needed no more.
    DiscardKept();
    return true;
}

void CSetupApp::PutBackEarlierRecord() {
    const std::string& path = uninstallRecordPath;
    std::vector<UninstallEntry> earlier;
    for (std::size_t i = 0; i < changeLog.entries.size(); ++i)
        if (changeLog.origins[i] == EntryOrigin::EarlierRecord) earlier.push_back(changeLog.entries[i]);
    // Best effort after a failure already reported: a record that stays lists only what an
    // uninstall finds missing and passes over.
    if (earlierRecordDamaged_) {
        (void)files_.remove(path);
        (void)files_.move(path + ".damaged", path);
        return;
    }
    if (earlier.empty()) {
        (void)files_.remove(path);
        return;
    }
    auto bytes = EncodeUninstallRecord(DisplayName(), earlier);
    if (auto host = files_.openForWrite(path)) {
        std::ofstream out(*host, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
}

// ---- Rollback ----

// Clean-up after a failure already reported: what cannot be removed stays, and nothing more can be
// done about it than the box the run has shown.
void CSetupApp::RemoveEntry(const UninstallEntry& entry, EntryOrigin origin) {
    switch (origin) {
        case EntryOrigin::File: (void)files_.remove(entry.name); break;
        case EntryOrigin::Folder: (void)files_.removeFolder(entry.name); break;  // only when empty
        case EntryOrigin::Key:
            if (auto root = RootOfLogType(entry.type)) {
                // A new key's default value has no entry of its own: it equals the key's.
                (void)registry_.deleteValue(*root, entry.name, "");
                auto subkeys = registry_.subkeys(*root, entry.name);
                auto values = registry_.values(*root, entry.name);
                if (subkeys && subkeys->empty() && values && values->empty()) (void)registry_.deleteKey(*root, entry.name);
            }
            break;
        case EntryOrigin::Value:
            if (auto root = RootOfLogType(entry.type)) (void)registry_.deleteValue(*root, entry.name, entry.value);
            break;
        case EntryOrigin::EarlierRecord:
        case EntryOrigin::ExistedBefore: break;
    }
}

void CSetupApp::RollBackInstallation() {
    if (testMode) return;
    // Every registry change of the rollback reaches the hives at once, at the end.
    auto batch = registry_.beginBatch();
    // Newest first: values before their keys, files before their folders.
    for (std::size_t i = changeLog.entries.size(); i-- > 0;) {
        RestoreKeptSince(i + 1);  // what was replaced after this entry was made
        if (changeLog.origins[i] == EntryOrigin::EarlierRecord) continue;
        RemoveEntry(changeLog.entries[i], changeLog.origins[i]);
        changeLog.RemoveLogEntry(i);
    }
    RestoreKeptSince(0);
    const auto root = platform::RegRoot::LocalMachine;
    for (auto it = raisedSharedCounts_.rbegin(); it != raisedSharedCounts_.rend(); ++it) {
        auto v = registry_.queryValue(root, SharedDllsKey, *it);
        if (!v || v->type != platform::regtype::Dword || v->data.size() != 4) continue;
        uint32_t count = uint32_t(v->data[0]) | uint32_t(v->data[1]) << 8 | uint32_t(v->data[2]) << 16 |
                         uint32_t(v->data[3]) << 24;
        if (count <= 1)
            (void)registry_.deleteValue(root, SharedDllsKey, *it);
        else
            (void)registry_.setDword(root, SharedDllsKey, *it, count - 1);
    }
    raisedSharedCounts_.clear();
    // As for RemoveEntry: the run has reported its failure already.
    if (batch) (void)batch->commit();
}

}  // namespace setup
