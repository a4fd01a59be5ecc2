#include "platform/Faults.h"

#include "platform/Registry.h"
#include "platform/detail/HostIo.h"

#include <charconv>
#include <vector>

namespace fs = std::filesystem;

namespace platform {
namespace {

// faults.txt: one fault a line, "<kind>\t<code>\t<times>\t<target>".
constexpr const char* kFaultsFile = "faults.txt";
constexpr const char* kFaultsLock = ".faults.lock";

struct Fault {
    FaultKind kind;
    uint32_t code;
    int times;
    std::string target;
};

std::string_view kindName(FaultKind kind) {
    switch (kind) {
    case FaultKind::CreateFolder: return "CreateFolder";
    case FaultKind::OpenFile: return "OpenFile";
    case FaultKind::RegistryWrite: return "RegistryWrite";
    case FaultKind::RegistryCrash: return "RegistryCrash";
    }
    return "";
}

std::vector<Fault> parseFaults(std::string_view text) {
    std::vector<Fault> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        std::string_view fields[4];
        size_t start = 0;
        int n = 0;
        for (; n < 3; ++n) {
            size_t tab = line.find('\t', start);
            if (tab == std::string_view::npos) break;
            fields[n] = line.substr(start, tab - start);
            start = tab + 1;
        }
        if (n != 3) continue;
        fields[3] = line.substr(start);
        Fault f{};
        bool known = false;
        for (FaultKind k : {FaultKind::CreateFolder, FaultKind::OpenFile, FaultKind::RegistryWrite,
                            FaultKind::RegistryCrash})
            if (fields[0] == kindName(k)) {
                f.kind = k;
                known = true;
            }
        if (!known) continue;
        std::from_chars(fields[1].data(), fields[1].data() + fields[1].size(), f.code);
        std::from_chars(fields[2].data(), fields[2].data() + fields[2].size(), f.times);
        f.target = std::string(fields[3]);
        out.push_back(std::move(f));
    }
    return out;
}

std::string formatFaults(const std::vector<Fault>& faults) {
    std::string out;
    for (const auto& f : faults)
        out += std::string(kindName(f.kind)) + "\t" + std::to_string(f.code) + "\t" +
               std::to_string(f.times) + "\t" + f.target + "\n";
    return out;
}

// The form in which targets compare: resolved host paths, or the registry key with its root's
// long name; both without regard to case.
std::string canonicalTarget(const Machine& machine, FaultKind kind, std::string_view target) {
    if (kind == FaultKind::RegistryWrite || kind == FaultKind::RegistryCrash) {
        std::string_view rootPart = target.substr(0, target.find('\\'));
        std::string_view rest = rootPart.size() < target.size() ? target.substr(rootPart.size()) : "";
        while (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
        while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
        auto root = parseRootName(rootPart);
        std::string out(root ? rootName(*root) : rootPart);
        if (!rest.empty()) out += "\\" + std::string(rest);
        return detail::lowerAscii(out);
    }
    auto host = machine.hostPath(target);
    if (!host) return detail::lowerAscii(target);
    std::string s = host->lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return detail::lowerAscii(s);
}

}  // namespace

Status injectFault(const Machine& machine, FaultKind kind, std::string_view target, uint32_t code,
                   int times) {
    if (target.find_first_of("\t\r\n") != std::string_view::npos)
        return makeError(err::InvalidParameter, "fault target");
    if (times == 0) return {};
    auto lock = detail::LockFile::acquire(machine.root() / kFaultsLock);
    if (!lock) return lock.error();
    auto text = detail::readWholeFile(machine.root() / kFaultsFile);
    auto faults = parseFaults(text ? *text : std::string());
    faults.push_back(Fault{kind, code, times, std::string(target)});
    return detail::writeFileAtomic(machine.root() / kFaultsFile, formatFaults(faults));
}

Status clearFaults(const Machine& machine) {
    auto lock = detail::LockFile::acquire(machine.root() / kFaultsLock);
    if (!lock) return lock.error();
    std::error_code ec;
    fs::remove(machine.root() / kFaultsFile, ec);
    if (ec) return errorFromErrnoValue(ec.value());
    return {};
}

namespace {

uint32_t findFault(const Machine& machine, FaultKind kind, std::string_view target, bool consume) {
    std::error_code ec;
    if (!fs::exists(machine.root() / kFaultsFile, ec)) return 0;
    auto lock = detail::LockFile::acquire(machine.root() / kFaultsLock);
    if (!lock) return 0;
    auto text = detail::readWholeFile(machine.root() / kFaultsFile);
    if (!text) return 0;
    auto faults = parseFaults(*text);
    std::string wanted = canonicalTarget(machine, kind, target);
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->kind != kind || canonicalTarget(machine, kind, it->target) != wanted) continue;
        uint32_t code = it->code;
        if (consume && it->times > 0) {
            if (--it->times == 0) faults.erase(it);
            (void)detail::writeFileAtomic(machine.root() / kFaultsFile, formatFaults(faults));
        }
        return code;
    }
    return 0;
}

}  // namespace

uint32_t takeFault(const Machine& machine, FaultKind kind, std::string_view target) {
    return findFault(machine, kind, target, true);
}

bool faultPending(const Machine& machine, FaultKind kind, std::string_view target) {
    return findFault(machine, kind, target, false) != 0;
}

}  // namespace platform
