// The product chooser and its list: the listed products, what is enabled for the selection in
// the button, the menu and the toolbar, the list's clicks and context menu, the two questions
// (messages 1 and 15), and every product command from the menu, its keys and the context menu.
#include "authoring/ChooserFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include "authoring/menus/m_popups.h"
#include "support/TestEnvironment.h"
#include "support/runtime/WidgetChecks.h"
#include <filesystem>

namespace {

using authoring_test::ChooserFixture;
using runtime::Menu;

class ChooserTest : public ChooserFixture {
protected:
    void SetUp() override {
        ChooserFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        executeSql({productRow(4, "Beta", "2.0", "Full"), productRow(2, "A", "1", "Empty")});
    }
    Menu& entry(const char* name) { return *chooser().menu()->findItem(name); }
};

TEST_F(ChooserTest, ListsNewProductThenEveryProductInIdOrderWithNothingSelected) {
    openChooser();
    EXPECT_EQ(labels(), (std::vector<std::string>{"New product", "A 1 Empty", "Beta 2.0 Full"}));
    EXPECT_EQ(chooser().title(), "Product selection");
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 1);
    EXPECT_EQ(chooser().x(), 0);
    runtime::ListViewItem item;
    list().getItem(3, item);
    EXPECT_EQ(item.data.toInt(), 4);
    // The two pictures of the program: a new product and an existing one.
    EXPECT_FALSE(list().tree()->topLevelItem(0)->icon(0).isNull());
    EXPECT_FALSE(list().tree()->topLevelItem(1)->icon(0).isNull());
    EXPECT_EQ(runtime::clippedTexts(chooser().widget()), std::vector<std::string>{});
    EXPECT_EQ(runtime::accessKeyClashes(chooser().widget()), std::vector<std::string>{});
    std::filesystem::path folder = testing_support::artefactFolder("authoring");
    std::filesystem::create_directories(folder);
    chooser().widget()->grab().save(QString::fromStdString((folder / "w_choose_product.png").string()));
    chooser().close();
    core_test::settle();
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 0);
}

TEST_F(ChooserTest, EnablesOpenForAnyItemAndTheProductCommandsOnlyForAProduct) {
    openChooser();
    const char* const productCommands[] = {"m_product_wizard", "m_product_dupliceren", "m_product_verwijderen",
                                           "m_product_compileren", "m_product_testen", "m_product_samenvatting"};
    struct Case {
        int selected;  // 0: none
        bool open, others;
    };
    for (const Case& c : {Case{0, false, false}, Case{1, true, false}, Case{2, true, true}, Case{0, false, false}}) {
        SCOPED_TRACE(c.selected);
        select(c.selected);
        EXPECT_EQ(chooser().cb_ok->enabled(), c.open);
        EXPECT_EQ(entry("m_product_openen").enabled(), c.open);
        EXPECT_TRUE(entry("m_product_nieuw").enabled());
        for (const char* name : productCommands) {
            EXPECT_EQ(entry(name).enabled(), c.others) << name;
            // A disabled command's toolbar button and key do nothing.
            if (!c.others) {
                EXPECT_FALSE(entry(name).choose(Menu::ChosenBy::Toolbar)) << name;
            }
        }
        if (!c.open) {
            EXPECT_FALSE(entry("m_product_openen").choose(Menu::ChosenBy::Shortcut));
        }
    }
    EXPECT_TRUE(takeCreated().empty());
}

TEST_F(ChooserTest, ClicksMakeTheCurrentProductAndLoadItsRowsTheKeyboardDoesNot) {
    openChooser();
    pakomo::nv_create_setup& s = service();
    click("clicked", 3);
    EXPECT_EQ(list().fu_get_prod_id(), 4);
    EXPECT_EQ(s.fnv_get_fullprodname(), "Beta 2.0 Full");
    click("clicked", 1);  // New product loads nothing
    EXPECT_EQ(list().fu_get_prod_id(), 0);
    EXPECT_EQ(s.fnv_get_fullprodname(), "Beta 2.0 Full");
    click("clicked", 2);
    click("clicked", 0);  // outside the items
    EXPECT_EQ(list().fu_get_prod_id(), 2);

    // The selection moved by keys leaves Open on the product last clicked.
    select(3);
    chooser().post("ue_ok");
    core_test::settle();
    EXPECT_EQ(application().gi_prod_id, 2);
    EXPECT_EQ(application().g_str_pass.string.get(1), "project");

    click("doubleclicked", 0);
    EXPECT_TRUE(takeCreated().empty());
    click("doubleclicked", 1);
    EXPECT_EQ(takeCreated(), std::vector<std::string>{"nv_wizard 2 new"});
    click("doubleclicked", 3);
    EXPECT_EQ(application().gi_prod_id, 4);
    EXPECT_EQ(s.fnv_get_prodname(), "Beta");
}

TEST_F(ChooserTest, RightClickOnNewProductOffersOnlyOpenAndOnAProductEveryEntry) {
    openChooser();
    struct Case {
        int index;
        bool others;
        const char* choose;  // the entry then chosen
        std::string created;
    };
    const Case cases[] = {
        {1, false, "m_openen", "nv_wizard 0 new"},
        {3, true, "m_compileren", "nv_build 4 new"},
        {0, true, "m_samenvatting", "w_summary 4 new"},  // outside the items: still product 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        std::map<std::string, bool> enabled;
        QTimer::singleShot(0, [&] {
            QMenu* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(popup, nullptr);
            QAction* chosen = nullptr;
            for (QAction* a : popup->actions()) {
                if (a->isSeparator()) continue;
                enabled[a->objectName().toStdString()] = a->isEnabled();
                if (a->objectName() == c.choose) chosen = a;
            }
            popup->close();
            if (chosen) chosen->trigger();
        });
        click("rightclicked", c.index);
        ASSERT_EQ(enabled.size(), 7u);
        EXPECT_TRUE(enabled["m_openen"]);
        for (const char* name : {"m_wizard", "m_dupliceren", "m_verwijderen", "m_compileren", "m_testen", "m_samenvatting"})
            EXPECT_EQ(enabled[name], c.others) << name;
        EXPECT_EQ(takeCreated(), std::vector<std::string>{c.created});
    }
}

TEST_F(ChooserTest, DeleteAsksMessageOneWithTheItemsTextAndOnlyYesDeletes) {
    openChooser();
    click("clicked", 2);
    boxes.answer(2);
    list().post("ue_popup_delete");
    core_test::settle();
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_NE(boxes.shown()[0].text.find("A 1 Empty"), std::string::npos) << boxes.shown()[0].text;
    EXPECT_EQ(count("PRODUCT"), 2);

    boxes.answer(1);
    list().post("ue_popup_delete");
    core_test::settle();
    EXPECT_EQ(count("PRODUCT"), 1);
    EXPECT_EQ(labels(), (std::vector<std::string>{"New product", "Beta 2.0 Full"}));
    EXPECT_FALSE(chooser().cb_ok->enabled());
    EXPECT_FALSE(entry("m_product_verwijderen").enabled());
}

TEST_F(ChooserTest, TestingAnUnbuiltProductOffersToBuildAndABuiltOneRunsSetup) {
    openChooser();
    click("clicked", 3);
    application().gi_prod_id = 0;
    for (int answer : {2, 1}) {
        boxes.answer(answer);
        list().post("ue_popup_test");
        core_test::settle();
        EXPECT_NE(boxes.shown().back().text.find("Beta, 2.0"), std::string::npos) << boxes.shown().back().text;
        EXPECT_EQ(takeCreated(), answer == 1 ? std::vector<std::string>{"nv_build 4 choose_product"}
                                             : std::vector<std::string>{});
        EXPECT_EQ(application().gi_prod_id, 0);
    }
    settings().fnv_set_filedest("C:\\Out");
    writeMachineFile("C:\\Out\\Beta 2.0 Full\\Disc1\\Setup.exe");
    service().fnv_set_compiled(true);
    list().post("ue_popup_test");
    core_test::settle();
    EXPECT_EQ(takeRuns(), std::vector<std::string>{"\"C:\\Out\\Beta 2.0 Full\\Disc1\\Setup.exe\" Test "});
}

TEST_F(ChooserTest, EveryProductCommandFromItsKeyReachesTheChooser) {
    openChooser();
    click("clicked", 3);
    select(3);
    application().gi_prod_id = 0;
    struct Case {
        const char* entry;
        int shortcut;
        std::vector<std::string> created;
        int boxes;  // questions asked (answered No)
    };
    const Case cases[] = {
        {"m_product_nieuw", 334, {"nv_wizard 0 new"}, 0},
        {"m_product_wizard", 343, {"nv_wizard 4 existing"}, 0},
        {"m_product_dupliceren", 324, {"nv_duplicate 4 existing"}, 0},
        {"m_product_verwijderen", 46, {}, 1},
        {"m_product_compileren", 118, {"nv_build 4 existing"}, 0},
        {"m_product_testen", 119, {}, 1},
        {"m_product_samenvatting", 113, {"w_summary 4 existing"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        select(3);  // a refreshed list has nothing selected
        const size_t asked = boxes.shown().size();
        for (int i = 0; i < c.boxes; ++i) boxes.answer(2);
        EXPECT_EQ(entry(c.entry).shortcut(), c.shortcut);
        ASSERT_TRUE(entry(c.entry).choose(Menu::ChosenBy::Shortcut));
        core_test::settle();
        EXPECT_EQ(takeCreated(), c.created);
        EXPECT_EQ(boxes.shown().size() - asked, static_cast<size_t>(c.boxes));
        // The wizard on a product keeps it as the edited one; build, duplicate and summary put
        // back what they found.
        EXPECT_EQ(application().gi_prod_id, c.entry == std::string("m_product_nieuw") ? 0 : 4);
    }
    // Ctrl+O opens the product (queued on the frame); the hidden File entries take no key.
    ASSERT_TRUE(entry("m_product_openen").choose(Menu::ChosenBy::Shortcut));
    core_test::settle();
    EXPECT_EQ(application().g_str_pass.string.get(1), "project");
    EXPECT_EQ(entry("m_nieuw").shortcut(), 256);
    EXPECT_EQ(entry("m_openen").shortcut(), 256);
    EXPECT_FALSE(entry("m_openen").choose(Menu::ChosenBy::Shortcut));
    EXPECT_FALSE(entry("m_openen").enabled());
    // Ctrl+F4 closes the chooser.
    ASSERT_TRUE(entry("m_sluiten").choose(Menu::ChosenBy::Shortcut));
    core_test::settle();
    EXPECT_FALSE(frame->w_choose_product.isValid());
    EXPECT_EQ(frame->fw_number_of_open_sheets(), 0);
}

TEST_F(ChooserTest, ChooserMenuBarAndToolbarInTheirOrder) {
    openChooser();
    Menu& root = *chooser().menu();
    std::vector<std::string> bar;
    for (Menu* i : root.item())
        if (i->visible()) bar.push_back(i->text());
    EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Product", "&Window", "&Help"}));
    std::vector<std::string> file;
    for (Menu* i : root.child("m_bestand")->item())
        if (i->visible()) file.push_back(i->text());
    EXPECT_EQ(file, (std::vector<std::string>{"&Close\tCtrl+F4", "-", "&Exit\tAlt+F4"}));
    std::vector<std::pair<int, Menu*>> all;
    std::function<void(Menu&)> walk = [&](Menu& m) {
        for (Menu* i : m.item()) {
            if (!i->toolbarItemName().empty() && i->toolbarItemVisible()) all.emplace_back(i->toolbarItemOrder(), i);
            walk(*i);
        }
    };
    walk(root);
    std::stable_sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.first < b.first; });
    std::string buttons;
    for (auto& [order, i] : all) buttons += std::string(i->toolbarItemSpace() ? "| " : "") + i->toolbarItemText() + " ";
    EXPECT_EQ(buttons, "New Open Wizard Duplicate | Delete | Compile Test | Summary | Vertical Horizontal Layered "
                       "Cascade | Help-contents | Exit ");
}

TEST_F(ChooserTest, EveryContextMenuEntryRaisesItsEventOnTheOpener) {
    openChooser();
    click("clicked", 3);
    application().gi_prod_id = 0;
    runtime::Ref<pakomo::m_popups> popups = runtime::createByName("m_popups").as<pakomo::m_popups>();
    EXPECT_EQ(pakomo::m_popups::current().get(), popups.get());
    popups->fm_set_parent(runtime::Ref<runtime::Object>(&list()));
    struct Case {
        const char* entry;
        std::vector<std::string> created;
    };
    const Case cases[] = {
        {"m_wizard", {"nv_wizard 4 existing"}},   {"m_dupliceren", {"nv_duplicate 4 existing"}},
        {"m_compileren", {"nv_build 4 existing"}}, {"m_samenvatting", {"w_summary 4 existing"}},
    };
    for (const Case& c : cases) {
        popups->item_named(c.entry).trigger("clicked");
        core_test::settle();
        EXPECT_EQ(takeCreated(), c.created) << c.entry;
    }
    std::vector<std::string> texts;
    for (Menu* i : popups->item_named("m_popup_treeview").item()) texts.push_back(i->text());
    EXPECT_EQ(texts, (std::vector<std::string>{"&Open", "&Wizard...", "&Duplicate", "-", "&De&lete...", "-",
                                               "&Compile...", "&Test", "-", "&Summary..."}));
    std::vector<std::string> popupNames;
    for (Menu* i : popups->item()) popupNames.push_back(i->name());
    EXPECT_EQ(popupNames.size(), 10u);
    EXPECT_EQ(popupNames[3], "m_popup_object_privilege");
    runtime::destroy(popups);
}

}  // namespace
