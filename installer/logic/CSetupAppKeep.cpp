// The originals of what a run replaces, kept so that a cancelled or failed run can put them back.
#include "installer/logic/CSetupApp.h"

namespace setup {

std::string CSetupApp::ExistingSpelling(std::string_view path) const {
    auto host = machine_.hostPath(path);
    return host ? machine_.windowsPath(*host) : std::string(path);
}

bool CSetupApp::KeepReplacedFile(std::string_view path) {
    if (testMode) return true;
    if (files_.isFolder(path)) {
        ui_.CopyErrorBox(path, platform::makeError(platform::err::AccessDenied, path).text);
        return false;
    }
    const std::string folder = runTempFolder.empty() ? machine_.tempFolder() : runTempFolder;
    auto copy = files_.tempFileName(folder, "RUK");
    platform::Status moved = copy ? files_.remove(*copy) : platform::Status(copy.error());
    // Moved, not copied: the file is about to be replaced anyway, and a move costs no bytes.
    if (moved) moved = files_.move(path, *copy);
    if (!moved) {
        if (copy) (void)files_.remove(*copy);
        ui_.CopyErrorBox(path, moved.error().text);
        return false;
    }
    kept_.push_back({changeLog.entries.size(), std::string(path), *copy, {}, std::nullopt});
    return true;
}

void CSetupApp::KeepReplacedValue(platform::RegRoot root, std::string_view key, platform::RegValue old) {
    if (testMode) return;
    kept_.push_back({changeLog.entries.size(), std::string(key), {}, root, std::move(old)});
}

void CSetupApp::RestoreKeptSince(std::size_t logSize) {
    while (!kept_.empty() && kept_.back().logSize >= logSize) {
        KeptOriginal& k = kept_.back();
        if (k.value) {
            // Part of the rollback of a run that has reported its failure.
            (void)registry_.setValue(k.root, k.path, k.value->name, k.value->type, k.value->data);
        } else {
            // What the run put there goes; the original comes back. A copy that cannot be put
            // back stays where it is rather than be lost.
            if (files_.exists(k.path)) (void)files_.remove(k.path);
            (void)files_.move(k.copy, k.path);
        }
        kept_.pop_back();
    }
}

void CSetupApp::DiscardKept() {
    for (const auto& k : kept_)
        if (!k.copy.empty()) (void)files_.remove(k.copy);
    kept_.clear();
}

}  // namespace setup
