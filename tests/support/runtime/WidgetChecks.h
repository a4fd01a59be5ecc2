#pragma once
// Checks of what a user sees on a window: texts that do not fit their control, and access keys
// that two controls of one page share.
#include <string>
#include <vector>

class QWidget;

namespace runtime {

// The texts of the visible labels, buttons and group boxes below `root` that their control cuts
// at its font; each as "<object name>: <text>".
std::vector<std::string> clippedTexts(QWidget* root);

// Access keys that two visible controls of one page share (a tab page together with what stands
// outside the tabs, the tabs' own keys included); each as "<key>: <text>, <text>".
std::vector<std::string> accessKeyClashes(QWidget* root);

}  // namespace runtime
