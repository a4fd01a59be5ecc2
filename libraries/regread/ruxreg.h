#pragma once
// The registry-reading library: what the registry browser calls as an external function.
#include <string>

namespace pakomo {

// Writes the values of the key `key` (its full path, beginning with the root's name) into a new
// text file in the machine's temporary folder: one line per value with the value's name, its type
// code in decimal and its data as text, separated by tabs. The data is written in the forms the
// installer reads back: text as it is, a double word as "0x" and eight hex digits, anything else
// as hex pairs joined by commas. A type without such a form is given as 255. A value that one
// line cannot carry (a tab or a line break in its name or text) is left out.
//
// Puts the file's Windows path (ending in ".tmp" in any letter case, at most 255 characters) into
// `file` and answers true. False when the key does not exist or cannot be read, or the file cannot
// be written; `file` is left as it was then and no file remains.
bool RegInfo(std::string& key, std::string& file);

}  // namespace pakomo
