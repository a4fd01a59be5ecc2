#include "runtime/services/System.h"

#include <ctime>

#include "platform/Files.h"
#include "platform/Parallel.h"
#include "platform/Process.h"
#include "runtime/core/EventQueue.h"

namespace runtime {
namespace {

std::optional<platform::Files> files() {
    platform::Result<platform::Machine> machine = platform::Machine::open();
    if (!machine) return std::nullopt;
    return platform::Files(std::move(machine.value()));
}

class MachineRuns : public RunProvider {
public:
    int run(std::string_view commandLine) override {
        platform::Result<platform::Machine> machine = platform::Machine::open();
        if (!machine) return -1;
        return platform::runCommandLine(machine.value(), commandLine).ok() ? 1 : -1;
    }
};

class MemoryClipboard : public ClipboardProvider {
public:
    std::string text() override { return text_; }
    void setText(std::string_view text) override { text_ = std::string(text); }

private:
    std::string text_;
};

class NoKeys : public KeyStateProvider {
public:
    bool isDown(ModifierKey) override { return false; }
};

class DefaultEnvironment : public EnvironmentProvider {
public:
    Environment environment() override { return {}; }
};

// A replaceable provider with a built-in fallback.
template <class Provider, class BuiltIn>
struct Seam {
    Provider* installed = nullptr;
    BuiltIn builtIn;
    Provider& get() { return installed ? *installed : builtIn; }
    Provider* set(Provider* p) {
        Provider* previous = installed;
        installed = p;
        return previous;
    }
};

Seam<RunProvider, MachineRuns>& runs() {
    static Seam<RunProvider, MachineRuns> s;
    return s;
}
Seam<ClipboardProvider, MemoryClipboard>& clipboard() {
    static Seam<ClipboardProvider, MemoryClipboard> s;
    return s;
}
Seam<KeyStateProvider, NoKeys>& keys() {
    static Seam<KeyStateProvider, NoKeys> s;
    return s;
}
Seam<EnvironmentProvider, DefaultEnvironment>& environments() {
    static Seam<EnvironmentProvider, DefaultEnvironment> s;
    return s;
}

GarbageCollectionLog& gcLog() {
    static GarbageCollectionLog log;
    return log;
}

}  // namespace

bool fileExists(std::string_view path) {
    std::optional<platform::Files> f = files();
    return f && f->exists(path) && !f->isFolder(path);
}

// A folder or a missing file has no length: the one look at the file tells both.
int64_t fileLength(std::string_view path) {
    std::optional<platform::Files> f = files();
    if (!f) return -1;
    platform::Result<uint64_t> length = f->length(path);
    return length ? static_cast<int64_t>(length.value()) : -1;
}

std::vector<int64_t> fileLengths(std::span<const std::string> paths) {
    std::vector<int64_t> out(paths.size(), -1);
    std::optional<platform::Files> f = files();
    if (!f) return out;
    // Thousands of files are looked at on several threads, each length at its path's place.
    platform::forEachInParallel(paths.size(), [&](std::size_t i) {
        platform::Result<uint64_t> length = f->length(paths[i]);
        if (length) out[i] = static_cast<int64_t>(length.value());
    });
    return out;
}

bool fileDelete(std::string_view path) {
    std::optional<platform::Files> f = files();
    return f && f->remove(path).ok();
}

RunProvider* setRunProvider(RunProvider* provider) { return runs().set(provider); }
int run(std::string_view commandLine) { return runs().get().run(commandLine); }

ClipboardProvider* setClipboardProvider(ClipboardProvider* provider) { return clipboard().set(provider); }
std::string clipboardText() { return clipboard().get().text(); }
void setClipboardText(std::string_view text) { clipboard().get().setText(text); }

KeyStateProvider* setKeyStateProvider(KeyStateProvider* provider) { return keys().set(provider); }
bool keyDown(ModifierKey key) { return keys().get().isDown(key); }

EnvironmentProvider* setEnvironmentProvider(EnvironmentProvider* provider) {
    return environments().set(provider);
}
Environment environment() { return environments().get().environment(); }

int pixelsToUnitsX(int pixels) { return static_cast<int>(int64_t(pixels) * 32 / 7); }
int pixelsToUnitsY(int pixels) { return pixels * 4; }
int unitsToPixelsX(int units) { return static_cast<int>(int64_t(units) * 7 / 32); }
int unitsToPixelsY(int units) { return units / 4; }

void setGarbageCollectionInterval(int32_t milliseconds) { gcLog().interval = milliseconds; }
void collectGarbage() { ++gcLog().passes; }
const GarbageCollectionLog& garbageCollectionLog() { return gcLog(); }

int64_t cpuMilliseconds() {
    timespec ts{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts) != 0) return 0;
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void yieldEvents() { EventLoop::driver().yield(); }

}  // namespace runtime
