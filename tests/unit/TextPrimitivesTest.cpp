#include "InstallationRun.h"
#include "LineBounds.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

class TextPrimitivesTest : public ::testing::Test
{
protected:
    CTestGame game;
    CRecordingFrontEnd frontEnd;
    CInstallationRun run{NativeFileSystem(), frontEnd, game.Directory(), CTestGame::Mission(),
                         game.LogPath()};
    CTextFile file;

    void Open(const std::string& bytes)
    {
        game.Write("text.txt", bytes);
        ASSERT_TRUE(file.Open(NativeFileSystem(), game.Path("text.txt").string(), "r+"));
    }

    // The failure message a primitive ends the run with, or "" when it returned.
    template <typename Work> std::string FailureOf(Work work)
    {
        try
        {
            work();
        }
        catch (const CProgramEnd&)
        {
            return frontEnd.errors.empty() ? "ended without a message" : frontEnd.errors.back();
        }
        return "";
    }

    std::string RestOfLine()
    {
        std::string line;
        file.ReadLine(line);
        return line;
    }
};

TEST_F(TextPrimitivesTest, SeekEntryPassesCommentsAndBlankLines)
{
    Open("// comment\r\n12\r\n\r\nfirst\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(run.SeekEntry(2, file), 25);
    EXPECT_EQ(RestOfLine(), "third\n") << "left after the entry's line";

    Open("  // indented\r\n\t/* block\r\n */ \r\n \t\r\n   \r\nentry\r\n");
    EXPECT_EQ(run.SeekEntry(0, file), 41);

    Open("a // x /* y\r\nb\r\n");
    EXPECT_EQ(run.SeekEntry(1, file), 13) << "a /* behind // opens nothing";
}

TEST_F(TextPrimitivesTest, SeekEntryExaminesTextBehindAClosingComment)
{
    Open("one /* open\r\ntwo */ three\r\nfour\r\n");
    EXPECT_EQ(run.SeekEntry(0, file), 0);
    EXPECT_EQ(file.GetPos(), 19) << "just past */";
    EXPECT_EQ(run.SeekEntry(0, file), 19) << "\" three\" counts as an entry";
    EXPECT_EQ(RestOfLine(), "four\n");

    Open("/*/ x\r\ny\r\n");
    EXPECT_EQ(run.SeekEntry(0, file), 3) << "/*/ is a whole comment";
}

TEST_F(TextPrimitivesTest, SeekEntryReadsLongLinesWhole)
{
    const std::string longComment = "// " + std::string(300, 'c');
    const std::string longEntry = "entry " + std::string(300, 'e') + " /* x */tail";
    Open(longComment + "\r\n" + longEntry + "\r\nnext\r\n");
    const auto entry = static_cast<std::int64_t>(longComment.size() + 2);
    EXPECT_EQ(run.SeekEntry(0, file), entry);
    EXPECT_EQ(run.SeekEntry(0, file), entry + static_cast<std::int64_t>(longEntry.size()) - 4)
        << "the text behind */ is the next entry";
    EXPECT_EQ(run.SeekEntry(0, file), entry + static_cast<std::int64_t>(longEntry.size()) + 2);
}

TEST_F(TextPrimitivesTest, SeekEntryFailsAtTheEndOfTheFile)
{
    Open("// only comments\r\n\r\n");
    EXPECT_EQ(FailureOf([&] { run.SeekEntry(0, file); }), "Unexpected end of file found.");
    Open("x /* never closed\r\nmore\r\n");
    EXPECT_EQ(FailureOf([&] { run.SeekEntry(1, file); }), "Unexpected end of file found.");
    Open("last");
    EXPECT_EQ(FailureOf([&] { EXPECT_EQ(run.SeekEntry(0, file), 0); }), "");
}

TEST_F(TextPrimitivesTest, LineBoundsOnDisk)
{
    Open("a\r\n/* c */ b\r\nc\nd");
    EXPECT_EQ(StartOfLineHolding(file, 0), 0);
    EXPECT_EQ(StartOfLineHolding(file, 3), 3);
    EXPECT_EQ(StartOfLineHolding(file, 11), 3) << "an entry behind a closing comment";
    EXPECT_EQ(StartOfLineHolding(file, 16), 16) << "after a lone line feed";
    EXPECT_EQ(LineBreakOf(file, 3), 12) << "before CR LF";
    EXPECT_EQ(LineBreakOf(file, 14), 15);
    EXPECT_EQ(LineBreakOf(file, 16), 17) << "a last line without a line end";
}

TEST_F(TextPrimitivesTest, CopyLinesThroughHoldsTheLineAtTheBound)
{
    Open("a\r\nb\r\nc\r\nd\r\n");
    CTextFile out;
    ASSERT_TRUE(out.Open(NativeFileSystem(), game.Path("out.txt").string(), "w"));
    EXPECT_EQ(run.CopyLinesThrough(file, out, 0, 6, 0), 2);
    EXPECT_EQ(run.fileArray, (CStringArray{"a\n", "b\n", "c\n"}));
    run.fileArray.push_back("new\n");
    EXPECT_EQ(run.CopyLinesThrough(file, out, 9, -1, 2), 5);
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(game.Read("out.txt"), "a\r\nb\r\nc\r\nnew\r\nd\r\n");
}

TEST_F(TextPrimitivesTest, CopyLinesThroughEdgeCases)
{
    Open("x\r\ny");
    CTextFile out;
    ASSERT_TRUE(out.Open(NativeFileSystem(), game.Path("out.txt").string(), "w"));
    run.fileArray = {"held\n", "kept\n"};
    EXPECT_EQ(run.CopyLinesThrough(file, out, 3, 3, 0), 1) << "start at the bound reads nothing";
    EXPECT_EQ(run.fileArray.size(), 2u);
    run.fileArray.clear();
    EXPECT_EQ(run.CopyLinesThrough(file, out, 0, -1, 0), 2);
    ASSERT_TRUE(out.Close());
    EXPECT_EQ(game.Read("out.txt"), "held\r\nx\r\ny") << "a last line without a line end is copied";
}

TEST_F(TextPrimitivesTest, ReadNextCharStepsOverComments)
{
    run.fileArray = {"a //x\n", "b/*c\n", "d*/e/f\n"};
    int column = 0, line = 0, length = static_cast<int>(run.fileArray[0].size());
    std::string read;
    for (int i = 0; i < 9; ++i)
        read += run.ReadNextChar(column, line, length);
    EXPECT_EQ(read, "a /b//e/f");
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 6);
}

TEST_F(TextPrimitivesTest, ReadNextCharNeverReadsPastTheLines)
{
    const std::string readError =
        "Error reading from file " + game.Directory() + "data\\texture\\sherman.cxp";
    run.fileArray = {"ab"};
    int column = 0, line = 0, length = 2;
    EXPECT_EQ(FailureOf(
                  [&]
                  {
                      run.ReadNextChar(column, line, length);
                      run.ReadNextChar(column, line, length);
                      run.ReadNextChar(column, line, length);
                  }),
              readError);

    run.fileArray = {"x //"};
    column = 2, line = 0, length = 4;
    EXPECT_EQ(FailureOf(
                  [&]
                  {
                      EXPECT_EQ(run.ReadNextChar(column, line, length), '/');
                      run.ReadNextChar(column, line, length);
                  }),
              readError);

    column = 0, line = 0, length = 99;
    EXPECT_EQ(FailureOf(
                  [&]
                  {
                      for (int i = 0; i < 5; ++i)
                          run.ReadNextChar(column, line, length);
                  }),
              readError)
        << "a length beyond the line itself";

    run.fileArray = {"/* End\n", "still open\n"};
    column = 0, line = 0, length = 7;
    EXPECT_EQ(
        FailureOf([&] { run.ReadNextChar(column, line, length); }),
        "While processing the file data\\texture\\Sherman.cxp, the token 'End' was found inside /* style "
        "comments. This is a bug. To fix this error, remove the token 'End' from any comments in "
        "Sherman.cxp.");
}

TEST_F(TextPrimitivesTest, IntToText)
{
    EXPECT_EQ(CInstallationRun::IntToText(-7), "-7");
    EXPECT_EQ(CInstallationRun::IntToText(0), "0");
    EXPECT_EQ(CInstallationRun::IntToText(2147483647), "2147483647");
}

} // namespace
