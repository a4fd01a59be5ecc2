#pragma once
// The byte layouts of the files Setup reads and writes, written once: the setup information
// records, the disc label and the uninstall record. Integers are little-endian; a text field of
// width n holds at most n - 1 characters followed by zero bytes.
#include <cstddef>

namespace setup::layout {

struct Field {
    std::size_t offset;
    std::size_t width;
};

inline constexpr std::size_t CountSize = 4;      // the u32 before every counted array
inline constexpr std::size_t MemoSize = 8;       // u32 length, u32 placeholder
inline constexpr std::size_t ReservedTrailerSize = 12;

namespace header {
inline constexpr std::size_t Size = 325;
inline constexpr Field ProductName{0, 33};
inline constexpr Field Version{33, 17};
inline constexpr Field Reserved{50, 4};
inline constexpr Field ReadmeOffered{54, 4};
inline constexpr Field NormalOffered{58, 4};
inline constexpr Field MinimalOffered{62, 4};
inline constexpr Field CustomOffered{66, 4};
inline constexpr Field DefaultDestination{70, 255};
}  // namespace header

namespace wizard {
inline constexpr std::size_t Size = 20;
inline constexpr Field Welcome{0, 4};
inline constexpr Field License{4, 4};
inline constexpr Field UserInformation{8, 4};
inline constexpr Field Finished{12, 4};
inline constexpr Field ProgramGroup{16, 4};
}  // namespace wizard

namespace mainwindow {
inline constexpr std::size_t Size = 69;
inline constexpr Field Title{0, 65};
inline constexpr Field BackgroundColour{65, 4};
}  // namespace mainwindow

namespace backgroundtext {
inline constexpr std::size_t Size = 333;
inline constexpr Field Text{4, 255};
inline constexpr Field Left{259, 4};
inline constexpr Field Top{263, 4};
inline constexpr Field PointSize{275, 2};
inline constexpr Field Bold{277, 4};
inline constexpr Field Italic{281, 4};
inline constexpr Field Underline{285, 4};
inline constexpr Field Colour{289, 4};
inline constexpr Field FaceName{293, 40};
}  // namespace backgroundtext

namespace welcome {
inline constexpr std::size_t Size = 4;
inline constexpr Field ProtectionWarning{0, 4};
}  // namespace welcome

namespace license {
inline constexpr std::size_t Size = 8;
inline constexpr Field Memo{0, 8};
}  // namespace license

namespace user {
inline constexpr std::size_t Size = 263;
inline constexpr Field Key{0, 255};
inline constexpr Field Memo{255, 8};
}  // namespace user

namespace finished {
inline constexpr std::size_t Size = 142;
inline constexpr Field Memo{0, 8};
inline constexpr Field RestartOffered{8, 4};
inline constexpr Field FirstChoice{12, 65};
inline constexpr Field SecondChoice{77, 65};
}  // namespace finished

namespace programgroup {
inline constexpr std::size_t Size = 41;
inline constexpr Field DefaultGroup{0, 33};
inline constexpr Field Memo{33, 8};
}  // namespace programgroup

namespace readme {
inline constexpr std::size_t Size = 66;
inline constexpr Field Mode{0, 1};
inline constexpr Field CheckBoxText{1, 65};
}  // namespace readme

namespace progress {
inline constexpr std::size_t Size = 259;
inline constexpr Field Text{0, 255};
inline constexpr Field ShowFileName{255, 4};
}  // namespace progress

namespace registryentry {
inline constexpr std::size_t Size = 528;
inline constexpr Field ComponentId{4, 4};
inline constexpr Field Root{8, 1};
inline constexpr Field Key{9, 255};
inline constexpr Field ValueName{264, 255};
inline constexpr Field DataLength{519, 4};
inline constexpr Field ValueType{527, 1};
}  // namespace registryentry

namespace stringvariable {
inline constexpr std::size_t Size = 288;
inline constexpr Field Name{0, 33};
inline constexpr Field Value{33, 255};
}  // namespace stringvariable

namespace component {
inline constexpr std::size_t Size = 329;
inline constexpr Field FirstDisc{0, 2};
inline constexpr Field Offset{4, 4};
inline constexpr Field Id{12, 4};
inline constexpr Field ParentId{16, 4};
inline constexpr Field Name{20, 33};
inline constexpr Field Visible{53, 4};
inline constexpr Field SetupBits{57, 1};
inline constexpr Field RequiredId{58, 4};
inline constexpr Field Description{62, 8};
inline constexpr Field Destination{70, 255};
inline constexpr Field FolderChangeable{325, 4};
}  // namespace component

namespace file {
inline constexpr std::size_t Size = 357;
inline constexpr Field ComponentId{0, 4};
inline constexpr Field Name{4, 260};
inline constexpr Field Readme{264, 4};
inline constexpr Field Shortcut{268, 4};
inline constexpr Field ShortcutText{272, 65};
inline constexpr Field Shared{337, 4};
inline constexpr Field TimeLow{341, 4};
inline constexpr Field TimeHigh{345, 4};
inline constexpr Field InstalledSize{349, 4};
inline constexpr Field StoredSize{353, 4};
}  // namespace file

namespace disclabel {
inline constexpr std::size_t Size = 4;  // u32 disc number; anything after it is ignored
}

// Uninst<name>.RUX: u32 L, the display name with its NUL (L bytes), u32 n, n entries.
namespace uninstall {
inline constexpr std::size_t EntrySize = 521;
inline constexpr Field Type{0, 1};
inline constexpr Field Name{1, 260};
inline constexpr Field Value{261, 260};
inline constexpr std::size_t MaxText = 259;  // a name or value text, without its NUL
}  // namespace uninstall

}  // namespace setup::layout
