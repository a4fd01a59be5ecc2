#include "installer/logic/CInstallEngine.h"

#include "installer/logic/CSetupApp.h"
#include "installer/logic/StringTable.h"

#include <algorithm>
#include <cmath>

namespace setup {

namespace {
constexpr std::size_t kChunk = 64000;

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}
}  // namespace

CInstallEngine::CInstallEngine(CSetupApp& app) : app_(app) {}

CInstallEngine::~CInstallEngine() {
    CloseArchive();
    RemoveTempFiles();
}

std::size_t CInstallEngine::FindComponentIndex(uint32_t componentId) const {
    const auto& components = app_.info().components;
    for (std::size_t i = 0; i < components.size(); ++i)
        if (components[i].id == componentId) return i;
    return 0;
}

unsigned CInstallEngine::ProgressPercent(uint64_t done, uint64_t total) {
    if (total == 0) return 0;
    double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total) + 0.5;
    return std::min(100u, static_cast<unsigned>(percent));
}

unsigned CInstallEngine::ProgressBarWidth(unsigned width, unsigned percent) {
    return static_cast<unsigned>(width * std::min(percent, 100u) * 0.01 + 0.5);
}

void CInstallEngine::AdvanceProgress(uint64_t bytes) {
    bytesDone_ += bytes;
    app_.ui().ProgressAdvanced(bytesDone_, totalBytes_);
}

void CInstallEngine::ReportDamaged(const std::string& what) {
    app_.ShowSystemError(platform::err::InvalidData, what);
}

bool CInstallEngine::MakeTempFiles() {
    const auto& machine = app_.machine();
    std::string folder;
    for (const char* name : {"TMP", "TEMP"}) {
        if (auto v = machine.environment(name); v && !v->empty()) {
            folder = *v;
            break;
        }
    }
    // Last, the root of the system's drive.
    if (folder.empty()) folder = app_.LookupVariable("WINDOWSDRIVE") + ":\\";
    for (std::string* path : {&storedTempPath_, &outputTempPath_}) {
        auto made = app_.files().tempFileName(folder, "RUX");
        if (!made) {
            app_.ui().MessageBox(ids::FailedOpenFile, MsgButtons::Ok, MsgIcon::Stop, folder);
            return false;
        }
        *path = *made;
    }
    app_.runTempFolder = folder;
    return true;
}

void CInstallEngine::RemoveTempFiles() {
    for (std::string* path : {&storedTempPath_, &outputTempPath_}) {
        // Temporary files of our own: one left behind harms nothing that was installed.
        if (!path->empty()) (void)app_.files().remove(*path);
        path->clear();
    }
}

void CInstallEngine::CloseArchive() {
    if (archiveOpen_) archive_.close();
    archive_.clear();
    archiveOpen_ = false;
}

int CInstallEngine::OpenArchive() {
    if (app_.CheckDisc() == 2) return 2;
    CloseArchive();
    archivePath_ = app_.sourceFolder + "Setup" + std::to_string(app_.currentDisc) + ".RUX";
    std::filesystem::path host;
    while (true) {
        if (auto opened = app_.files().openForRead(archivePath_)) {
            host = *opened;
            archive_.open(host, std::ios::binary);
            if (archive_.is_open()) break;
            archive_.clear();
        }
        if (app_.ui().MessageBox(ids::FailedOpenFile, MsgButtons::RetryCancel, MsgIcon::Exclamation, archivePath_) !=
            answer::Retry)
            return 2;
    }
    std::error_code ec;
    archiveSize_ = std::filesystem::file_size(host, ec);
    if (ec) archiveSize_ = 0;
    archivePosition_ = 0;
    archiveOpen_ = true;
    return 1;
}

// The output file exists before each decompression, also after the last one was moved away.
void CInstallEngine::EnsureTempFile(const std::filesystem::path& host) {
    std::error_code ec;
    if (!std::filesystem::exists(host, ec)) std::ofstream(host, std::ios::binary | std::ios::app);
}

void CInstallEngine::IndexFolder(const std::string& folder) {
    folderNames_.clear();
    folderIndexed_ = false;
    auto host = app_.machine().changeablePath(folder);
    if (!host) return;
    folderHost_ = *host;
    std::error_code ec;
    if (std::filesystem::exists(folderHost_, ec)) {
        for (std::filesystem::directory_iterator it(folderHost_, ec), end; !ec && it != end; it.increment(ec))
            folderNames_.insert(lowerAscii(it->path().filename().string()));
        if (ec) return;
    }
    folderIndexed_ = true;
}

// What CopyInstalledFile does for a destination known to be new, by a rename of the output file.
bool CInstallEngine::MoveNewFile(const std::filesystem::path& outputHost, const std::string& destination,
                                 const std::filesystem::path& destinationHost) {
    if (app_.testMode) return true;
    app_.AddLogEntry(entrytype::File, destination, "", EntryOrigin::File);
    std::error_code ec;
    std::filesystem::rename(outputHost, destinationHost, ec);
    if (!ec) return true;
    return app_.CopyInstalledFile(outputTempPath_, destination, 0);  // another file system, or worse
}

int CInstallEngine::PositionAtComponent(std::size_t componentIndex) {
    const auto& component = app_.info().components[componentIndex];
    if (component.firstDisc == 0 || (app_.knownDiscCount && component.firstDisc > app_.knownDiscCount)) {
        ReportDamaged(app_.sourceFolder + "Setup" + std::to_string(component.firstDisc) + ".RUX");
        return result::Error;
    }
    app_.currentDisc = component.firstDisc;
    if (OpenArchive() == 2) return result::Cancelled;
    if (component.offset > archiveSize_) {
        ReportDamaged(archivePath_);
        return result::Error;
    }
    archive_.seekg(static_cast<std::streamoff>(component.offset));
    if (!archive_) {
        app_.ui().MessageBox(ids::ReadError, MsgButtons::Ok, MsgIcon::Stop, archivePath_);
        return result::Error;
    }
    archivePosition_ = component.offset;
    return result::Complete;
}

int CInstallEngine::ExtractStoredBytes(uint32_t storedSize) {
    auto& ui = app_.ui();
    // The last file's bytes are written over and cut to this file's size afterwards: emptying
    // the file first, or making a new one, costs some file systems dearly on every file.
    auto host = app_.machine().hostPath(storedTempPath_);
    std::fstream out;
    if (host) {
        out.open(*host, std::ios::binary | std::ios::in | std::ios::out);
        if (!out.is_open()) out.open(*host, std::ios::binary | std::ios::out | std::ios::trunc);
    }
    if (!host || !out.is_open()) {
        ui.MessageBox(ids::FailedOpenFile, MsgButtons::Ok, MsgIcon::Stop, storedTempPath_);
        return result::Error;
    }
    uint64_t done = 0;
    while (done < storedSize) {
        uint64_t n = std::min<uint64_t>({kChunk, storedSize - done, archiveSize_ - archivePosition_});
        if (n > 0) {
            archive_.read(buffer_.data(), static_cast<std::streamsize>(n));
            // A short read is a read error: the archive is shorter than it was when opened.
            if (static_cast<uint64_t>(archive_.gcount()) != n) {
                ui.MessageBox(ids::ReadError, MsgButtons::Ok, MsgIcon::Stop, archivePath_);
                return result::Error;
            }
            out.write(buffer_.data(), static_cast<std::streamsize>(n));
            if (!out) {
                ui.MessageBox(ids::WriteError, MsgButtons::Ok, MsgIcon::Stop, storedTempPath_);
                return result::Error;
            }
        }
        done += n;
        AdvanceProgress(n);
        archivePosition_ += n;
        if (archivePosition_ == archiveSize_ && done < storedSize) {
            // Stored bytes that run past the last disc name a disc that does not exist.
            if ((app_.knownDiscCount && app_.currentDisc >= app_.knownDiscCount) || app_.currentDisc == 0xFFFF) {
                ReportDamaged(archivePath_);
                return result::Error;
            }
            ++app_.currentDisc;
            if (OpenArchive() == 2) return result::Cancelled;
        }
    }
    out.close();
    std::error_code ec;
    if (out.fail() || (std::filesystem::resize_file(*host, storedSize, ec), ec)) {
        ui.MessageBox(ids::WriteError, MsgButtons::Ok, MsgIcon::Stop, storedTempPath_);
        return result::Error;
    }
    return result::Complete;
}

int CInstallEngine::InstallFile(std::size_t fileIndex, const std::string& folder) {
    const FileRecord& file = app_.info().files[fileIndex];
    std::string name = file.name;
    std::replace(name.begin(), name.end(), '/', '\\');
    const std::string destination = folder + (folder.ends_with('\\') ? "" : "\\") + name;
    if (!app_.CheckPathFits(destination)) return result::Error;
    app_.ui().ProgressFile(destination);

    if (int r = ExtractStoredBytes(file.storedSize); r != result::Complete) return r;

    auto storedHost = app_.machine().hostPath(storedTempPath_);
    auto outputHost = app_.machine().hostPath(outputTempPath_);
    if (outputHost) EnsureTempFile(*outputHost);
    int decompressed = -1;
    if (storedHost && outputHost) {
        if (app_.decompressBounded)
            decompressed = app_.decompressBounded(storedHost->c_str(), outputHost->c_str(), file.installedSize);
        else if (app_.decompress)
            decompressed = app_.decompress(storedHost->c_str(), outputHost->c_str());
    }
    // No stored bytes may make more than their record promises.
    std::error_code ec;
    if (decompressed == 0 && std::filesystem::file_size(*outputHost, ec) > file.installedSize) decompressed = -1;
    if (decompressed != 0 || ec) {
        app_.ui().MessageBox(ids::DecompressError, MsgButtons::Ok, MsgIcon::Stop, destination);
        return result::Error;
    }

    // A plain name that the folder did not hold is new: the replace test would say yes.
    const bool plain = name.find('\\') == std::string::npos && !name.ends_with('.') && !name.ends_with(' ');
    const std::string key = lowerAscii(name);
    const bool knownNew = folderIndexed_ && plain && !folderNames_.contains(key);
    if (knownNew || app_.ShouldReplaceFile(outputTempPath_, destination, fileIndex)) {
        // The replace test of a later installation reads the time the record gives.
        platform::FileTime t{file.time};
        if (auto stamped = app_.files().setTimes(outputTempPath_, {t, t, t}); !stamped) {
            app_.ShowWriteError(stamped.code(), destination);
            return result::Error;
        }
        bool copied = knownNew ? MoveNewFile(*outputHost, destination, folderHost_ / name)
                               : app_.CopyInstalledFile(outputTempPath_, destination, file.componentId);
        if (!copied) return result::Error;
        if (plain) folderNames_.insert(key);
        if (file.readme) app_.readmePath = destination;
    }
    // Without a program group the product has no place for links, and none is made; a link
    // that cannot be made in the group has been reported and fails the run.
    if (file.shortcut && !app_.programGroupFolder.empty() &&
        app_.CreateShortcut(folder, destination, app_.ExpandVariables(file.shortcutText)) != 0)
        return result::Error;
    if (file.shared) sharedFiles_.push_back(destination);  // counted with the component's registry entries
    return result::Complete;
}

int CInstallEngine::RunInstallation() {
    auto& info = app_.info();
    auto& selection = app_.componentSelection;
    auto isSelected = [&](std::size_t index) { return index < selection.size() && selection[index].selected != 0; };
    result_ = result::Complete;
    cancel_ = false;
    if (!app_.decompress && !app_.decompressBounded) app_.decompressBounded = LoadBoundedDecompressorBesideProgram();
    buffer_.assign(kChunk + 1, 0);

    totalBytes_ = 0;
    for (const auto& file : info.files)
        if (isSelected(FindComponentIndex(file.componentId))) totalBytes_ += file.storedSize;
    bytesDone_ = 0;
    app_.ui().ProgressAdvanced(0, totalBytes_);

    if (!MakeTempFiles()) result_ = result::Error;
    for (std::size_t ci = 0; ci < info.components.size() && result_ == result::Complete; ++ci) {
        if (!isSelected(ci)) continue;
        const auto& component = info.components[ci];
        result_ = PositionAtComponent(ci);
        if (result_ != result::Complete) break;
        std::string folder = app_.ExpandVariables(component.destination);
        while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
        if (!app_.CheckChangeable(folder) || !app_.CreateFolderPath(folder)) {
            result_ = result::Error;
            break;
        }
        IndexFolder(folder);
        sharedFiles_.clear();
        for (std::size_t fi = 0; fi < info.files.size(); ++fi) {
            if (app_.ui().PumpCancelMessages()) cancel_ = true;
            if (cancel_ && result_ == result::Complete) result_ = result::Cancelled;
            if (result_ != result::Complete) break;
            if (info.files[fi].componentId != component.id) continue;
            result_ = InstallFile(fi, folder);
        }
        if (result_ == result::Complete && !app_.WriteComponentRegistry(component.id, sharedFiles_))
            result_ = result::Error;
    }
    CloseArchive();
    RemoveTempFiles();
    app_.runTempFolder.clear();
    buffer_.clear();
    buffer_.shrink_to_fit();
    return result_;
}

}  // namespace setup
