#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Exceptions.h"

TEST(InOutError, MessagesFollowTheRuntimeTexts)
{
    EXPECT_EQ(L"File access denied", qv::EInOutError(ERROR_ACCESS_DENIED).Message());
    EXPECT_EQ(L"I/O error 3", qv::EInOutError(ERROR_PATH_NOT_FOUND).Message());
    EXPECT_EQ(L"I/O error 183", qv::EInOutError(ERROR_ALREADY_EXISTS).Message());
    EXPECT_STREQ("File access denied", qv::EInOutError(ERROR_ACCESS_DENIED).what());
}
