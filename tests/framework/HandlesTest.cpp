#include "framework/Handles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using namespace qv;

namespace {

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

bool IsOpen(HANDLE handle)
{
    DWORD flags;
    return GetHandleInformation(handle, &flags) != FALSE;
}

std::vector<std::wstring> Found(TFileSearch& search)
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : search) {
        if (!TFileSearch::IsDotEntry(entry))
            names.push_back(entry.cFileName);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(Handles, EachHandleIsClosedOnceWhateverWayItsOwnerEnds)
{
    const int live = THandleCounters::LiveHandles();
    HANDLE kept = NewEvent();
    {
        THandle owner(kept);
        EXPECT_EQ(live + 1, THandleCounters::LiveHandles());
        THandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(kept, moved.Get());
        EXPECT_EQ(live + 1, THandleCounters::LiveHandles());
    }
    EXPECT_FALSE(IsOpen(kept));

    // Replaced, closed by hand (once: a second close is no error) and on an exception.
    HANDLE first = NewEvent(), second = NewEvent(), thrown = NewEvent();
    THandle owner(first);
    owner.Reset(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(owner.Close());
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(IsOpen(second));
    try {
        THandle during(thrown);
        throw std::runtime_error("early exit");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(IsOpen(thrown));

    // Given up: it stays open for whoever takes it.
    HANDLE released = THandle(NewEvent()).Release();
    EXPECT_TRUE(IsOpen(released));
    EXPECT_EQ(live, THandleCounters::LiveHandles());
    THandle(released).Close();
    EXPECT_FALSE(IsOpen(released));
}

TEST(Handles, FailedOpensHoldNothing)
{
    const int live = THandleCounters::LiveHandles();
    const THandle file(CreateFileW(L"C:\\no such folder\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    const THandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0xFFFFFFF0));
    EXPECT_FALSE(file);
    EXPECT_FALSE(process);
    EXPECT_EQ(nullptr, file.Get());
    EXPECT_EQ(live, THandleCounters::LiveHandles());
}

TEST(FileSearch, FindsEveryEntryAndClosesWhenDoneOrLeftEarly)
{
    qvtest::TempDir dir(L"search");
    for (const wchar_t* name : {L"a.NCF", L"b.NCF", L"c.txt"})
        qvtest::WriteBytes(dir / name, "x");
    ASSERT_TRUE(CreateDirectoryW((dir / L"d.NCF").c_str(), nullptr));
    const int live = THandleCounters::LiveHandles();

    TFileSearch all(dir / L"*.NCF");
    EXPECT_EQ((std::vector<std::wstring>{L"a.NCF", L"b.NCF", L"d.NCF"}), Found(all));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_MORE_FILES), all.Error());
    EXPECT_EQ(live, THandleCounters::LiveHandles()) << "closed once the last entry was read";
    EXPECT_TRUE(all.begin() == all.end());

    {
        TFileSearch first(dir / L"*");
        auto it = first.begin();
        ASSERT_TRUE(it != first.end());
        EXPECT_EQ(live + 1, THandleCounters::LiveHandles());
    }
    EXPECT_EQ(live, THandleCounters::LiveHandles()) << "closed when left before the end";

    TFileSearch none(dir / L"*.none");
    EXPECT_TRUE(Found(none).empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), none.Error());
    TFileSearch missing(dir / L"missing\\*");
    EXPECT_TRUE(Found(missing).empty());
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), missing.Error());
    EXPECT_EQ(live, THandleCounters::LiveHandles());
}
