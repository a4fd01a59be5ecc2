// System services of the host runtime: message box seam, registry, files, run, clipboard,
// masks, text to number, layout units, the collector's record.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "runtime/core/EventQueue.h"
#include "runtime/services/MessageBox.h"
#include "runtime/services/RegistryFunctions.h"
#include "runtime/services/System.h"
#include "runtime/services/Text.h"
#include "support/TempFolder.h"
#include "support/runtime/RuntimeDoubles.h"

using namespace runtime;

namespace {

TEST(MessageBoxService, ScriptedAnswersAreReturnedAndEveryBoxIsRecorded) {
    struct Case {
        MessageIcon icon;
        MessageButtons buttons;
        int answer;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {MessageIcon::Information, MessageButtons::Ok, 1, {"OK"}},
        {MessageIcon::Exclamation, MessageButtons::OkCancel, 2, {"OK", "Cancel"}},
        {MessageIcon::StopSign, MessageButtons::YesNo, 1, {"Yes", "No"}},
        {MessageIcon::Question, MessageButtons::YesNoCancel, 3, {"Yes", "No", "Cancel"}},
        {MessageIcon::None, MessageButtons::RetryCancel, 2, {"Retry", "Cancel"}},
        {MessageIcon::Question, MessageButtons::AbortRetryIgnore, 3, {"Abort", "Retry", "Ignore"}},
    };
    ScriptedMessageBoxes boxes;
    for (const Case& c : cases) boxes.answer(c.answer);
    int n = 0;
    for (const Case& c : cases) {
        std::string text = "text " + std::to_string(++n) + "\r\tline";
        EXPECT_EQ(messageBox("Title " + std::to_string(n), text, c.icon, c.buttons), c.answer);
        EXPECT_EQ(buttonLabels(c.buttons), c.labels);
    }
    ASSERT_EQ(boxes.shown().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const MessageBoxRequest& r = boxes.shown()[i];
        EXPECT_EQ(r.title, "Title " + std::to_string(i + 1));
        EXPECT_EQ(r.text, "text " + std::to_string(i + 1) + "\r\tline");
        EXPECT_EQ(r.icon, cases[i].icon);
        EXPECT_EQ(r.buttons, cases[i].buttons);
    }
    EXPECT_EQ(boxes.unansweredCount(), 0u);
}

TEST(MessageBoxService, AnswerOutsideTheButtonSetIsTheDefaultButton) {
    struct Stray : MessageBoxProvider {
        int show(const MessageBoxRequest&) override { return 7; }
    } stray;
    MessageBoxProvider* previous = setMessageBoxProvider(&stray);
    EXPECT_EQ(messageBox("t", "x", MessageIcon::Question, MessageButtons::YesNo, 2), 2);
    EXPECT_EQ(messageBox("t", "x", MessageIcon::Question, MessageButtons::YesNo, 9), 1);
    setMessageBoxProvider(previous);
}

TEST(MessageBoxServiceDeathTest, UnscriptedBoxEndsTheTestLoudly) {
    EXPECT_DEATH(
        {
            ScriptedMessageBoxes boxes;
            messageBox("Fatal error", "unexpected");
        },
        "Unexpected message box.*Fatal error");
    EXPECT_DEATH(
        {
            ScriptedMessageBoxes boxes;
            boxes.answer(3);
            messageBox("Question", "two buttons", MessageIcon::Question, MessageButtons::YesNo);
        },
        "not a button");
}

TEST(RegistryFunctions, ReadsFailOnMissingKeyMissingValueOrAnotherType) {
    const std::string root = "HKEY_CURRENT_USER\\Software\\RUX\\Pakomo 1.0";
    ASSERT_TRUE(registry::setString(root + "\\Db", "Dsn", "pakomo"));
    ASSERT_TRUE(registry::setNumber(root + "\\Products\\A\\BuildParms", "CompressionLevel", 0xFFFFFFFFu));
    ASSERT_TRUE(registry::setString("HKCU\\Software\\RUX\\Pakomo 1.0\\Help", "Path", "C:\\Help"));

    struct Case {
        std::string key, value;
        std::optional<std::string> text;
        std::optional<uint32_t> number;
    };
    const Case cases[] = {
        {root + "\\Db", "Dsn", "pakomo", std::nullopt},
        {root + "\\db", "DSN", "pakomo", std::nullopt},  // without regard to case
        {root + "\\Help", "Path", "C:\\Help", std::nullopt},
        {root + "\\Products\\A\\BuildParms", "CompressionLevel", std::nullopt, 0xFFFFFFFFu},
        {root + "\\Missing", "Dsn", std::nullopt, std::nullopt},
        {root + "\\Db", "Missing", std::nullopt, std::nullopt},
        {"HKEY_NOWHERE\\Software", "Dsn", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(registry::getString(c.key, c.value), c.text) << c.key << " " << c.value;
        EXPECT_EQ(registry::getNumber(c.key, c.value), c.number) << c.key << " " << c.value;
    }
}

TEST(RegistryFunctions, SubkeysAndDeletingOnlyKeysWithoutSubkeys) {
    const std::string root = "HKEY_CURRENT_USER\\Software\\RUX\\Listing\\Products";
    ASSERT_TRUE(registry::setString(root + "\\Zeta\\Positions\\Fileview", "Width1", "1"));
    ASSERT_TRUE(registry::setNumber(root + "\\Alpha", "UpToDate", 1));
    EXPECT_EQ(registry::subkeys(root), (std::vector<std::string>{"Zeta", "Alpha"}));
    EXPECT_EQ(registry::subkeys(root + "\\Alpha"), std::vector<std::string>{});
    EXPECT_EQ(registry::subkeys(root + "\\None"), std::nullopt);

    struct Case {
        std::string key;
        bool deleted;
    };
    const Case cases[] = {
        {root + "\\Zeta", false},                       // has a subkey
        {root + "\\Zeta\\Positions\\Fileview", true},   // a leaf
        {root + "\\Zeta\\Positions\\Fileview", false},  // gone already
        {root + "\\Zeta\\Positions", true},
        {root + "\\Zeta", true},
        {"HKEY_CURRENT_USER", false},  // never the root itself
    };
    for (const Case& c : cases) EXPECT_EQ(registry::deleteKey(c.key), c.deleted) << c.key;
    EXPECT_EQ(registry::subkeys(root), std::vector<std::string>{"Alpha"});
    EXPECT_EQ(registry::getNumber(root + "\\Alpha", "UpToDate"), 1u);
}

TEST(FileFunctions, ExistsLengthAndDelete) {
    platform::Result<platform::Machine> machine = platform::Machine::open();
    ASSERT_TRUE(machine.ok());
    auto host = [&](const char* path) { return machine->hostPath(path).value(); };
    testing_support::writeFile(host("C:\\Windows\\Temp\\five.txt"), "12345");
    testing_support::writeFile(host("C:\\Windows\\Temp\\empty.txt"), "");

    struct Case {
        std::string path;
        bool exists;
        int64_t length;
    };
    const Case cases[] = {
        {"C:\\Windows\\Temp\\five.txt", true, 5},  {"c:/windows/temp/FIVE.TXT", true, 5},
        {"C:\\Windows\\Temp\\empty.txt", true, 0}, {"C:\\Windows\\Temp\\absent.txt", false, -1},
        {"C:\\Windows\\Temp", false, -1},  // a folder is no file
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileExists(c.path), c.exists) << c.path;
        EXPECT_EQ(fileLength(c.path), c.length) << c.path;
    }
    EXPECT_TRUE(fileDelete("C:\\Windows\\Temp\\five.txt"));
    EXPECT_FALSE(fileExists("C:\\Windows\\Temp\\five.txt"));
    EXPECT_FALSE(fileDelete("C:\\Windows\\Temp\\five.txt"));
    EXPECT_FALSE(fileDelete("C:\\Windows\\Temp"));
}

// Many files are looked at in parallel; each length stays at its path's place.
TEST(FileFunctions, LengthsOfManyFilesKeepTheirOrder) {
    platform::Result<platform::Machine> machine = platform::Machine::open();
    ASSERT_TRUE(machine.ok());
    std::vector<std::string> paths;
    std::vector<int64_t> expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string path = "C:\\Windows\\Temp\\many\\f" + std::to_string(i) + ".txt";
        paths.push_back(path);
        if (i % 7 == 3) {  // missing
            expected.push_back(-1);
            continue;
        }
        testing_support::writeFile(machine->hostPath(path).value(), std::string(static_cast<size_t>(i % 50), 'x'));
        expected.push_back(i % 50);
    }
    paths.push_back("C:\\Windows\\Temp\\many");  // a folder
    expected.push_back(-1);
    EXPECT_EQ(fileLengths(paths), expected);
    EXPECT_TRUE(fileLengths({}).empty());
}

TEST(RunService, RecordsCommandLinesAndStartsRealPrograms) {
    {
        RecordedRuns runs(1);
        EXPECT_EQ(run("\"C:\\Program Files\\P\\Disc1\\Setup.exe\" Test \"C:\\readme.txt\""), 1);
        EXPECT_EQ(
            runs.commandLines(),
            std::vector<std::string>{"\"C:\\Program Files\\P\\Disc1\\Setup.exe\" Test \"C:\\readme.txt\""});
    }
    // Without a recorder the machine runs the program.
    EXPECT_EQ(run("/bin/true"), 1);
    EXPECT_EQ(run("C:\\no\\such\\program.exe"), -1);
    EXPECT_EQ(run(""), -1);
}

TEST(ClipboardService, KeepsTextAndGoesThroughAnInstalledProvider) {
    setClipboardText("^PRODUCTNAME^");
    EXPECT_EQ(clipboardText(), "^PRODUCTNAME^");
    struct Fixed : ClipboardProvider {
        std::string last;
        std::string text() override { return "from provider"; }
        void setText(std::string_view t) override { last = std::string(t); }
    } fixed;
    ClipboardProvider* previous = setClipboardProvider(&fixed);
    setClipboardText("x");
    EXPECT_EQ(fixed.last, "x");
    EXPECT_EQ(clipboardText(), "from provider");
    setClipboardProvider(previous);
    EXPECT_EQ(clipboardText(), "^PRODUCTNAME^");
}

TEST(TextService, DateAndTimeMasks) {
    struct Case {
        DateTime when;
        std::string date, time;
    };
    const Case cases[] = {
        {{2026, 12, 10, 14, 30, 25, 123456}, "10122026", "14302512"},
        {{2027, 1, 5, 9, 5, 3, 9000}, "05012027", "09050300"},
        {{1999, 9, 30, 0, 0, 0, 999999}, "30091999", "00000099"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatDate(c.when, "ddmmyyyy"), c.date);
        EXPECT_EQ(formatTime(c.when, "hhmmssff"), c.time);
    }
    EXPECT_EQ(formatDate({2026, 3, 4}, "d.m.yy"), "4.3.26");
    EXPECT_EQ(formatDate(now(), "ddmmyyyy").size(), 8u);
}

TEST(TextService, NumberMasks) {
    struct Case {
        double value;
        std::string mask, text;
    };
    const Case cases[] = {
        {42, "0000000000", "0000000042"},
        {0, "0000000000", "0000000000"},
        {12345678901.0, "0000000000", "12345678901"},
        {3500, "###,###,###,###", "3,500"},
        {12, "###,###,###,###", "12"},
        {1234567890123.0, "###,###,###,###", "1,234,567,890,123"},
        {0, "###,###,###,###", "0"},
        {0, "###,###,###,##0", "0"},
        {999, "###,###,###,##0", "999"},
        {-1234.5, "#,##0.00", "-1,234.50"},
        {2.125, "0.00", "2.13"},
        {1.5, "0.##", "1.5"},
        {0.4, "0", "0"},
        {-0.4, "0", "0"},
        {0.5, "0", "1"},
        {7, "$#,##0 bytes", "$7 bytes"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatNumber(c.value, c.mask), c.text) << c.value << " " << c.mask;
    EXPECT_EQ(formatNumber(int64_t{4000000000}, "###,###,###,###"), "4,000,000,000");
    EXPECT_EQ(formatNumber(int64_t{9223372036854775807}, "0000000000"), "9223372036854775807");
    EXPECT_EQ(formatNumber(int64_t{-12}, "0000"), "-0012");
}

TEST(TextService, TextToNumberIsZeroWhenTheTextIsNoNumber) {
    struct Case {
        std::string text;
        double number;
    };
    const Case cases[] = {{"12", 12}, {" 3.5 ", 3.5}, {"-7", -7}, {"+4", 4},  {"abc", 0},
                          {"", 0},    {"12abc", 0},   {".", 0},   {"1e3", 0}, {"0.25", 0.25}};
    for (const Case& c : cases) EXPECT_EQ(textToNumber(c.text), c.number) << c.text;
    EXPECT_EQ(textToLong("42"), 42);
    EXPECT_EQ(textToLong("x"), 0);
}

TEST(TextService, OneBasedTextFunctions) {
    EXPECT_EQ(pos("PRODUCT.PRODNAME", "."), 8);
    EXPECT_EQ(pos("a.b.c", ".", 3), 4);
    EXPECT_EQ(pos("abc", "x"), 0);
    EXPECT_EQ(pos("abc", "a", 0), 0);
    EXPECT_EQ(pos("abc", "a", 9), 0);
    EXPECT_EQ(mid("PRODUCT.PRODNAME", 9), "PRODNAME");
    EXPECT_EQ(mid("abc", 2, 1), "b");
    EXPECT_EQ(mid("abc", 4), "");
    EXPECT_EQ(mid("abc", 0), "");
    EXPECT_EQ(left("abc", 5), "abc");
    EXPECT_EQ(right("abc", 2), "bc");
    EXPECT_EQ(replace("a%1%b", 2, 3, "XY"), "aXYb");
    EXPECT_EQ(replace("ab", 5, 2, "!"), "ab!");
    EXPECT_EQ(trim("  padded  "), "padded");
    EXPECT_EQ(upper("Wfinish"), "WFINISH");
}

TEST(SystemService, LayoutUnitsGarbageCollectionAndProcessorTime) {
    EXPECT_EQ(pixelsToUnitsX(1024), 4681);
    EXPECT_EQ(pixelsToUnitsX(424), 1938);
    EXPECT_EQ(pixelsToUnitsY(288), 1152);
    EXPECT_EQ(unitsToPixelsX(4681), 1023);  // truncated, like the forward conversion
    EXPECT_EQ(unitsToPixelsY(1152), 288);

    EXPECT_FALSE(garbageCollectionLog().interval.has_value());
    setGarbageCollectionInterval(999999);
    collectGarbage();
    EXPECT_EQ(garbageCollectionLog().interval, 999999);
    EXPECT_EQ(garbageCollectionLog().passes, 1);

    int64_t before = cpuMilliseconds();
    EXPECT_GE(before, 0);
    EXPECT_GE(cpuMilliseconds(), before);

    EXPECT_FALSE(keyDown(ModifierKey::Shift));
    EXPECT_EQ(environment().screenWidth, 1024);
}

TEST(SystemService, YieldLetsPostedEventsRunInsideTheScript) {
    Object w("w_dw_a");
    std::vector<std::string> log;
    w.on("ue_accept", [&](Args) {
        log.push_back("accept");
        return Value();
    });
    w.on("closequery", [&](Args) {
        w.post("ue_accept");
        yieldEvents();
        log.push_back("closequery continues");
        return Value(0);
    });
    w.trigger("closequery");
    EXPECT_EQ(log, (std::vector<std::string>{"accept", "closequery continues"}));
}

}  // namespace
