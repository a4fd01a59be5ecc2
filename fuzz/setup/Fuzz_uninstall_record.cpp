// Both readers of the uninstall record over any bytes. The uninstaller's reader is the stricter
// one: whatever it accepts, Setup's reader accepts with the same entries, and it writes back the
// same bytes.
#include "installer/logic/ChangeLog.h"
#include "libraries/uninstaller/UninstallRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    std::string why;
    auto strict = uninstaller::parseUninstallRecord(bytes, why);
    auto loose = setup::DecodeUninstallRecord(bytes);
    if (!strict) return 0;
    if (!loose || loose->entries.size() != strict->entries.size() || loose->displayName != strict->displayName)
        __builtin_trap();
    for (size_t i = 0; i < strict->entries.size(); ++i) {
        const auto& a = strict->entries[i];
        const auto& b = loose->entries[i];
        if (a.type != b.type || a.name != b.name || a.value != b.value) __builtin_trap();
    }
    // Re-encoding is exact apart from the bytes after each text's zero, which no reader keeps.
    auto again = uninstaller::encodeUninstallRecord(*strict);
    std::string ignored;
    auto back = uninstaller::parseUninstallRecord(again, ignored);
    if (!back || again.size() != size) __builtin_trap();
    return 0;
}
