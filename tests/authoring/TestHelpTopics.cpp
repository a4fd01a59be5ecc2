// Every help topic the program's windows ask for, found by reading the sources as they are, is in
// the help file beside the program; and the help file is reached by the Windows path that the
// profile stores.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTextBrowser>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "core/CoreFixture.h"
#include "platform/Machine.h"
#include "runtime/ui/Services.h"

namespace {

namespace fs = std::filesystem;

fs::path buildDir() {
    const char* build = std::getenv("RUX_BUILD_DIR");
    return build ? fs::path(build) : fs::path(".");
}

// Topic number -> the first source that asks for it.
std::map<int, std::string> topicsInTheSources() {
    const char* source = std::getenv("RUX_SOURCE_DIR");
    EXPECT_NE(source, nullptr);
    std::map<int, std::string> found;
    if (!source) return found;
    // A topic constant or a topic set or shown by number.
    const std::regex asked(
        R"((?:help_?topic\w*\s*=\s*|kHelpTopic\w*\s*=\s*|fw_set_helptopic\s*\(\s*|HelpCommand::Topic\s*,\s*)(\d+))",
        std::regex::icase);
    for (const char* folder : {"authoring", "libraries", "standard"}) {
        for (const auto& e : fs::recursive_directory_iterator(fs::path(source) / folder)) {
            if (!e.is_regular_file()) continue;
            const std::string ext = e.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(e.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string s = text.str();
            for (auto it = std::sregex_iterator(s.begin(), s.end(), asked); it != std::sregex_iterator(); ++it)
                found.emplace(std::stoi((*it)[1].str()), fs::relative(e.path(), source).string());
        }
    }
    return found;
}

TEST(HelpTopics, EveryTopicNumberInTheSourcesIsInTheHelpFile) {
    std::optional<runtime::HelpFile> file = runtime::readHelpFile(buildDir() / "bin" / "Pakomo 1.hlp");
    ASSERT_TRUE(file);
    std::map<int, std::string> asked = topicsInTheSources();
    asked.emplace(0, "a window that sets no topic");
    // The scan must see the topics it is known to hold, or it proves nothing.
    for (int known : {15, 27, 29, 30}) EXPECT_TRUE(asked.contains(known)) << known;
    for (const auto& [topic, where] : asked) {
        const runtime::HelpTopic* t = file->find(topic);
        EXPECT_NE(t, nullptr) << "topic " << topic << " (" << where << ") is not in the help file";
        if (t) {
            EXPECT_FALSE(t->body.empty()) << topic;
        }
    }
}

// The profile stores the help folder as the machine's "Z:\..." path of the program's folder.
TEST(HelpTopics, TheViewerOpensTheHelpFileByItsWindowsPath) {
    core_test::qtApplication();
    platform::Result<platform::Machine> machine = platform::Machine::open();
    ASSERT_TRUE(machine);
    const std::string helpfile = machine.value().windowsPath(fs::absolute(buildDir() / "bin")) + "\\Pakomo 1.hlp";
    ASSERT_TRUE(helpfile.starts_with("Z:\\")) << helpfile;
    EXPECT_EQ(runtime::showHelp(helpfile, runtime::HelpCommand::Topic, 29), 1);
    QWidget* viewer = runtime::helpViewerWindow();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), "Help - Duplicate files");
    EXPECT_TRUE(viewer->findChild<QTextBrowser*>()->toPlainText().contains("Duplicate files"));
    EXPECT_EQ(runtime::showHelp(helpfile, runtime::HelpCommand::Contents), 1);
    EXPECT_EQ(viewer->windowTitle(), "Help - Contents");
    EXPECT_EQ(runtime::showHelp(helpfile, runtime::HelpCommand::Keyword, 0, ""), 1);
    EXPECT_EQ(viewer->windowTitle(), "Help - Index");
    EXPECT_EQ(runtime::showHelp(helpfile + ".missing", runtime::HelpCommand::Contents), -1);
    viewer->close();
}

}  // namespace
