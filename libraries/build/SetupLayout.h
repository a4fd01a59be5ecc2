#pragma once
// Byte layout of the files the build writes: the setup information file, the disc label and the
// archives. The installer reads the same bytes with its own constants; the two sides share no code.
#include <cstddef>
#include <cstdint>

namespace build::layout {

inline constexpr const char* SetupInfoName = "SetupInfo.RUX";
inline constexpr const char* DiscLabelName = "Disc.lbl";
inline constexpr const char* SetupProgramName = "Setup.exe";
inline constexpr const char* DecompressorName = "libruxdecompress.so";
// "Setup%d.RUX" in the folder "Disc%d".
inline constexpr const char* ArchivePrefix = "Setup";
inline constexpr const char* ArchiveSuffix = ".RUX";
inline constexpr const char* DiscFolderPrefix = "Disc";

// Archive offsets and sizes are 32-bit in the installer.
inline constexpr uint64_t MaxArchiveSize = 0xFFFFFFFFu;

inline constexpr size_t MemoSize = 8;  // u32 length, u32 placeholder; the text follows

namespace header {  // SetupHeader
inline constexpr size_t Size = 325;
inline constexpr size_t ProductName = 0, ProductNameWidth = 33;
inline constexpr size_t Version = 33, VersionWidth = 17;
inline constexpr size_t Reserved = 50;
inline constexpr size_t ReadmeOffered = 54;
inline constexpr size_t NormalOffered = 58;
inline constexpr size_t MinimalOffered = 62;
inline constexpr size_t CustomOffered = 66;
inline constexpr size_t DefaultDestination = 70, DefaultDestinationWidth = 255;
inline constexpr size_t ReservedTailSize = 12;
}  // namespace header

namespace wizard {  // WizardOptions: five flags
inline constexpr size_t Size = 20;
inline constexpr size_t Welcome = 0, License = 4, User = 8, Finished = 12, ProgramGroup = 16;
}  // namespace wizard

namespace mainwindow {  // MainWindowInfo
inline constexpr size_t Size = 69;
inline constexpr size_t Title = 0, TitleWidth = 65;
inline constexpr size_t Colour = 65;
}  // namespace mainwindow

namespace background {  // BackgroundText
inline constexpr size_t Size = 333;
inline constexpr size_t Text = 4, TextWidth = 255;
inline constexpr size_t Left = 259, Top = 263;
inline constexpr size_t PointSize = 275;  // u16
inline constexpr size_t Bold = 277, Italic = 281, Underline = 285;
inline constexpr size_t Colour = 289;
inline constexpr size_t FaceName = 293, FaceNameWidth = 40;
}  // namespace background

namespace welcome {
inline constexpr size_t Size = 4;  // protection warning flag
}

namespace license {
inline constexpr size_t Size = 8;  // memo at 0
}

namespace user {
inline constexpr size_t Size = 263;
inline constexpr size_t Key = 0, KeyWidth = 255;
inline constexpr size_t Text = 255;  // memo
}  // namespace user

namespace finished {
inline constexpr size_t Size = 142;
inline constexpr size_t Text = 0;  // memo
inline constexpr size_t OfferRestart = 8;
inline constexpr size_t FirstChoice = 12, ChoiceWidth = 65;
inline constexpr size_t SecondChoice = 77;
}  // namespace finished

namespace programgroup {
inline constexpr size_t Size = 41;
inline constexpr size_t DefaultGroup = 0, DefaultGroupWidth = 33;
inline constexpr size_t Text = 33;  // memo
}  // namespace programgroup

namespace readme {
inline constexpr size_t Size = 66;
inline constexpr size_t Mode = 0;  // u8
inline constexpr size_t CheckText = 1, CheckTextWidth = 65;
}  // namespace readme

namespace progress {
inline constexpr size_t Size = 259;
inline constexpr size_t Text = 0, TextWidth = 255;
inline constexpr size_t ShowFileName = 255;
}  // namespace progress

namespace registry {  // RegistryEntry; the data bytes follow the whole array
inline constexpr size_t Size = 528;
inline constexpr size_t ComponentId = 4;
inline constexpr size_t Root = 8;  // u8
inline constexpr size_t Key = 9, KeyWidth = 255;
inline constexpr size_t ValueName = 264, ValueNameWidth = 255;
inline constexpr size_t DataLength = 519;
inline constexpr size_t Placeholder = 523;
inline constexpr size_t Type = 527;  // u8
}  // namespace registry

namespace variable {  // StringVariable
inline constexpr size_t Size = 288;
inline constexpr size_t Name = 0, NameWidth = 33;
inline constexpr size_t Value = 33, ValueWidth = 255;
}  // namespace variable

namespace component {  // ComponentRecord; descriptions follow the whole array
inline constexpr size_t Size = 329;
inline constexpr size_t FirstDisc = 0;  // u16
inline constexpr size_t Offset = 4;
inline constexpr size_t Id = 12;
inline constexpr size_t ParentId = 16;
inline constexpr size_t Name = 20, NameWidth = 33;
inline constexpr size_t Visible = 53;
inline constexpr size_t SetupTypes = 57;  // u8: 0x01 Normal, 0x02 Minimal
inline constexpr size_t RequiredId = 58;
inline constexpr size_t Description = 62;  // memo
inline constexpr size_t Destination = 70, DestinationWidth = 255;
inline constexpr size_t FolderChangeable = 325;
}  // namespace component

namespace file {  // FileRecord
inline constexpr size_t Size = 357;
inline constexpr size_t ComponentId = 0;
inline constexpr size_t Name = 4, NameWidth = 260;
inline constexpr size_t Readme = 264;
inline constexpr size_t Shortcut = 268;
inline constexpr size_t LinkText = 272, LinkTextWidth = 65;
inline constexpr size_t Shared = 337;
inline constexpr size_t TimeLow = 341, TimeHigh = 345;
inline constexpr size_t InstalledSize = 349;
inline constexpr size_t StoredSize = 353;
}  // namespace file

namespace disclabel {
// The installer reads the disc's number; the number of discs after it lets it report stored
// bytes that run past the last disc as damage instead of asking for a disc that does not exist.
inline constexpr size_t Number = 0, DiscCount = 4;
inline constexpr size_t Size = 8;
}  // namespace disclabel

}  // namespace build::layout
