#include "TextFile.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

class TextFileTest : public ::testing::Test
{
protected:
    CScratchFolder folder;
    std::string path = folder / "file.txt";
    CTextFile file;

    std::vector<std::string> ReadAllLines()
    {
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadLine(line))
            lines.push_back(line);
        return lines;
    }
};

TEST_F(TextFileTest, LineEndsAreCrLfOnDiskAndLineFeedInMemory)
{
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "w"));
    EXPECT_TRUE(file.Write("one\ntwo\n"));
    EXPECT_TRUE(file.Write("three"));
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\nthree");

    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r"));
    EXPECT_EQ(ReadAllLines(), (std::vector<std::string>{"one\n", "two\n", "three"}));
}

TEST_F(TextFileTest, LoneCarriageReturnsAndBareLineFeedsStayAsTheyAre)
{
    WriteBytes(path, "a\rb\r\nc\nd\r\r\ne\r");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r"));
    EXPECT_EQ(ReadAllLines(), (std::vector<std::string>{"a\rb\n", "c\n", "d\r\n", "e\r"}));
}

TEST_F(TextFileTest, PositionsAreDiskOffsets)
{
    WriteBytes(path, "12\r\nabc\r\nxyz");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r"));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(file.GetPos(), 4);
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(file.GetPos(), 9);
    ASSERT_TRUE(file.SetPos(5));
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "bc\n");
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "xyz");
    EXPECT_FALSE(file.ReadLine(line));
    EXPECT_TRUE(file.AtEnd());
}

TEST_F(TextFileTest, LinesOfAnyLengthAreReadWhole)
{
    const std::string longLine(5000, 'x');
    WriteBytes(path, longLine + "\r\nnext\r\n");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r"));
    EXPECT_EQ(ReadAllLines(), (std::vector<std::string>{longLine + "\n", "next\n"}));
}

TEST_F(TextFileTest, ReadWriteOverwritesInPlaceAndExtends)
{
    WriteBytes(path, "84\r\nrest\r\n");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
    ASSERT_TRUE(file.Write("85"));
    EXPECT_EQ(file.GetPos(), 2);
    std::string line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "\n");
    ASSERT_TRUE(file.SetPos(10));
    ASSERT_TRUE(file.Write("tail\n"));
    EXPECT_EQ(file.GetPos(), 16);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "85\r\nrest\r\ntail\r\n");
}

TEST_F(TextFileTest, SpliceMovesWhatFollowsAndAShorterFileIsCut)
{
    WriteBytes(path, "count 9\r\nnext\r\n");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
    ASSERT_TRUE(file.Splice(6, 1, "10"));
    EXPECT_EQ(file.GetPos(), 8);
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "count 10\r\nnext\r\n");

    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
    ASSERT_TRUE(file.Splice(0, 10, ""));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "next\r\n");
}

TEST_F(TextFileTest, WritesReachTheDiskAtCloseOnlyAndNotAfterAbandon)
{
    WriteBytes(path, "old\r\n");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
    ASSERT_TRUE(file.Write("new"));
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(path), "new\r\n");

    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
    ASSERT_TRUE(file.Write("bad"));
    file.Abandon();
    EXPECT_EQ(ReadBytes(path), "new\r\n");

    // A "w" stream's temporary file goes with it.
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "w"));
    ASSERT_TRUE(file.Write("bad"));
    file.Abandon();
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".kxnew"));
}

TEST_F(TextFileTest, OpenModes)
{
    EXPECT_FALSE(file.Open(NativeFileSystem(), path, "r")) << "missing file";
    EXPECT_FALSE(file.Open(NativeFileSystem(), path, "r+")) << "missing file";
    EXPECT_FALSE(file.Open(NativeFileSystem(), folder.Path().string(), "r")) << "a folder";

    WriteBytes(path, "content");
    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r"));
    EXPECT_FALSE(file.Write("x")) << "read-only stream";
    file.Close();
    EXPECT_EQ(ReadBytes(path), "content");

    ASSERT_TRUE(file.Open(NativeFileSystem(), path, "w"));
    EXPECT_TRUE(file.AtEnd()) << "w empties the file";
    file.Close();
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_FALSE(file.Open(NativeFileSystem(), folder.Path().string(), "w")) << "a folder";
}

} // namespace
