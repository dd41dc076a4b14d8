#include <gtest/gtest.h>
#include <windows.h>

// The program was made for a Chinese Windows; the test prefix runs with its code pages.
TEST(Environment, RunsWithTheChineseCodePages)
{
    EXPECT_EQ(936u, GetACP());
    EXPECT_EQ(936u, GetOEMCP());
}
