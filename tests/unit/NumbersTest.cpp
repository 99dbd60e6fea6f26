#include "Numbers.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace
{

TEST(NumbersTest, LeadingIntegerReadsAsAtoiDoes)
{
    EXPECT_EQ(LeadingInteger("  42 missions\n"), 42);
    EXPECT_EQ(LeadingInteger("\t-7x"), -7);
    EXPECT_EQ(LeadingInteger("+3"), 3);
    EXPECT_EQ(LeadingInteger("none"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
}

TEST(NumbersTest, ANumberTakesExactlyThePlaceOfTheOldDigits)
{
    struct Case
    {
        const char* before;
        int value;
        const char* after;
        int position;
    };
    const Case cases[] = {
        {"x\r\n84\r\nnext\r\n", 85, "x\r\n85\r\nnext\r\n", 5},
        {"x\r\n9\r\nnext\r\n", 10, "x\r\n10\r\nnext\r\n", 5},
        {"x\r\n99 // count\r\n", 100, "x\r\n100 // count\r\n", 6},
        {"x\r\n120\r\n", 35, "x\r\n35 \r\n", 5},
        {"x\r\n12\r\n", 5, "x\r\n5 \r\n", 4},
        {"x\r\n120\r\n", 5, "x\r\n5  \r\n", 4},
        {"x\r\n  \t7abc\r\n", 12, "x\r\n  \t12abc\r\n", 8},
        {"x\r\n-3\r\n", 4, "x\r\n4 \r\n", 4},
        {"x\r\n9", 10, "x\r\n10", 5},
    };
    for (const Case& c : cases)
    {
        CScratchFolder folder;
        const std::string path = folder / "file.txt";
        WriteBytes(path, c.before);
        CTextFile file;
        ASSERT_TRUE(file.Open(NativeFileSystem(), path, "r+"));
        EXPECT_EQ(ReadCountAt(file, 3), LeadingInteger(std::string(c.before).substr(3)));
        EXPECT_TRUE(RewriteNumberAt(file, 3, c.value));
        EXPECT_EQ(file.GetPos(), c.position) << c.before;
        ASSERT_TRUE(file.Close());
        EXPECT_EQ(ReadBytes(path), c.after) << c.before;
    }
}

} // namespace
