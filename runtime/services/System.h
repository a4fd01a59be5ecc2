#pragma once
// System functions of the scripts that are not windows: files, running a command line, the
// clipboard, key state, the environment record, the collector, processor time. Each one a test
// cannot answer (run, clipboard, key state, environment) goes through a provider that the ui
// layer or a test replaces.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

// Files by Windows path (or host path) of the machine.
bool fileExists(std::string_view path);
int64_t fileLength(std::string_view path);  // -1 when the file is absent
// The lengths of many files at once (-1 where fileLength() answers -1), the machine opened once.
std::vector<int64_t> fileLengths(std::span<const std::string> paths);
bool fileDelete(std::string_view path);

// Running a command line: 1 when the program started, -1 otherwise.
class RunProvider {
public:
    virtual ~RunProvider() = default;
    virtual int run(std::string_view commandLine) = 0;
};
RunProvider* setRunProvider(RunProvider* provider);  // nullptr: the machine's processes
int run(std::string_view commandLine);

// The clipboard's text; the built-in one keeps it in memory.
class ClipboardProvider {
public:
    virtual ~ClipboardProvider() = default;
    virtual std::string text() = 0;
    virtual void setText(std::string_view text) = 0;
};
ClipboardProvider* setClipboardProvider(ClipboardProvider* provider);
std::string clipboardText();
void setClipboardText(std::string_view text);

// Whether Shift or Ctrl is held down at the moment of the call; built in: neither.
enum class ModifierKey { Shift, Control };
class KeyStateProvider {
public:
    virtual ~KeyStateProvider() = default;
    virtual bool isDown(ModifierKey key) = 0;
};
KeyStateProvider* setKeyStateProvider(KeyStateProvider* provider);
bool keyDown(ModifierKey key);

// The environment record; the ui layer provides the screen's real size.
struct Environment {
    int screenWidth = 1024;  // pixels
    int screenHeight = 768;
};
class EnvironmentProvider {
public:
    virtual ~EnvironmentProvider() = default;
    virtual Environment environment() = 0;
};
EnvironmentProvider* setEnvironmentProvider(EnvironmentProvider* provider);
Environment environment();

// Layout units: x units = pixels x 32 / 7, y units = pixels x 4 (at 96 dots per inch).
int pixelsToUnitsX(int pixels);
int pixelsToUnitsY(int pixels);
int unitsToPixelsX(int units);
int unitsToPixelsY(int units);

// The collector of unreferenced objects: this runtime frees every object when it is destroyed,
// so both calls only record that they were made.
void setGarbageCollectionInterval(int32_t milliseconds);
void collectGarbage();
struct GarbageCollectionLog {
    std::optional<int32_t> interval;
    int passes = 0;
};
const GarbageCollectionLog& garbageCollectionLog();

// Processor time the program has used so far, in milliseconds.
int64_t cpuMilliseconds();

// Lets pending events run (the toolkit's and the posted ones) before the script goes on.
void yieldEvents();

}  // namespace runtime
