#include "GamePath.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#ifndef _WIN32
namespace
{

namespace fs = std::filesystem;

TEST(GamePathTest, BackslashesBecomeSlashesAndCaseIsMatched)
{
    CScratchFolder folder;
    fs::create_directories(folder.Path() / "Data" / "texture");
    WriteBytes(folder.Path() / "Data" / "texture" / "sherman.cxp", "x");
    const std::string root = folder.Path().string();

    EXPECT_EQ(NativePath(root + "\\data\\texture\\Sherman.cxp"), root + "/Data/texture/sherman.cxp");
    EXPECT_EQ(NativePath(root + "\\Data\\texture\\sherman.cxp"), root + "/Data/texture/sherman.cxp");
    // What does not exist yet keeps the name as given, under the matched folders.
    EXPECT_EQ(NativePath(root + "\\DATA\\Backup\\Temp\\x.txt"), root + "/Data/Backup/Temp/x.txt");
    EXPECT_EQ(NativePath(root + "\\data\\"), root + "/Data/");
}

TEST(GamePathTest, ExactMatchWinsOverOtherCases)
{
    CScratchFolder folder;
    WriteBytes(folder.Path() / "File.txt", "1");
    WriteBytes(folder.Path() / "file.txt", "2");
    const std::string root = folder.Path().string();
    EXPECT_EQ(NativePath(root + "/file.txt"), root + "/file.txt");
    EXPECT_EQ(NativePath(root + "/File.txt"), root + "/File.txt");
    EXPECT_EQ(NativePath(root + "/FILE.txt"), root + "/File.txt");
}

TEST(GamePathTest, RelativePathsStayRelative)
{
    EXPECT_EQ(NativePath("kxinstall.log"), "kxinstall.log");
    EXPECT_EQ(NativePath("no\\such\\file"), "no/such/file");
}

} // namespace
#endif
