// The example product that a new profile starts with builds at once from its files in the machine.
#include "LibraryFixture.h"

#include <fstream>
#include <sstream>

#include "libraries/build/nv_build.h"

namespace {

using library_test::LibraryFixture;
namespace fs = std::filesystem;

class ExampleProductTest : public LibraryFixture {};

TEST_F(ExampleProductTest, BuildsFromTheProfilesDatabaseAndMachineFiles) {
    const fs::path examples = fs::path(std::getenv("RUX_SOURCE_DIR")) / "authoring" / "examples";
    std::ifstream script(examples / "example-product.sql");
    std::stringstream text;
    text << script.rdbuf();
    executeSql(core_test::scriptStatements(text.str()));
    // As the profile script does: the files into the machine's C:\Examples\Hello.
    fs::create_directories(machine.hostPath("C:\\Examples").value());
    fs::copy(examples / "Hello", machine.hostPath("C:\\Examples\\Hello").value(), fs::copy_options::recursive);

    const fs::path bin = fs::path(std::getenv("RUX_BUILD_DIR")) / "bin";
    ASSERT_EQ(settings().fnv_set_string("Redist", "Path", machine.windowsPath(bin)), 1);
    pakomo::register_build_library();
    hold(1, "Hello 1.00.00 Example");
    ASSERT_EQ(settings().fnv_set_filedest("C:\\Builds"), 1);
    application().gi_prod_id = 1;
    boxes.answer(1);  // Yes: the stored folder
    auto build = runtime::createByName("nv_build").as<pakomo::nv_build>();
    const int16_t result = build->ii_result;
    runtime::destroy(build);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(settings().fnv_get_compiled(0), 1u);
    EXPECT_TRUE(runtime::fileExists("C:\\Builds\\Hello 1.00.00 Example\\Disc1\\Setup.exe"));
}

}  // namespace
