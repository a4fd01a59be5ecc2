// The system-call wrapper: the Windows folders written into the caller's string, a file's
// information for the file lists, and the open dialog that leaves the current folder alone.
#include "framework/FrameworkFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "platform/Machine.h"
#include "runtime/ui/Services.h"
#include "standard/nv_winapi.h"
#include "support/TempFolder.h"

using namespace pakomo;

namespace {

class SystemCalls : public framework_test::FrameworkFixture {
protected:
    nv_winapi& api() { return nv_winapi::instance(); }
};

TEST_F(SystemCalls, WindowsFoldersFillTheStringOnlyWhenThereIsRoom) {
    std::string path(256, ' ');
    EXPECT_EQ(api().getwindowsdirectorya(path, 256), 10);
    EXPECT_EQ(path, "C:\\Windows");
    path.assign(256, ' ');
    EXPECT_EQ(api().getsystemdirectorya(path, 256), 19);
    EXPECT_EQ(path, "C:\\Windows\\System32");
    std::string small(4, ' ');
    EXPECT_EQ(api().getwindowsdirectorya(small, 4), 11);
    EXPECT_EQ(small, "    ");
}

TEST_F(SystemCalls, FileInformationOfPresentAndMissingFiles) {
    auto machine = platform::Machine::open();
    ASSERT_TRUE(machine);
    std::filesystem::path host = *machine->hostPath("C:\\Windows\\Temp\\setup.ini");
    testing_support::writeFile(host, std::string(1234, 'x'));
    std::tm when{};
    when.tm_year = 101;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 7;
    when.tm_min = 8;
    when.tm_sec = 9;
    when.tm_isdst = -1;
    std::filesystem::last_write_time(
        host, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(std::mktime(&when))));

    std::string file = "C:\\Windows\\Temp\\setup.ini";
    str_fileinfo info = api().fnv_get_fileinfo(file);
    EXPECT_EQ(info.s_sort_writetime, "20010305070809");
    EXPECT_EQ(info.s_writetime, "05-03-2001 07:08:09");
    EXPECT_EQ(info.l_size, 1234u);

    std::string missing = "C:\\Windows\\Temp\\nothing.ini";
    info = api().fnv_get_fileinfo(missing);
    EXPECT_EQ(info.s_writetime, "<Unknown>");
    EXPECT_EQ(info.l_size, 0u);
    EXPECT_EQ(info.s_sort_writetime, "");
}

// A dialog that wanders off to another folder before it answers, as a real one may.
class WanderingDialog : public runtime::FileDialogProvider {
public:
    WanderingDialog(std::filesystem::path elsewhere, runtime::FileOpenAnswer answer)
        : elsewhere_(std::move(elsewhere)), answer_(std::move(answer)) {
        previous_ = runtime::setFileDialogProvider(this);
    }
    ~WanderingDialog() override { runtime::setFileDialogProvider(previous_); }
    runtime::FileOpenAnswer open(const runtime::FileOpenRequest& request) override {
        asked = request;
        std::filesystem::current_path(elsewhere_);
        return answer_;
    }
    runtime::FileOpenRequest asked;

private:
    std::filesystem::path elsewhere_;
    runtime::FileOpenAnswer answer_;
    runtime::FileDialogProvider* previous_;
};

TEST_F(SystemCalls, OpenDialogRestoresTheCurrentFolderWhateverTheUserDid) {
    testing_support::TempFolder start("start"), elsewhere("elsewhere");
    for (int result : {1, 0, -1}) {
        std::filesystem::current_path(start.path());
        runtime::FileOpenAnswer answer{result, result == 1 ? "C:\\Data" : "", {}};
        if (result == 1) answer.files = {"readme.txt"};
        WanderingDialog dialog(elsewhere.path(), answer);
        std::string pathname = "C:\\Start", filename;
        EXPECT_EQ(api().fnv_getfileopenname("Select a file", pathname, filename, "txt", "Text files,*.txt"), result);
        EXPECT_EQ(std::filesystem::current_path(), start.path()) << result;
        EXPECT_EQ(dialog.asked.folder, "C:\\Start");
        EXPECT_EQ(dialog.asked.title, "Select a file");
        if (result == 1) {
            EXPECT_EQ(pathname, "C:\\Data\\readme.txt");
            EXPECT_EQ(filename, "readme.txt");
        } else {
            EXPECT_EQ(pathname, "C:\\Start");
        }
    }
}

}  // namespace
