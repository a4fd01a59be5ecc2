#pragma once
// Pictures by name: a file (Windows or host path), a file name found in the program's picture
// folders (without regard to case), or a stock picture of the runtime ("Custom039!", "Print!",
// ...), drawn from the toolkit's standard pictures.
#include <QIcon>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// The folders searched for a picture given by its bare file name, in order.
void setPictureFolders(std::vector<std::filesystem::path> folders);
const std::vector<std::filesystem::path>& pictureFolders();

// The file a picture name stands for; empty for a stock picture or one not found.
std::string findPictureFile(std::string_view name);
bool isStockPicture(std::string_view name);
// The picture; a null icon when the name stands for none. With a mask colour (a colour value
// as 0x00BBGGRR, or -1 for none) the pixels of that colour of a picture file are transparent.
QIcon pictureIcon(std::string_view name, long maskColor = -1);
// The value of "no mask colour".
inline constexpr long kNoMaskColor = -1;

}  // namespace runtime
