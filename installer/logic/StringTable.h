#pragma once
// The installer's string table: its numbered messages, in English.
#include <cstdint>
#include <string>
#include <string_view>

namespace setup {

namespace ids {
inline constexpr uint32_t EnterName = 16386;
inline constexpr uint32_t EnterProgramGroup = 16387;
inline constexpr uint32_t InstallAlsoRequired = 16388;
inline constexpr uint32_t SkipAlsoDependent = 16389;
inline constexpr uint32_t FailedCreateFolder = 16390;
inline constexpr uint32_t FailedCreateProgramGroup = 16391;
inline constexpr uint32_t InstallationNotCompleted = 16392;
inline constexpr uint32_t FailedOpenFile = 16393;
inline constexpr uint32_t ConfirmCancel = 16394;
inline constexpr uint32_t ReadyToInstall = 16395;
inline constexpr uint32_t DecompressError = 16396;
inline constexpr uint32_t ReadError = 16397;
inline constexpr uint32_t WriteError = 16398;
}  // namespace ids

// The text of a string-table id as stored ("%1", "%2" unfilled); empty for an unknown id.
std::string_view LoadStringText(uint32_t id);
// The text with %1 and %2 replaced (each marker once, left to right, arguments not rescanned).
std::string FormatStringText(uint32_t id, std::string_view arg1 = {}, std::string_view arg2 = {});

// Caption of boxes whose system error has no caption of its own.
inline constexpr std::string_view ErrorCaption = "An error has occurred.";
inline constexpr std::string_view MemoryProblemCaption = "Memory problem";

}  // namespace setup
