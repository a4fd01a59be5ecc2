#include "installer/logic/CSetupApp.h"

#include "installer/logic/CInstallEngine.h"
#include "installer/logic/SafeNames.h"
#include "installer/logic/SetupLayout.h"
#include "installer/logic/StringTable.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <new>

namespace setup {

namespace {
// A setup information file larger than this is refused as a memory problem.
constexpr uint64_t kMaxSetupInfoSize = uint64_t(1) << 30;
constexpr uint32_t kReadFault = 30;  // the system cannot read from the specified device
}  // namespace

CSetupApp::CSetupApp(platform::Machine machine, ISetupUi& ui)
    : machine_(machine), files_(machine, platform::WriteScope::MachineDrives), registry_(machine), ui_(ui) {}

CSetupApp::~CSetupApp() = default;

void CSetupApp::InitRun(const std::vector<std::string>& arguments, std::string_view modulePathText) {
    testMode = !arguments.empty() && arguments.front() == "Test";
    changeLog.Clear();
    modulePath = std::string(modulePathText);
    auto slash = modulePath.find_last_of("\\/");
    sourceFolder = slash == std::string::npos ? std::string() : modulePath.substr(0, slash);
    sourceFolder += '\\';
    currentDisc = 1;
}

void CSetupApp::ShowSystemError(uint32_t code, std::string_view caption) {
    std::string text = platform::systemErrorText(code);
    if (text.empty()) return;
    if (text.size() > 255) text.resize(255);
    ui_.SystemErrorBox(text, caption.empty() ? ErrorCaption : caption);
}

bool CSetupApp::CheckPathFits(std::string_view path) {
    if (path.size() <= MaxPathText) return true;
    ShowSystemError(platform::err::FilenameExcedRange, path);
    return false;
}

bool CSetupApp::CheckChangeable(std::string_view path) {
    if (testMode) return true;
    auto host = machine_.changeablePath(path);
    if (host) return true;
    ui_.SystemErrorBox(host.error().text, path);
    return false;
}

// ---- Setup information ----

bool CSetupApp::ReadSetupInfo() {
    ReleaseSetupInfo();
    const std::string path = sourceFolder + std::string(SetupInfoFileName);
    if (files_.exists(path) && files_.inUse(path)) {
        ShowSystemError(platform::err::SharingViolation, path);
        return false;
    }
    auto host = files_.openForRead(path);
    if (!host) {
        ShowSystemError(host.code(), path);
        return false;
    }
    std::ifstream in(*host, std::ios::binary);
    std::error_code ec;
    auto size = std::filesystem::file_size(*host, ec);
    if (!in || ec) {
        ShowSystemError(ec ? platform::errorFromErrno(ec.value()) : platform::err::FileNotFound, path);
        return false;
    }
    if (size > kMaxSetupInfoSize) {
        ShowSystemError(platform::err::NotEnoughMemory, MemoryProblemCaption);
        return false;
    }
    std::vector<uint8_t> bytes;
    SetupInfoParse parse;
    try {
        bytes.resize(size);
        if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
            ShowSystemError(errno ? platform::errorFromErrno(errno) : kReadFault, ErrorCaption);
            return false;
        }
        parse = ParseSetupInfo(bytes);
    } catch (const std::bad_alloc&) {
        ShowSystemError(platform::err::NotEnoughMemory, MemoryProblemCaption);
        return false;
    }
    if (!parse.info) {
        // A short file reads as the end of the file; every other damage as invalid data.
        ShowSystemError(parse.fault == SetupInfoFault::Truncated ? platform::err::HandleEof
                                                                  : platform::err::InvalidData,
                        ErrorCaption);
        return false;
    }
    setupInfo = std::move(parse.info);
    return true;
}

void CSetupApp::ReleaseSetupInfo() { setupInfo.reset(); }

// ---- Discs ----

int CSetupApp::ReadDiscLabel(std::string_view path) {
    if (!files_.exists(path) || files_.isFolder(path) || files_.inUse(path)) return -1;
    auto host = files_.openForRead(path);
    if (!host) return -1;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return -1;
    uint8_t b[2 * layout::disclabel::Size] = {};
    in.read(reinterpret_cast<char*>(b), sizeof b);
    auto got = static_cast<std::size_t>(in.gcount());
    if (got < layout::disclabel::Size) {
        // A label shorter than its number cannot be read.
        ShowSystemError(platform::err::HandleEof, path);
        return -2;
    }
    auto u32 = [&](int at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    // A label may name the number of discs after its own number; it lets a setup whose stored
    // bytes run past its last disc be reported as damaged instead of asking for a disc that
    // does not exist.
    if (got == sizeof b && u32(4) != 0 && u32(4) <= 0xFFFF) knownDiscCount = static_cast<uint16_t>(u32(4));
    uint32_t number = u32(0);
    return number > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(number);
}

int CSetupApp::CheckDisc() {
    int number = ReadDiscLabel(sourceFolder + "Disc.lbl");
    while (number != currentDisc) {
        auto folder = ui_.AskForDisc(currentDisc, sourceFolder);
        if (!folder) return 2;
        sourceFolder = *folder;
        if (sourceFolder.empty() || sourceFolder.back() != '\\') sourceFolder += '\\';
        number = ReadDiscLabel(sourceFolder + "Disc.lbl");
    }
    return 0;
}

// ---- Installation ----

int CSetupApp::StartInstallation() {
    if (ui_.MessageBox(ids::ReadyToInstall, MsgButtons::YesNo, MsgIcon::Exclamation) != answer::Yes)
        return result::Cancelled;
    int outcome = result::Complete;
    if (info().wizard.programGroup && !CreateProgramGroup()) outcome = result::Error;
    if (outcome == result::Complete) {
        CInstallEngine engine(*this);
        outcome = ui_.RunProgressDialog(engine);
    }
    if (outcome == result::Complete && !testMode && !StoreUserInformation()) outcome = result::Error;
    // On success the originals stay until the uninstall record is written: without a record the
    // run is rolled back after all.
    if (outcome != result::Complete) RollBackInstallation();
    return outcome;
}

bool CSetupApp::StoreUserInformation() {
    const auto root = platform::RegRoot::CurrentUser;
    if (!CheckPathFits(userKey) || !CreateRegistryKeyPath(root, userKey)) return false;
    if (auto opened = registry_.openKey(root, userKey); !opened) {
        ShowWriteError(opened.code(), RegistryName(root, userKey));
        return false;
    }
    auto store = [&](std::string_view name, const std::string& text) {
        LogValueIfNew(root, userKey, name);
        auto s = registry_.setString(root, userKey, name, text);
        if (!s) ShowWriteError(s.code(), RegistryName(root, userKey, name));
        return s.ok();
    };
    return store("User", userName) && (company.empty() || store("Company", company));
}

}  // namespace setup
