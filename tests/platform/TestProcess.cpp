#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/TempFolder.h"

namespace fs = std::filesystem;
using namespace platform;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsByTheWindowsRules) {
    const struct {
        const char* line;
        Args args;
    } cases[] = {
        {"C:\\Windows\\RUXUninst C:\\Windows\\UninstX.RUX", {"C:\\Windows\\RUXUninst", "C:\\Windows\\UninstX.RUX"}},
        {"\"C:\\Program Files\\Acme\\a.exe\" -x  \"two words\"", {"C:\\Program Files\\Acme\\a.exe", "-x", "two words"}},
        {"  prog\t a\\\\b  ", {"prog", "a\\\\b"}},
        {"prog a\\\"b", {"prog", "a\"b"}},
        {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},
        {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},
        {"prog \"\" x", {"prog", "", "x"}},
        {"prog \"a\"\"b\"", {"prog", "a\"b"}},
        {"prog ab\"c d\"e", {"prog", "abc de"}},
        {"\"C:\\dir\\\" arg", {"C:\\dir\\", "arg"}},
        {"prog \"unterminated arg", {"prog", "unterminated arg"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& k : cases) EXPECT_EQ(splitCommandLine(k.line), k.args) << k.line;
}

TEST(CommandLine, JoinGivesTheArgumentsBack) {
    const Args cases[] = {
        {"C:\\Program Files\\Acme\\a.exe", "plain", "two words", "", "quote\"inside", "tail\\",
         "tail space\\", "\\\\server\\share", "a\\\\\"b", "tab\there"},
        {"prog"},
    };
    for (const auto& args : cases) EXPECT_EQ(splitCommandLine(joinCommandLine(args)), args);
    EXPECT_EQ(joinCommandLine({"prog", "a b", "c"}), "prog \"a b\" c");
}

TEST(Process, OwnExecutablePathIsThisTest) {
    fs::path self = ownExecutablePath();
    EXPECT_TRUE(fs::is_regular_file(self));
    EXPECT_EQ(self.filename(), "platform_testprocess");
}

TEST(Process, RunsAWindowsPathOfTheMachineWithItsArguments) {
    Machine m = *Machine::open();
    // The program writes where it is told its machine is, and its arguments.
    writeFile(m.root() / "drive_c/Windows/RUXUninst",
              "#!/bin/sh\nprintf '%s|%s|%s\\n' \"$RUX_MACHINE\" \"$1\" \"$2\" > \"$RUX_MACHINE/ran.txt\"\nexit 7\n");
    fs::permissions(m.root() / "drive_c/Windows/RUXUninst", fs::perms::owner_all);
    auto code = runCommandLine(m, "c:\\windows\\ruxuninst C:\\Windows\\UninstX.RUX \"two words\"", true);
    ASSERT_TRUE(code.ok()) << code.error().text;
    EXPECT_EQ(*code, 7);
    EXPECT_EQ(readFile(m.root() / "ran.txt"), m.root().string() + "|C:\\Windows\\UninstX.RUX|two words\n");

    // Not waited for: the process id comes back and the program runs on its own.
    fs::remove(m.root() / "ran.txt");
    auto pid = runCommandLine(m, "C:\\Windows\\RUXUninst later");
    ASSERT_TRUE(pid.ok());
    EXPECT_GT(*pid, 0);
    for (int i = 0; i < 500 && !fs::exists(m.root() / "ran.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(m.root() / "ran.txt"));
}

TEST(Process, MissingOrUnrunnableProgramsAreErrors) {
    Machine m = *Machine::open();
    EXPECT_EQ(runCommandLine(m, "C:\\Windows\\nothing.exe", true).code(), err::FileNotFound);
    EXPECT_EQ(runCommandLine(m, "", true).code(), err::InvalidParameter);
    writeFile(m.root() / "drive_c/Windows/notexec", "data");
    fs::permissions(m.root() / "drive_c/Windows/notexec", fs::perms::owner_read);
    auto r = runCommandLine(m, "C:\\Windows\\notexec", true);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.code(), err::AccessDenied);  // no execute bit: even root may not run it
}

}  // namespace
