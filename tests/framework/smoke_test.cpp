#include <gtest/gtest.h>
#include <windows.h>
TEST(Smoke, CodePages) { EXPECT_EQ(936u, GetACP()); EXPECT_EQ(936u, GetOEMCP()); }
