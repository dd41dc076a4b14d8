#include "framework/Handles.h"

#include <atomic>
#include <cwchar>

namespace qv {

namespace {
// Atomic: a process handle may be closed on another thread than it was opened.
std::atomic<int> g_liveHandles{0};
} // namespace

int THandleCounters::LiveHandles() { return g_liveHandles.load(); }

namespace detail {
void NoteHandleOwned() { ++g_liveHandles; }
void NoteHandleClosed() { --g_liveHandles; }
} // namespace detail

TFileSearch::TFileSearch(const std::wstring& pattern)
    : handle_(FindFirstFileW(pattern.c_str(), &entry_))
{
    if (!handle_)
        error_ = GetLastError();
}

void TFileSearch::Next()
{
    if (!handle_)
        return;
    if (!FindNextFileW(handle_.Get(), &entry_)) {
        error_ = GetLastError();
        handle_.Close();
    }
}

bool TFileSearch::IsDotEntry(const WIN32_FIND_DATAW& entry)
{
    return std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0;
}

} // namespace qv
