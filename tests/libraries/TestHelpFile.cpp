// The program's help file as the program finds it beside itself: every topic a window asks for
// is there, with a title and text, and no number is used twice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "libraries/project/w_project.h"
#include "libraries/wizard/w_product_wizard.h"
#include "runtime/ui/Services.h"

namespace {

std::filesystem::path helpFile() {
    const char* build = std::getenv("RUX_BUILD_DIR");
    return std::filesystem::path(build ? build : ".") / "bin" / "Pakomo 1.hlp";
}

TEST(HelpFile, EveryTopicTheWindowsAskForIsThere) {
    std::optional<runtime::HelpFile> file = runtime::readHelpFile(helpFile());
    ASSERT_TRUE(file) << helpFile();
    // 0: a window that sets no topic; the string-constant picker, the file properties, the
    // duplicate files, the registry browser; the wizard and the project window.
    for (int topic : {0, 15, 27, 29, 30, int{pakomo::w_product_wizard::help_topic}, int{pakomo::w_project::help_topic}}) {
        SCOPED_TRACE(topic);
        const runtime::HelpTopic* t = file->find(topic);
        ASSERT_NE(t, nullptr);
        EXPECT_FALSE(t->title.empty());
        EXPECT_FALSE(t->keywords.empty());
        EXPECT_GT(t->body.size(), 200u);  // a real explanation, not a placeholder
    }
    std::set<int> numbers;
    for (const runtime::HelpTopic& t : file->topics) EXPECT_TRUE(numbers.insert(t.number).second) << t.number;
    EXPECT_FALSE(file->search("registry").empty());
}

}  // namespace
