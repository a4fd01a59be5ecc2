// SetupInfo.RUX: fixed records, counted arrays and memo texts in one fixed order.
#include "libraries/build/SetupLayout.h"
#include "libraries/build/SetupWriter.h"

#include <cstring>
#include <sys/stat.h>

namespace build {
namespace {

namespace L = layout;

class Record {
public:
    explicit Record(size_t size) : bytes_(size, 0) {}
    void u8(size_t at, uint8_t v) { bytes_.at(at) = v; }
    void u16(size_t at, uint16_t v) {
        for (int i = 0; i < 2; ++i) bytes_.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    }
    void u32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.at(at + i) = static_cast<uint8_t>(v >> (8 * i));
    }
    void flag(size_t at, bool v) { u32(at, v ? 1 : 0); }
    // The text was checked to fit; the rest of the field stays zero.
    void text(size_t at, const std::string& s, size_t width) {
        if (s.size() >= width || at + width > bytes_.size()) throw std::logic_error("text does not fit");
        std::memcpy(bytes_.data() + at, s.data(), s.size());
    }
    // A memo's length; the placeholder beside it stays 0.
    void memo(size_t at, const std::string& s) { u32(at, static_cast<uint32_t>(s.size())); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

void append(std::vector<uint8_t>& out, const Record& r) {
    out.insert(out.end(), r.bytes().begin(), r.bytes().end());
}
void append(std::vector<uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }
void appendCount(std::vector<uint8_t>& out, size_t n) {
    Record r(4);
    r.u32(0, static_cast<uint32_t>(n));
    append(out, r);
}

}  // namespace

uint64_t setupInfoSize(const Product& p) {
    uint64_t size = L::header::Size + L::wizard::Size + L::mainwindow::Size + 4 +
                    L::background::Size * p.backgroundTexts.size() + L::welcome::Size +
                    L::license::Size + p.licenseText.size() + L::user::Size + p.userText.size() +
                    L::finished::Size + p.finishedText.size() + L::programgroup::Size +
                    p.groupText.size() + L::readme::Size + L::progress::Size + 4 +
                    L::registry::Size * p.registryEntries.size() + 4 +
                    L::variable::Size * p.variables.size() + 4 +
                    L::component::Size * p.components.size() + 4 + L::file::Size * p.files.size();
    for (const auto& r : p.registryEntries) size += r.data.size();
    for (const auto& c : p.components) size += c.description.size();
    return size;
}

std::vector<uint8_t> encodeSetupInfo(const Product& p, std::span<const Placement> placements,
                                     std::span<const StoredFile> stored) {
    if (placements.size() != p.components.size() || stored.size() != p.files.size())
        throw std::logic_error("placements or stored sizes do not match the product");
    std::vector<uint8_t> out;
    out.reserve(setupInfoSize(p));

    Record header(L::header::Size);
    header.text(L::header::ProductName, p.name, L::header::ProductNameWidth);
    header.text(L::header::Version, p.version, L::header::VersionWidth);
    // Reserved stays 0: no 12 bytes at the end.
    header.flag(L::header::ReadmeOffered, p.readmeOffered);
    header.flag(L::header::NormalOffered, p.normalOffered);
    header.flag(L::header::MinimalOffered, p.minimalOffered);
    header.flag(L::header::CustomOffered, p.customOffered);
    header.text(L::header::DefaultDestination, p.defaultDestination, L::header::DefaultDestinationWidth);
    append(out, header);

    Record wizard(L::wizard::Size);
    wizard.flag(L::wizard::Welcome, p.showWelcome);
    wizard.flag(L::wizard::License, p.showLicense);
    wizard.flag(L::wizard::User, p.showUser);
    wizard.flag(L::wizard::Finished, p.showFinished);
    wizard.flag(L::wizard::ProgramGroup, p.useProgramGroup);
    append(out, wizard);

    Record window(L::mainwindow::Size);
    window.text(L::mainwindow::Title, p.title, L::mainwindow::TitleWidth);
    window.u32(L::mainwindow::Colour, p.backgroundColour);
    append(out, window);

    appendCount(out, p.backgroundTexts.size());
    for (const auto& b : p.backgroundTexts) {
        Record r(L::background::Size);
        r.text(L::background::Text, b.text, L::background::TextWidth);
        r.u32(L::background::Left, b.left);
        r.u32(L::background::Top, b.top);
        r.u16(L::background::PointSize, b.pointSize);
        r.flag(L::background::Bold, b.bold);
        r.flag(L::background::Italic, b.italic);
        r.flag(L::background::Underline, b.underline);
        r.u32(L::background::Colour, b.colour);
        r.text(L::background::FaceName, b.faceName, L::background::FaceNameWidth);
        append(out, r);
    }

    Record welcome(L::welcome::Size);
    welcome.flag(0, p.protectionWarning);
    append(out, welcome);

    Record license(L::license::Size);
    license.memo(0, p.licenseText);
    append(out, license);
    append(out, p.licenseText);

    Record user(L::user::Size);
    user.text(L::user::Key, p.userKey, L::user::KeyWidth);
    user.memo(L::user::Text, p.userText);
    append(out, user);
    append(out, p.userText);

    Record finished(L::finished::Size);
    finished.memo(L::finished::Text, p.finishedText);
    finished.flag(L::finished::OfferRestart, p.offerRestart);
    finished.text(L::finished::FirstChoice, p.restartNowText, L::finished::ChoiceWidth);
    finished.text(L::finished::SecondChoice, p.restartLaterText, L::finished::ChoiceWidth);
    append(out, finished);
    append(out, p.finishedText);

    Record group(L::programgroup::Size);
    group.text(L::programgroup::DefaultGroup, p.defaultGroup, L::programgroup::DefaultGroupWidth);
    group.memo(L::programgroup::Text, p.groupText);
    append(out, group);
    append(out, p.groupText);

    Record readme(L::readme::Size);
    readme.u8(L::readme::Mode, p.readmeMode);
    readme.text(L::readme::CheckText, p.readmeCheckText, L::readme::CheckTextWidth);
    append(out, readme);

    Record progress(L::progress::Size);
    progress.text(L::progress::Text, p.progressText, L::progress::TextWidth);
    progress.flag(L::progress::ShowFileName, p.showFileName);
    append(out, progress);

    appendCount(out, p.registryEntries.size());
    for (const auto& e : p.registryEntries) {
        Record r(L::registry::Size);
        r.u32(L::registry::ComponentId, e.componentId);
        r.u8(L::registry::Root, e.root);
        r.text(L::registry::Key, e.key, L::registry::KeyWidth);
        r.text(L::registry::ValueName, e.valueName, L::registry::ValueNameWidth);
        r.u32(L::registry::DataLength, static_cast<uint32_t>(e.data.size()));
        r.u8(L::registry::Type, e.type);
        append(out, r);
    }
    for (const auto& e : p.registryEntries) append(out, e.data);

    appendCount(out, p.variables.size());
    for (const auto& v : p.variables) {
        Record r(L::variable::Size);
        r.text(L::variable::Name, v.name, L::variable::NameWidth);
        r.text(L::variable::Value, v.value, L::variable::ValueWidth);
        append(out, r);
    }

    appendCount(out, p.components.size());
    for (size_t i = 0; i < p.components.size(); ++i) {
        const auto& c = p.components[i];
        Record r(L::component::Size);
        r.u16(L::component::FirstDisc, placements[i].firstDisc);
        r.u32(L::component::Offset, placements[i].offset);
        r.u32(L::component::Id, c.id);
        r.u32(L::component::ParentId, c.parentId);
        r.text(L::component::Name, c.name, L::component::NameWidth);
        r.flag(L::component::Visible, c.visible);
        r.u8(L::component::SetupTypes, c.setupTypes);
        r.u32(L::component::RequiredId, c.requiredId);
        r.memo(L::component::Description, c.description);
        r.text(L::component::Destination, c.destination, L::component::DestinationWidth);
        r.flag(L::component::FolderChangeable, c.folderChangeable);
        append(out, r);
    }
    for (const auto& c : p.components) append(out, c.description);

    appendCount(out, p.files.size());
    for (size_t i = 0; i < p.files.size(); ++i) {
        const auto& f = p.files[i];
        Record r(L::file::Size);
        r.u32(L::file::ComponentId, f.componentId);
        r.text(L::file::Name, f.name, L::file::NameWidth);
        r.flag(L::file::Readme, f.readme);
        r.flag(L::file::Shortcut, f.shortcut);
        r.text(L::file::LinkText, f.linkText, L::file::LinkTextWidth);
        r.flag(L::file::Shared, f.shared);
        r.u32(L::file::TimeLow, static_cast<uint32_t>(stored[i].lastWriteTime));
        r.u32(L::file::TimeHigh, static_cast<uint32_t>(stored[i].lastWriteTime >> 32));
        r.u32(L::file::InstalledSize, stored[i].installedSize);
        r.u32(L::file::StoredSize, stored[i].storedSize);
        append(out, r);
    }
    return out;
}

std::string encodeBinaryData(std::span<const uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) s += ',';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

std::string encodeDwordData(uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

uint64_t fileTimeOf(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    // 100-nanosecond ticks since 1601-01-01 UTC.
    constexpr int64_t epochDifference = 11644473600LL;
    return static_cast<uint64_t>(st.st_mtim.tv_sec + epochDifference) * 10000000u +
           static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100u;
}

}  // namespace build
