#include "framework/Handles.h"

#include <commctrl.h>

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

bool InitCommonControlClasses(DWORD classes)
{
    // Loaded when first needed rather than named among the program's imports: the
    // loader would look for it in the program's folder first.
    static const TModule library(LoadSystemLibrary(L"comctl32.dll"));
    if (!library)
        return false;
    const auto module = static_cast<HMODULE>(library.Get());
    using TInitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto initEx = reinterpret_cast<TInitEx>(reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControlsEx")))) {
        const INITCOMMONCONTROLSEX icc{sizeof(icc), classes};
        return initEx(&icc) != FALSE;
    }
    using TInit = void(WINAPI*)();
    if (auto init = reinterpret_cast<TInit>(reinterpret_cast<void*>(GetProcAddress(module, "InitCommonControls")))) {
        init();
        return true;
    }
    return false;
}

} // namespace qv
