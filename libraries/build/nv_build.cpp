#include "libraries/build/nv_build.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <system_error>

#include "authoring/core/nv_registry_create_setup.h"
#include "authoring/core/pakomo.h"
#include "libraries/build/ProjectReader.h"
#include "libraries/build/SetupWriter.h"
#include "platform/Machine.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/System.h"
#include "runtime/ui/Services.h"
#include "runtime/ui/Window.h"
#include "standard/w_mdi.h"

namespace pakomo {
namespace {

namespace fs = std::filesystem;

constexpr const char* BoxTitle = "Build";
constexpr uint32_t DefaultCompressionLevel = 3;
constexpr const char* SetupProgramFile = "Setup";
constexpr const char* DecompressorFile = "libruxdecompress.so";

// The full product name becomes one folder level below "FileDestination".
std::string checkFolderName(const std::string& name) {
    if (name.empty()) return "The product has no name, version or label to name its build folder";
    if (name == "." || name == "..") return "The full product name \"" + name + "\" cannot name a folder";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return "The full product name \"" + name +
                   "\" holds a character that a folder name cannot hold (" +
                   (static_cast<unsigned char>(c) < 0x20 ? std::string("a control character")
                                                         : std::string(1, c)) +
                   ")";
    }
    return {};
}

// Where Setup and its decompression library come from: the "Redist" folder when it is set,
// else the folder of the running program.
fs::path redistFolder(const platform::Machine& machine, const std::string& redist) {
    if (!redist.empty()) {
        auto host = machine.hostPath(redist);
        if (host) return *host;
    }
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : self.parent_path();
}

// The folder the user picked, as a path of the machine.
std::string machinePath(const platform::Machine& machine, const std::string& folder) {
    if (!folder.empty() && folder.front() == '/') return machine.windowsPath(fs::path(folder));
    return folder;
}

// What the build leaves out, before it goes on; a long list is cut so that the box fits the screen.
std::string leftOutText(const ProjectProduct& read) {
    constexpr size_t Shown = 15;
    std::string text =
        "These parts of \"" + read.fullName + "\" belong to no component and are left out of the build:\n";
    for (size_t i = 0; i < read.leftOut.size() && i < Shown; ++i) text += "\n" + read.leftOut[i];
    if (read.leftOut.size() > Shown)
        text += "\n... and " + std::to_string(read.leftOut.size() - Shown) + " more";
    return text + "\n\nGive them a component in the project window to have them installed.";
}

// Shows the file being packed in the wait window, when it has a text for it.
class WaitText {
public:
    explicit WaitText(runtime::Window* window) : window_(window) {
        if (window_) text_ = window_->findControl("st_1");
        if (text_) original_ = text_->text();
    }
    ~WaitText() {
        if (text_ && window_) text_->setText(original_);
    }
    // Shows the line; a few times a second the window system gets its turn, so that the window
    // is drawn at all while the build keeps this thread busy.
    void show(const std::string& line) {
        if (!text_ || !window_) return;
        text_->setText(line);
        const auto now = std::chrono::steady_clock::now();
        if (now - shown_ < std::chrono::milliseconds(100)) return;
        shown_ = now;
        runtime::yieldEvents();
    }

private:
    runtime::Ref<runtime::Window> window_;
    runtime::Control* text_ = nullptr;
    std::string original_;
    std::chrono::steady_clock::time_point shown_{};
};

// The outcome stays in the frame's status bar, where the user looks after the build.
void tellOutcome(const std::string& text) {
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    size_t at;
    while ((at = line.find("  ")) != std::string::npos) line.erase(at, 1);
    if (w_mdi* frame = app().g_w_frame.get()) frame->setStatusText(line);
}

}  // namespace

nv_build::nv_build() : nv_a("nv_build") {
    extend("constructor", [this](runtime::Args) {
        ii_result = fnv_build();
        return runtime::Value();
    });
}

nv_build::~nv_build() = default;

int16_t nv_build::report(const std::string& text) {
    tellOutcome("Not built: " + text);
    runtime::messageBox(BoxTitle, text, runtime::MessageIcon::StopSign);
    return -1;
}

int16_t nv_build::fnv_build() {
    pakomo& a = app();
    const int16_t id = a.gi_prod_id;
    if (id <= 0) return report("No product is chosen to build.");
    auto machine = platform::Machine::open();
    if (!machine) return report("The machine folder cannot be opened: " + machine.error().text);

    ProjectProduct read = read_project_product(a.sqlca, id, *machine);
    if (read.fullName.empty() && !read.ok()) return report(read.error);

    // The settings below belong to the product that the project service holds: make it this one.
    if (!a.gnv_create_setup || !a.gnv_registry) return report("The project service is not running.");
    a.gnv_create_setup->trigger("fnv_retrieve_product_stringtable", {runtime::Value(int{id})});
    const std::string held = a.gnv_create_setup->trigger("fnv_get_fullprodname").toText();
    if (held != read.fullName)
        return report("The settings of \"" + read.fullName + "\" cannot be reached: the program holds \"" +
                      held + "\".");
    nv_registry_create_setup& settings = *a.gnv_registry;

    const std::string failed = "\"" + read.fullName + "\" cannot be built.\n\n";
    std::string problem = read.ok() ? checkFolderName(read.fullName) : read.error;
    if (!problem.empty()) {
        settings.fnv_set_compiled(0);
        return report(failed + problem);
    }

    // The folder is named before anything changes: a build called off leaves a built product so.
    std::string destination = settings.fnv_get_filedest("");
    bool ask = destination.empty();
    if (!ask) {
        const int answer = runtime::messageBox(
            BoxTitle,
            "The discs of \"" + read.fullName + "\" go to " + destination + "\\" + read.fullName +
                ".\n\nYes: build them there.\nNo: choose another folder.\nCancel: build nothing.",
            runtime::MessageIcon::Question, runtime::MessageButtons::YesNoCancel, 1);
        if (answer != 1 && answer != 2) {
            tellOutcome("Not built: the build of " + read.fullName + " was cancelled.");
            return 0;
        }
        ask = answer == 2;
    }
    if (ask) {
        runtime::FileOpenRequest request;
        request.title = "Choose the folder for the discs of " + read.fullName;
        request.folderOnly = true;
        if (!destination.empty())
            if (auto host = machine->hostPath(destination)) request.folder = host->string();
        runtime::FileOpenAnswer chosen = runtime::getFileOpenName(request);
        if (chosen.result != 1 || chosen.folder.empty()) {
            tellOutcome("Not built: no folder was chosen for the discs of " + read.fullName + ".");
            return 0;
        }
        destination = machinePath(*machine, chosen.folder);
        if (settings.fnv_set_filedest(destination) != 1) {
            settings.fnv_set_compiled(0);
            return report(failed + "The folder " + destination + " cannot be stored in the settings.");
        }
    }

    // From here on the product counts as not built until every file is written.
    settings.fnv_set_compiled(0);
    if (!read.leftOut.empty())
        runtime::messageBox(BoxTitle, leftOutText(read), runtime::MessageIcon::Exclamation);

    auto output = machine->hostPath(destination + "\\" + read.fullName);
    if (!output)
        return report(failed + "The folder " + destination + " cannot be used: " + output.error().text);

    build::BuildOptions options;
    options.outputFolder = *output;
    const uint32_t level = settings.fnv_get_compression_level(DefaultCompressionLevel);
    if (level < 1 || level > 19)
        return report(failed + "The compression level (CompressionLevel) is " + std::to_string(level) +
                      "; it must be from 1 to 19.");
    options.compressionLevel = static_cast<int>(level);
    const uint32_t sizeType = settings.fnv_get_sizetype(0);
    if (sizeType == 1) {
        const uint32_t kilobytes = settings.fnv_get_size(0);
        if (kilobytes == 0) return report(failed + "The disc size (Size) is 0 kilobytes.");
        options.discCapacity = uint64_t{kilobytes} * 1024u;
    } else if (sizeType != 0) {
        return report(failed + "The disc size type (Sizetype) is " + std::to_string(sizeType) +
                      "; it must be 0 or 1.");
    }
    const fs::path redist = redistFolder(*machine, settings.fnv_get_redist_path(""));
    options.setupProgram = redist / SetupProgramFile;
    options.decompressor = redist / DecompressorFile;
    for (const fs::path& p : {options.setupProgram, options.decompressor}) {
        std::error_code ec;
        if (!fs::is_regular_file(p, ec))
            return report(failed + "The installer's file " + p.filename().string() + " is not in " +
                          machine->windowsPath(redist) + ".");
    }

    fnv_set_wait();
    build::BuildResult result;
    {
        WaitText wait(a.w_moment_aub.get());
        options.progress = [&](size_t done, size_t total, const std::string& name) {
            wait.show("Packing " + name + " (" + std::to_string(done + 1) + " of " + std::to_string(total) +
                      ")");
        };
        result = build::writeSetup(read.product, options);
    }
    fnv_clear_wait();
    if (!result.ok()) return report(failed + result.error);
    if (settings.fnv_set_compiled(1) != 1)
        return report("\"" + read.fullName + "\" was built, but the settings cannot record it.");
    tellOutcome("\"" + read.fullName + "\" is built: its discs are in " + destination + "\\" + read.fullName +
                ".");
    return 1;
}

void register_build_library() { runtime::registerClass<nv_build>("nv_build"); }

}  // namespace pakomo
