#include "app/ExePath.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace {

struct PathCase {
    const char* name;
    std::string path;
    char separator;
    std::string expected;
};

class DirectoryOfPath : public testing::TestWithParam<PathCase> {};

TEST_P(DirectoryOfPath, CutsAfterTheLastSeparator)
{
    const PathCase& c = GetParam();
    EXPECT_EQ(DirectoryOf(c.path, c.separator), c.expected);
}

const std::string kLongFolder = "/" + std::string(300, 'd') + "/" + std::string(300, 'e');

INSTANTIATE_TEST_SUITE_P(
    Paths, DirectoryOfPath,
    testing::Values(PathCase{"Nested", "/opt/corvane/bin/GpuBox500", '/', "/opt/corvane/bin"},
                    PathCase{"Root", "/GpuBox500", '/', ""}, PathCase{"NoSeparator", "GpuBox500", '/', ""},
                    PathCase{"Empty", "", '/', ""}, PathCase{"TrailingSeparator", "/opt/corvane/", '/', "/opt/corvane"},
                    PathCase{"LongerThanAWindowsPath", kLongFolder + "/GpuBox500", '/', kLongFolder},
                    PathCase{"WindowsNested", "C:\\bench\\bin\\run.exe", '\\', "C:\\bench\\bin"},
                    PathCase{"WindowsDriveRoot", "C:\\run.exe", '\\', "C:"},
                    PathCase{"OtherSeparatorIgnored", "C:\\bench\\run.exe", '/', ""}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST(ExecutablePath, NamesThisTestProgram)
{
    const std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "app_unit_tests");
    EXPECT_EQ(access(path.c_str(), X_OK), 0);
}

} // namespace
