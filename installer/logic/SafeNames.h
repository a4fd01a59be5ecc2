#pragma once
// Names from a setup or typed by the user that become parts of paths: none may lead outside the
// folder it is put into.
#include <string_view>

namespace setup {

// A relative path below a folder: not empty, no drive, no leading separator, no ":" and no part
// that is empty, "." or "..". Backslashes and slashes may separate subfolders.
bool IsSafeRelativePath(std::string_view name);
// One name inside a folder (a program group, a shortcut text): as above, and no separator at all.
bool IsSafeSingleName(std::string_view name);

// Longest path (without its NUL) that Setup keeps in a 260-byte field.
inline constexpr std::size_t MaxPathText = 259;

}  // namespace setup
