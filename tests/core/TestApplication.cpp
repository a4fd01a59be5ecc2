// The application object: start-up with a data source that fails and with one that works, the
// shut-down's compaction and release of the services, the fatal-error box.
#include "core/CoreFixture.h"

#include <QPixmap>

#include "authoring/core/layouts/core_layouts.h"
#include "authoring/core/nv_message.h"
#include "authoring/core/nv_registry_create_setup.h"
#include "runtime/core/Dispatch.h"
#include "runtime/services/RegistryFunctions.h"
#include "runtime/ui/Window.h"
#include "support/TestEnvironment.h"

namespace {

using core_test::CoreFixture;
using core_test::settle;
using runtime::Value;

const std::string kRoot = "HKEY_CURRENT_USER\\Software\\RUX\\Pakomo 1.0e";

// What the stand-ins of the other subsystems' classes saw, in order.
std::vector<std::string> g_journal;
bool g_openRunning = false;

pakomo::pakomo& program() { return pakomo::app(); }

class Logo : public runtime::Window {
public:
    Logo() : runtime::Window("w_logo", runtime::WindowKind::Popup) {
        on("open", [](runtime::Args) {
            g_journal.push_back("w_logo open");
            return Value();
        });
        on("close", [](runtime::Args) {
            g_journal.push_back("w_logo close");
            return Value();
        });
    }
};

class Frame : public runtime::FrameWindow {
public:
    Frame() : runtime::FrameWindow("w_mdi_frame") {
        on("open", [this](runtime::Args) {
            g_journal.push_back("w_mdi_frame open");
            post("ue_init");
            return Value();
        });
        on("ue_init", [](runtime::Args) {
            g_journal.push_back(std::string("ue_init") + (g_openRunning ? " inside open" : ""));
            return Value();
        });
        on("ue_fileopen", [](runtime::Args) {
            g_journal.push_back("ue_fileopen " + program().g_str_pass.string.get(1) +
                                (g_openRunning ? " inside open" : ""));
            return Value();
        });
    }
};

// A service stand-in that notes its creation, whether the message service existed by then, and
// whether the database was still connected when it went.
template <class Base>
class Service : public Base {
public:
    explicit Service(std::string name) : Base(name) {
        this->on("constructor", [name](runtime::Args) {
            g_journal.push_back("create " + name + (program().gnv_message ? "" : " before gnv_message"));
            return Value();
        });
        this->on("destructor", [name](runtime::Args) {
            g_journal.push_back("destroy " + name + (program().sqlca.isConnected() ? " while connected" : ""));
            return Value();
        });
    }
};

class ProjectService : public core_test::StandInProjectService {
public:
    ProjectService() {
        extend("constructor", [](runtime::Args) {
            g_journal.push_back("create nv_create_setup");
            return Value();
        });
        extend("destructor", [](runtime::Args) {
            g_journal.push_back("destroy nv_create_setup");
            return Value();
        });
    }
};

class ApplicationTest : public CoreFixture {
protected:
    void SetUp() override {
        CoreFixture::SetUp();
        g_journal.clear();
        pakomo::registerCoreLayouts();
        runtime::registerClass<Logo>("w_logo");
        runtime::registerClass<Frame>("w_mdi_frame");
        runtime::registerClass<ProjectService>("nv_create_setup");
        runtime::registerClass("nv_winapi", [] { return std::make_unique<Service<runtime::Object>>("nv_winapi"); });
        runtime::registerClass("nv_regobjects", [] { return std::make_unique<Service<pakomo::nv_a>>("nv_regobjects"); });
        application().extend("open", [](runtime::Args) {
            g_openRunning = false;
            return Value();
        });
    }
    void open() {
        g_openRunning = true;
        application().trigger("open", {Value("")});
        g_openRunning = false;
    }
    bool frameOpen() {
        for (runtime::Window* w : runtime::Window::openWindows())
            if (w->className() == "w_mdi_frame") return true;
        return false;
    }
};

// The tests that start with a working data source: on each database system.
class ApplicationDatabaseTest : public ApplicationTest,
                                public ::testing::WithParamInterface<testing_support::DatabaseSystem> {
protected:
    void SetUp() override {
        ApplicationTest::SetUp();
        source = core_test::createProjectDataSource(GetParam());
        if (!source) GTEST_SKIP() << source.unavailable;
    }
    testing_support::ProjectDataSource source;
};

INSTANTIATE_DATABASE_TEST_SUITE_P(ApplicationDatabaseTest);

TEST_F(ApplicationTest, AFailedConnectionShowsOneBoxAndOpensNoFrame) {
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Db", "Dsn", "NoSuchSource"));
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Help", "Path", "C:\\Help"));
    boxes.answer(1);
    open();
    settle();

    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Error opening database");
    EXPECT_EQ(boxes.shown()[0].icon, runtime::MessageIcon::StopSign);
    EXPECT_EQ(boxes.shown()[0].buttons, runtime::MessageButtons::Ok);
    EXPECT_EQ(boxes.shown()[0].text, application().sqlca.sqlErrText);
    EXPECT_FALSE(boxes.shown()[0].text.empty());
    EXPECT_EQ(application().sqlca.dbParm, "Connectstring='DSN=NoSuchSource'");
    EXPECT_EQ(application().gs_helpfile, "C:\\Help\\Pakomo 1.hlp");
    EXPECT_EQ(g_journal, (std::vector<std::string>{"w_logo open", "w_logo close"}));
    EXPECT_TRUE(application().gnv_registry.isValid());
    EXPECT_FALSE(application().gnv_message.isValid());
    EXPECT_FALSE(application().gnv_create_setup.isValid());
    EXPECT_FALSE(application().gnv_win32api.isValid());
    EXPECT_FALSE(application().gnv_regobjects.isValid());
    EXPECT_TRUE(runtime::Window::openWindows().empty());
    // The settings are left as they were, for the next start.
    EXPECT_EQ(runtime::registry::getString(kRoot + "\\Db", "Dsn"), "NoSuchSource");
}

TEST_F(ApplicationTest, TheProgramEndsWhenOpenReturnsWithoutAWindow) {
    int closes = 0;
    application().extend("close", [&](runtime::Args) {
        ++closes;
        return Value();
    });
    boxes.answer(1);
    EXPECT_EQ(application().exec(""), 0);  // returns: no event loop waits for a window that never opens
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(closes, 1);
}

TEST_F(ApplicationTest, WithoutSettingsTheHelpFileIsAtTheRootAndTheEmptyDataSourceIsRefused) {
    boxes.answer(1);
    open();
    EXPECT_EQ(application().gs_helpfile, "\\Pakomo 1.hlp");
    EXPECT_EQ(application().sqlca.dbParm, "Connectstring='DSN='");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Error opening database");
    EXPECT_FALSE(boxes.shown()[0].text.empty());
    EXPECT_FALSE(frameOpen());
}

TEST_F(ApplicationTest, ADataSourceNameThatWouldAddConnectionAttributesIsRefused) {
    const std::string dsn = core_test::createProjectDataSource().dsn;
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Db", "Dsn", dsn + "';Database=" +
                                                 (testing_support::processFolder() / "stray.db").string()));
    boxes.answer(1);
    open();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Error opening database");
    EXPECT_FALSE(application().sqlca.isConnected());
    EXPECT_FALSE(std::filesystem::exists(testing_support::processFolder() / "stray.db"));
}

TEST_P(ApplicationDatabaseTest, AWorkingDataSourceCreatesTheServicesInOrderAndOpensTheChooserAfterOpen) {
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Db", "Dsn", source.dsn));
    const int hourglasses = runtime::Pointer::hourglassCount();
    open();

    EXPECT_EQ(g_journal, (std::vector<std::string>{"w_logo open", "create nv_create_setup", "create nv_winapi",
                                                   "create nv_regobjects", "w_mdi_frame open", "w_logo close"}));
    EXPECT_TRUE(application().gnv_message.isValid());
    EXPECT_TRUE(application().sqlca.isConnected());
    EXPECT_FALSE(application().sqlca.autoCommit);
    EXPECT_GT(runtime::Pointer::hourglassCount(), hourglasses);
    EXPECT_EQ(runtime::garbageCollectionLog().interval, 999999);

    const pakomo::s_pass& pass = application().g_str_pass;
    EXPECT_EQ(pass.app_name, "Pakomo");
    EXPECT_EQ(pass.major_version, "1");
    EXPECT_EQ(pass.minor_version, "0e");
    EXPECT_EQ(pass.full_appname, "Pakomo 1.0e");
    EXPECT_EQ(pass.language, "english");
    EXPECT_EQ(pass.dbms_type, "");
    EXPECT_EQ(application().microHelpDefault(), "Holvane");
    EXPECT_EQ(application().dwMessageTitle(), "Serious error");
    EXPECT_FALSE(QPixmap(QString::fromStdString(pass.icon_bmp)).isNull()) << pass.icon_bmp;
    EXPECT_EQ(application().gnv_registry->is_appl_root, kRoot);

    settle();
    EXPECT_EQ(std::vector<std::string>(g_journal.begin() + 6, g_journal.end()),
              (std::vector<std::string>{"ue_init", "ue_fileopen choose_product"}));
    EXPECT_TRUE(frameOpen());
    EXPECT_TRUE(boxes.shown().empty());
    // The message service reads the database it was connected to.
    boxes.answer(2);
    EXPECT_EQ(application().gnv_message->fnv_display_message(15, "Alpha, 1.0"), 2);
}

TEST_P(ApplicationDatabaseTest, ShutDownPacksEveryTableInOrderEvenWhenEachFailsThenReleasesTheServices) {
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Db", "Dsn", source.dsn));
    open();
    settle();
    g_journal.clear();
    std::vector<std::string> sent;
    application().sqlca.statementTrace = [&](std::string_view statement, long code) {
        sent.push_back(std::string(statement) + (code == 0 ? "" : " failed"));
    };
    // Every table gone: each PACK fails, and the next one is still sent.
    for (const char* table : {"FILE", "FILEGRP", "MAINTEXT", "PRODUCT", "PROGGRP", "PROGRESS", "README", "REGKEYS",
                              "STRINGS", "WCREGRP", "WFINISH", "WINDOWS", "WLICAGR", "WMAIN", "WUSER", "WWELCOME"})
        ASSERT_EQ(application().sqlca.executeImmediate(std::string("DROP TABLE ") + table), 0);
    application().sqlca.commit();
    sent.clear();

    application().trigger("close");
    const std::vector<std::string> expected = {
        "PACK File failed",     "PACK Filegrp failed", "PACK Maintext failed", "PACK Product failed",
        "PACK Proggrp failed",  "PACK Progress failed", "PACK Readme failed",  "PACK Regkeys failed",
        "PACK Strings failed",  "PACK Wcregrp failed", "PACK Wfinish failed",  "PACK Windows failed",
        "PACK Wlicagr failed",  "PACK Wmain failed",   "PACK Wuser failed",    "PACK Wwelcome failed"};
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(application().sqlca.autoCommit);
    EXPECT_FALSE(application().sqlca.isConnected());
    // gnv_registry and gnv_message are this subsystem's: seen through their references.
    EXPECT_FALSE(application().gnv_registry.isValid());
    EXPECT_FALSE(application().gnv_message.isValid());
    EXPECT_EQ(g_journal, (std::vector<std::string>{"destroy nv_create_setup", "destroy nv_winapi", "destroy nv_regobjects"}));
    EXPECT_EQ(runtime::garbageCollectionLog().passes, 1);
}

TEST_F(ApplicationTest, ShutDownAfterAFailedConnectionTriesEverythingAndReleasesOnlyTheSettings) {
    boxes.answer(1);
    open();
    std::vector<std::string> sent;
    application().sqlca.statementTrace = [&](std::string_view statement, long code) {
        sent.push_back(std::string(statement) + (code == 0 ? "" : " failed"));
    };
    application().trigger("close");
    ASSERT_EQ(sent.size(), 16u);
    EXPECT_EQ(sent.front(), "PACK File failed");
    EXPECT_EQ(sent.back(), "PACK Wwelcome failed");
    EXPECT_FALSE(application().gnv_registry.isValid());
    EXPECT_TRUE(g_journal.size() == 2u) << "no other service existed to be destroyed";
}

TEST_F(ApplicationTest, ARuntimeErrorShowsTheFatalErrorBoxByteForByteAndClosesTheProgram) {
    int closes = 0;
    application().extend("close", [&](runtime::Args) {
        ++closes;
        return Value();
    });
    application().on("ue_break", [](runtime::Args) -> Value {
        throw runtime::RuntimeError("w_test", "ue_break", 42, "Null object reference");
    });
    boxes.answer(1);
    application().trigger("ue_break");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Fatal error");
    EXPECT_EQ(boxes.shown()[0].icon, runtime::MessageIcon::Information);
    EXPECT_EQ(boxes.shown()[0].text,
              "A fatal error has occured. The application will shut down after closing this window.\r"
              "Please call your supplier and provide the following information:\r\r"
              "Object:\t\tw_test\rEvent:\t\tue_break\rLine:\t\t42\rError:\t\tNull object reference");
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(application().halted());
}

TEST_P(ApplicationDatabaseTest, AClassThatIsNotBuiltEndsInTheFatalErrorBox) {
    ASSERT_TRUE(runtime::registry::setString(kRoot + "\\Db", "Dsn", source.dsn));
    runtime::registerClass("nv_regobjects", [] { return std::unique_ptr<runtime::Object>(); });
    boxes.answer(1);
    open();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, "Fatal error");
    EXPECT_NE(boxes.shown()[0].text.find("Event:\t\topen\r"), std::string::npos) << boxes.shown()[0].text;
    EXPECT_TRUE(application().halted());
    EXPECT_FALSE(application().sqlca.isConnected()) << "the shut-down ran";
}

}  // namespace
