#include "installer/logic/StringTable.h"

#include <array>
#include <utility>

namespace setup {

namespace {
constexpr std::array<std::pair<uint32_t, std::string_view>, 13> kStrings{{
    {ids::EnterName, "You have to enter your name."},
    {ids::EnterProgramGroup, "You have to enter a programgroup."},
    {ids::InstallAlsoRequired, "If you install %1, %2 will be installed as well.\nContinue ?"},
    {ids::SkipAlsoDependent, "If you do not install %1, %2 will not be install as well.\nContinue ?"},
    {ids::FailedCreateFolder, "Failed to create folder %1."},
    {ids::FailedCreateProgramGroup, "Failed to create programgroup %1."},
    {ids::InstallationNotCompleted, "The installation has not been completed."},
    {ids::FailedOpenFile, "Failed to open file %1."},
    {ids::ConfirmCancel, "Are you sure you want to cancel the installation ?"},
    {ids::ReadyToInstall, "Setup is now ready to begin the installation.\nContinue ?"},
    {ids::DecompressError, "An error has occurred while decompressing\n%1."},
    {ids::ReadError, "An error has occurred while reading\n%1."},
    {ids::WriteError, "An error has occurred while writing\n%1."},
}};
}  // namespace

std::string_view LoadStringText(uint32_t id) {
    for (const auto& [key, text] : kStrings)
        if (key == id) return text;
    return {};
}

std::string FormatStringText(uint32_t id, std::string_view arg1, std::string_view arg2) {
    std::string_view text = LoadStringText(id);
    std::string out;
    out.reserve(text.size() + arg1.size() + arg2.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            out += text[i + 1] == '1' ? arg1 : arg2;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace setup
