#include "installer/logic/SetupInfo.h"

#include "installer/logic/SafeNames.h"
#include "installer/logic/SetupLayout.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace setup {

namespace {

using layout::Field;

uint32_t readU(std::span<const uint8_t> record, Field f) {
    uint32_t v = 0;
    for (std::size_t i = 0; i < f.width; ++i) v |= uint32_t(record[f.offset + i]) << (8 * i);
    return v;
}

// A text field: up to its first zero byte, and never past its last byte, which counts as the
// terminator even when the file holds something else there.
std::string readText(std::span<const uint8_t> record, Field f) {
    auto field = record.subspan(f.offset, f.width - 1);
    auto end = std::find(field.begin(), field.end(), uint8_t{0});
    return std::string(field.begin(), end);
}

// A memo text as used: cut at a zero byte inside it.
std::string cutAtZero(std::span<const uint8_t> bytes) {
    auto end = std::find(bytes.begin(), bytes.end(), uint8_t{0});
    return std::string(bytes.begin(), end);
}

class Walk {
public:
    explicit Walk(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    bool failed() const { return failed_; }
    const std::string& where() const { return where_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }

    std::span<const uint8_t> take(std::size_t n, const char* what) {
        if (failed_) return {};
        if (n > remaining()) {
            failed_ = true;
            where_ = what;
            return {};
        }
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

    // A count of records of `size` bytes that must all fit in what remains.
    std::size_t count(std::size_t size, const char* what) {
        auto c = take(layout::CountSize, what);
        if (failed_) return 0;
        uint64_t n = readU(c, {0, 4});
        if (n * size > remaining()) {
            failed_ = true;
            where_ = what;
            return 0;
        }
        return static_cast<std::size_t>(n);
    }

    std::string memo(uint32_t length, const char* what) { return cutAtZero(take(length, what)); }

private:
    std::span<const uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
    std::string where_;
};

SetupInfoParse fault(SetupInfoFault f, std::string detail) {
    SetupInfoParse p;
    p.fault = f;
    p.detail = std::move(detail);
    return p;
}

}  // namespace

SetupInfoParse ParseSetupInfo(std::span<const uint8_t> bytes) {
    namespace L = layout;
    Walk w(bytes);
    SetupInfo info;

    if (auto r = w.take(L::header::Size, "SetupHeader"); !w.failed()) {
        auto& h = info.header;
        h.productName = readText(r, L::header::ProductName);
        h.version = readText(r, L::header::Version);
        h.reserved = readU(r, L::header::Reserved);
        h.readmeOffered = readU(r, L::header::ReadmeOffered);
        h.normalOffered = readU(r, L::header::NormalOffered);
        h.minimalOffered = readU(r, L::header::MinimalOffered);
        h.customOffered = readU(r, L::header::CustomOffered);
        h.defaultDestination = readText(r, L::header::DefaultDestination);
    }
    if (auto r = w.take(L::wizard::Size, "WizardOptions"); !w.failed()) {
        auto& o = info.wizard;
        o.welcome = readU(r, L::wizard::Welcome);
        o.license = readU(r, L::wizard::License);
        o.userInformation = readU(r, L::wizard::UserInformation);
        o.finished = readU(r, L::wizard::Finished);
        o.programGroup = readU(r, L::wizard::ProgramGroup);
    }
    if (auto r = w.take(L::mainwindow::Size, "MainWindowInfo"); !w.failed()) {
        info.mainWindow.title = readText(r, L::mainwindow::Title);
        info.mainWindow.backgroundColour = readU(r, L::mainwindow::BackgroundColour);
    }
    {
        std::size_t n = w.count(L::backgroundtext::Size, "BackgroundText");
        for (std::size_t i = 0; i < n; ++i) {
            auto r = w.take(L::backgroundtext::Size, "BackgroundText");
            namespace B = L::backgroundtext;
            info.backgroundTexts.push_back({readText(r, B::Text), readU(r, B::Left), readU(r, B::Top),
                                            static_cast<uint16_t>(readU(r, B::PointSize)), readU(r, B::Bold),
                                            readU(r, B::Italic), readU(r, B::Underline), readU(r, B::Colour),
                                            readText(r, B::FaceName)});
        }
    }
    if (auto r = w.take(L::welcome::Size, "WelcomePageInfo"); !w.failed())
        info.welcome.protectionWarning = readU(r, L::welcome::ProtectionWarning);
    if (auto r = w.take(L::license::Size, "LicensePageInfo"); !w.failed())
        info.license.text = w.memo(readU(r, {L::license::Memo.offset, 4}), "LicensePageInfo text");
    if (auto r = w.take(L::user::Size, "UserPageInfo"); !w.failed()) {
        info.user.key = readText(r, L::user::Key);
        info.user.text = w.memo(readU(r, {L::user::Memo.offset, 4}), "UserPageInfo text");
    }
    if (auto r = w.take(L::finished::Size, "FinishedPageInfo"); !w.failed()) {
        info.finished.restartOffered = readU(r, L::finished::RestartOffered);
        info.finished.firstChoice = readText(r, L::finished::FirstChoice);
        info.finished.secondChoice = readText(r, L::finished::SecondChoice);
        info.finished.text = w.memo(readU(r, {L::finished::Memo.offset, 4}), "FinishedPageInfo text");
    }
    if (auto r = w.take(L::programgroup::Size, "ProgramGroupPageInfo"); !w.failed()) {
        info.programGroup.defaultGroup = readText(r, L::programgroup::DefaultGroup);
        info.programGroup.text = w.memo(readU(r, {L::programgroup::Memo.offset, 4}), "ProgramGroupPageInfo text");
    }
    if (auto r = w.take(L::readme::Size, "ReadmePageInfo"); !w.failed()) {
        info.readme.mode = static_cast<uint8_t>(readU(r, L::readme::Mode));
        info.readme.checkBoxText = readText(r, L::readme::CheckBoxText);
    }
    if (auto r = w.take(L::progress::Size, "ProgressPageInfo"); !w.failed()) {
        info.progress.text = readText(r, L::progress::Text);
        info.progress.showFileName = readU(r, L::progress::ShowFileName);
    }
    {
        namespace R = L::registryentry;
        std::size_t n = w.count(R::Size, "RegistryEntry");
        std::vector<uint32_t> lengths;
        for (std::size_t i = 0; i < n; ++i) {
            auto r = w.take(R::Size, "RegistryEntry");
            RegistryEntry e;
            e.componentId = readU(r, R::ComponentId);
            e.root = static_cast<uint8_t>(readU(r, R::Root));
            e.key = readText(r, R::Key);
            e.valueName = readText(r, R::ValueName);
            e.valueType = static_cast<uint8_t>(readU(r, R::ValueType));
            lengths.push_back(readU(r, R::DataLength));
            info.registryEntries.push_back(std::move(e));
        }
        for (std::size_t i = 0; i < n && !w.failed(); ++i) {
            auto d = w.take(lengths[i], "RegistryEntry data");
            info.registryEntries[i].data.assign(d.begin(), d.end());
        }
    }
    {
        namespace S = L::stringvariable;
        std::size_t n = w.count(S::Size, "StringVariable");
        for (std::size_t i = 0; i < n; ++i) {
            auto r = w.take(S::Size, "StringVariable");
            info.stringVariables.push_back({readText(r, S::Name), readText(r, S::Value)});
        }
    }
    {
        namespace C = L::component;
        std::size_t n = w.count(C::Size, "ComponentRecord");
        std::vector<uint32_t> lengths;
        for (std::size_t i = 0; i < n; ++i) {
            auto r = w.take(C::Size, "ComponentRecord");
            ComponentRecord c;
            c.firstDisc = static_cast<uint16_t>(readU(r, C::FirstDisc));
            c.offset = readU(r, C::Offset);
            c.id = readU(r, C::Id);
            c.parentId = readU(r, C::ParentId);
            c.name = readText(r, C::Name);
            c.visible = readU(r, C::Visible);
            c.setupBits = static_cast<uint8_t>(readU(r, C::SetupBits));
            c.requiredId = readU(r, C::RequiredId);
            c.destination = readText(r, C::Destination);
            c.folderChangeable = readU(r, C::FolderChangeable);
            lengths.push_back(readU(r, {C::Description.offset, 4}));
            info.components.push_back(std::move(c));
        }
        for (std::size_t i = 0; i < n && !w.failed(); ++i)
            info.components[i].description = w.memo(lengths[i], "ComponentRecord description");
    }
    {
        namespace F = L::file;
        std::size_t n = w.count(F::Size, "FileRecord");
        for (std::size_t i = 0; i < n; ++i) {
            auto r = w.take(F::Size, "FileRecord");
            FileRecord f;
            f.componentId = readU(r, F::ComponentId);
            f.name = readText(r, F::Name);
            f.readme = readU(r, F::Readme);
            f.shortcut = readU(r, F::Shortcut);
            f.shortcutText = readText(r, F::ShortcutText);
            f.shared = readU(r, F::Shared);
            f.time = uint64_t(readU(r, F::TimeHigh)) << 32 | readU(r, F::TimeLow);
            f.installedSize = readU(r, F::InstalledSize);
            f.storedSize = readU(r, F::StoredSize);
            info.files.push_back(std::move(f));
        }
    }
    if (!w.failed() && info.header.reserved != 0) {
        auto r = w.take(L::ReservedTrailerSize, "reserved bytes");
        if (!w.failed()) {
            std::array<uint8_t, 12> t{};
            std::copy(r.begin(), r.end(), t.begin());
            info.reservedTrailer = t;
        }
    }
    if (w.failed()) return fault(SetupInfoFault::Truncated, w.where());
    if (w.remaining() != 0) return fault(SetupInfoFault::TrailingBytes, "after the last record");

    // Component ids are unique, and following parents from any component never comes back to it.
    std::unordered_map<uint32_t, uint32_t> parentOf;
    for (const auto& c : info.components)
        if (!parentOf.emplace(c.id, c.parentId).second)
            return fault(SetupInfoFault::DuplicateComponentId, "component " + c.name);
    for (const auto& c : info.components) {
        std::unordered_set<uint32_t> seen{c.id};
        for (uint32_t p = c.parentId; p != 0;) {
            auto it = parentOf.find(p);
            if (it == parentOf.end()) break;
            if (!seen.insert(p).second) return fault(SetupInfoFault::ParentCycle, "component " + c.name);
            p = it->second;
        }
    }
    for (const auto& f : info.files)
        if (!IsSafeRelativePath(f.name)) return fault(SetupInfoFault::UnsafeFileName, "file " + f.name);

    SetupInfoParse ok;
    ok.info = std::move(info);
    return ok;
}

}  // namespace setup
