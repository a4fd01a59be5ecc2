#include "runtime/ui/Pictures.h"

#include "runtime/ui/detail/UiHelpers.h"

#include <QApplication>
#include <QBitmap>
#include <QFile>
#include <QPixmap>
#include <QStyle>

#include <map>
#include <system_error>

namespace runtime {
namespace {

std::vector<std::filesystem::path>& folders() {
    static std::vector<std::filesystem::path> f;
    return f;
}

struct Stock {
    const char* name;  // lower case, with its "!"
    QStyle::StandardPixmap pixmap;
};

// The stock pictures the program names, each drawn as the nearest standard picture.
const Stock kStock[] = {
    {"custom039!", QStyle::SP_DirIcon},           {"custom050!", QStyle::SP_DialogOpenButton},
    {"custom007!", QStyle::SP_DirOpenIcon},       {"custom075!", QStyle::SP_DriveHDIcon},
    {"open!", QStyle::SP_DialogOpenButton},       {"save!", QStyle::SP_DialogSaveButton},
    {"new!", QStyle::SP_FileIcon},                {"delete!", QStyle::SP_TrashIcon},
    {"print!", QStyle::SP_FileDialogDetailedView}, {"exit!", QStyle::SP_DialogCloseButton},
    {"help!", QStyle::SP_DialogHelpButton},       {"cut!", QStyle::SP_DialogDiscardButton},
    {"copy!", QStyle::SP_FileDialogContentsView}, {"paste!", QStyle::SP_DialogApplyButton},
    {"clear!", QStyle::SP_DialogResetButton},     {"tile!", QStyle::SP_TitleBarNormalButton},
    {"cascade!", QStyle::SP_TitleBarMaxButton},   {"layer!", QStyle::SP_FileDialogListView},
    {"horizontal!", QStyle::SP_ToolBarHorizontalExtensionButton},
    {"run!", QStyle::SP_MediaPlay},               {"project!", QStyle::SP_DirHomeIcon},
    {"exclamation!", QStyle::SP_MessageBoxWarning}, {"datapipeline!", QStyle::SP_ArrowForward},
    {"computesum!", QStyle::SP_FileDialogInfoView}, {"sizewe!", QStyle::SP_ArrowRight},
    {"arrow!", QStyle::SP_ArrowUp},
};

}  // namespace

void setPictureFolders(std::vector<std::filesystem::path> f) { folders() = std::move(f); }
const std::vector<std::filesystem::path>& pictureFolders() { return folders(); }

bool isStockPicture(std::string_view name) { return !name.empty() && name.back() == '!'; }

std::string findPictureFile(std::string_view name) {
    if (name.empty() || isStockPicture(name)) return {};
    // A picture the program carries inside itself (":/...") is named by its resource path.
    if (name.size() > 2 && name.substr(0, 2) == ":/")
        return QFile::exists(detail::qs(std::string(name))) ? std::string(name) : std::string();
    std::error_code ec;
    std::filesystem::path given{std::string(name)};
    if (std::filesystem::is_regular_file(given, ec)) return given.string();
    if (given.has_parent_path()) return {};
    std::string wanted = detail::lowerAscii(name);
    for (const std::filesystem::path& folder : folders()) {
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (detail::lowerAscii(entry.path().filename().string()) == wanted && entry.is_regular_file(ec))
                return entry.path().string();
    }
    return {};
}

QIcon pictureIcon(std::string_view name, long maskColor) {
    if (isStockPicture(name)) {
        std::string key = detail::lowerAscii(name);
        // The style loads a stock icon's files each time it is asked; windows ask for their
        // toolbar's icons whenever they open.
        // Kept by the style's name: a style made anew may take a freed one's address.
        static auto& made = *new std::map<std::pair<QString, QStyle::StandardPixmap>, QIcon>;
        for (const Stock& s : kStock) {
            if (key != s.name) continue;
            QStyle* style = QApplication::style();
            const std::pair made_key{style->name(), s.pixmap};
            auto it = made.find(made_key);
            if (it == made.end()) it = made.emplace(made_key, style->standardIcon(s.pixmap)).first;
            return it->second;
        }
        return {};
    }
    std::string file = findPictureFile(name);
    if (file.empty()) return {};
    if (maskColor < 0) return QIcon(detail::qs(file));
    QPixmap pixmap(detail::qs(file));
    if (pixmap.isNull()) return {};
    // System colours (bits above the 24 colour bits) are not pixel colours: they mask nothing.
    if (maskColor <= 0xFFFFFF) {
        QColor key(static_cast<int>(maskColor & 0xFF), static_cast<int>((maskColor >> 8) & 0xFF),
                   static_cast<int>((maskColor >> 16) & 0xFF));
        pixmap.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
    }
    return QIcon(pixmap);
}

}  // namespace runtime
