// The wizard's start values: user and company of an earlier installation, the program group,
// the setup types and the component preselection.
#include "installer/logic/CSetupApp.h"

#include <algorithm>
#include <array>

namespace setup {

namespace {

// A value of at most 256 bytes, read whatever its type and cut at its first NUL; nullopt when it
// cannot be read.
std::optional<std::string> readTextValue(platform::Registry& registry, std::string_view key, std::string_view name) {
    std::array<uint8_t, 256> buffer{};
    uint32_t type = 0, needed = 0;
    auto got = registry.queryValue(platform::RegRoot::CurrentUser, key, name, type, buffer, needed);
    if (!got) return std::nullopt;
    auto end = std::find(buffer.begin(), buffer.begin() + std::min<std::size_t>(*got, buffer.size()), uint8_t{0});
    return std::string(buffer.begin(), end);
}

}  // namespace

void CSetupApp::InitDefaults() {
    userName.clear();
    company.clear();
    userKey = "Software\\" + ExpandVariables(info().user.key);
    if (registry_.openKey(platform::RegRoot::CurrentUser, userKey)) {
        if (auto v = readTextValue(registry_, userKey, "User")) userName = *v;
        if (auto v = readTextValue(registry_, userKey, "Company")) company = *v;
    }
    programGroupName = ExpandVariables(info().programGroup.defaultGroup);

    const auto& header = info().header;
    availableSetupTypes = 0;
    availableSetupTypeCount = 0;
    chosenSetupType = 0;
    for (auto [offered, type] : {std::pair{header.customOffered, setuptype::Custom},
                                 std::pair{header.minimalOffered, setuptype::Minimal},
                                 std::pair{header.normalOffered, setuptype::Normal}}) {
        if (!offered) continue;
        availableSetupTypes |= type;
        chosenSetupType = type;
        ++availableSetupTypeCount;
    }

    componentSelection.assign(info().components.size(), ComponentSelection{});
    ApplySetupTypeSelection();

    readmePath.clear();
    showReadme = info().readme.mode == 1;
    restart = false;
}

void CSetupApp::ApplySetupTypeSelection() {
    const uint32_t mask = (chosenSetupType == setuptype::Normal || chosenSetupType == setuptype::Custom) ? 3u : 2u;
    const auto& components = info().components;
    componentSelection.resize(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        componentSelection[i].folder = components[i].destination;
        componentSelection[i].selected = (components[i].setupBits & mask) != 0 ? 1 : 0;
    }
}

}  // namespace setup
