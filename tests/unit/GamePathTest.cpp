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

// Program paths are in the code page; the names on disk are UTF-8.
TEST(GamePathTest, CodePageNamesMeetUtf8NamesOnDisk)
{
    CScratchFolder folder;
    fs::create_directories(folder.Path() / "Cart\xC3\xA9s");
    WriteBytes(folder.Path() / "Cart\xC3\xA9s" / "kx\xC3\xA9t\xC3\xA9.brf", "x");
    WriteBytes(folder.Path() / "\xC5\xB8.int", "x");
    // Latin-1 bytes, as no UTF-8 system names a file.
    WriteBytes(folder.Path() / "old\xE9.int", "x");
    const std::string root = folder.Path().string();

    const struct
    {
        std::string path;
        std::string native;
    } cases[] = {
        {"\\Cart\xE9s\\kx\xE9t\xE9.brf", "/Cart\xC3\xA9s/kx\xC3\xA9t\xC3\xA9.brf"},
        {"\\CART\xC9S\\KX\xC9T\xC9.BRF", "/Cart\xC3\xA9s/kx\xC3\xA9t\xC3\xA9.brf"},
        {"\\\xFF.INT", "/\xC5\xB8.int"},
        // What does not exist yet is named in UTF-8 too.
        {"\\cart\xE9s\\Backup\\\x80\xB5.txt", "/Cart\xC3\xA9s/Backup/\xE2\x82\xAC\xC2\xB5.txt"},
        {"\\old\xE9.int", "/old\xC3\xA9.int"},
        {"\\OLD\xC9.int", "/OLD\xC3\x89.int"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NativePath(root + c.path), root + c.native) << c.path;
}

TEST(GamePathTest, RelativePathsStayRelative)
{
    EXPECT_EQ(NativePath("kxinstall.log"), "kxinstall.log");
    EXPECT_EQ(NativePath("no\\such\\file"), "no/such/file");
}

} // namespace
#endif
