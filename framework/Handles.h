// Owning types for kernel objects: processes, threads, files, pipes and wildcard
// searches. Every such handle the program opens lives in one of them, so it is
// closed exactly once, also on an early return or an exception; they count
// themselves, so tests can see that nothing leaks.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace qv {

// Handles held now by the owning types below (kernel handles and searches).
struct THandleCounters {
    static int LiveHandles();
};

namespace detail {
void NoteHandleOwned();
void NoteHandleClosed();

struct TKernelHandleCloser {
    static BOOL Close(HANDLE handle) { return CloseHandle(handle); }
};
struct TSearchHandleCloser {
    static BOOL Close(HANDLE handle) { return FindClose(handle); }
};
struct TModuleCloser {
    static BOOL Close(HANDLE handle) { return FreeLibrary(static_cast<HMODULE>(handle)); }
};
struct TRegistryKeyCloser {
    static BOOL Close(HANDLE handle) { return RegCloseKey(static_cast<HKEY>(handle)) == ERROR_SUCCESS; }
};
} // namespace detail

// Owns one handle and closes it with the closer's call. The system answers
// "none" with null (processes, threads) or INVALID_HANDLE_VALUE (files,
// searches); both are held as null.
template <class Closer>
class TOwnedHandle {
public:
    TOwnedHandle() = default;
    explicit TOwnedHandle(HANDLE handle) { Adopt(handle); }
    ~TOwnedHandle() { Close(); }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;
    TOwnedHandle(TOwnedHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    TOwnedHandle& operator=(TOwnedHandle&& other) noexcept
    {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = nullptr;
        }
        return *this;
    }

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Closes the handle held (if any) and takes this one.
    void Reset(HANDLE handle = nullptr)
    {
        Close();
        Adopt(handle);
    }
    // Gives up ownership; the caller closes the handle.
    HANDLE Release()
    {
        HANDLE handle = handle_;
        if (handle)
            detail::NoteHandleClosed();
        handle_ = nullptr;
        return handle;
    }
    // Closes now; false when the system reports an error (for a file, the
    // last write may fail here). Nothing held counts as closed.
    bool Close()
    {
        if (!handle_)
            return true;
        const BOOL closed = Closer::Close(handle_);
        handle_ = nullptr;
        detail::NoteHandleClosed();
        return closed != FALSE;
    }

private:
    void Adopt(HANDLE handle)
    {
        if (handle && handle != INVALID_HANDLE_VALUE) {
            handle_ = handle;
            detail::NoteHandleOwned();
        }
    }

    HANDLE handle_ = nullptr;
};

// A process, thread, file, pipe or event handle (closed with CloseHandle).
using THandle = TOwnedHandle<detail::TKernelHandleCloser>;
// A wildcard search handle (closed with FindClose).
using TSearchHandle = TOwnedHandle<detail::TSearchHandleCloser>;
// A loaded library.
using TModule = TOwnedHandle<detail::TModuleCloser>;
// An open registry key.
using TRegistryKey = TOwnedHandle<detail::TRegistryKeyCloser>;

// Loads a library of the system from the system folder only: not from the program's
// folder (which may hold anything, and where looking among thousands of files is slow).
inline HMODULE LoadSystemLibrary(const wchar_t* name)
{
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Registers the common controls' window classes (ICC_ flags), from the common
// controls library loaded from the system folder (or the version the program's
// manifest names) the first time. False when the library is missing.
bool InitCommonControlClasses(DWORD classes);

// A hook on the messages of the calling thread (SetWindowsHookExW), removed when
// its owner is destroyed or reset.
class TThreadHook {
public:
    TThreadHook() = default;
    TThreadHook(int kind, HOOKPROC proc) : hook_(SetWindowsHookExW(kind, proc, nullptr, GetCurrentThreadId())) {}
    ~TThreadHook() { Reset(); }
    TThreadHook(const TThreadHook&) = delete;
    TThreadHook& operator=(const TThreadHook&) = delete;
    TThreadHook(TThreadHook&& other) noexcept : hook_(other.hook_) { other.hook_ = nullptr; }
    TThreadHook& operator=(TThreadHook&& other) noexcept
    {
        if (this != &other) {
            Reset();
            hook_ = other.hook_;
            other.hook_ = nullptr;
        }
        return *this;
    }

    HHOOK Get() const { return hook_; }
    explicit operator bool() const { return hook_ != nullptr; }
    void Reset()
    {
        if (hook_)
            UnhookWindowsHookEx(hook_);
        hook_ = nullptr;
    }

private:
    HHOOK hook_ = nullptr;
};

// A started process: both handles owned, the ids kept.
struct TProcess {
    TProcess() = default;
    explicit TProcess(const PROCESS_INFORMATION& info)
        : Process(info.hProcess), Thread(info.hThread), ProcessId(info.dwProcessId), ThreadId(info.dwThreadId)
    {
    }

    THandle Process;
    THandle Thread;
    DWORD ProcessId = 0;
    DWORD ThreadId = 0;
};

// A wildcard search as a range of the entries it finds, in the file system's
// order:
//     for (const WIN32_FIND_DATAW& entry : TFileSearch(dir + L"*.NCF")) ...
// A pattern that matches nothing, or a folder that cannot be searched, is an
// empty range. The search handle is closed when the last entry has been read
// or the search is destroyed, whichever comes first.
class TFileSearch {
public:
    explicit TFileSearch(const std::wstring& pattern);
    TFileSearch(const TFileSearch&) = delete;
    TFileSearch& operator=(const TFileSearch&) = delete;

    class iterator {
    public:
        using value_type = WIN32_FIND_DATAW;
        using reference = const WIN32_FIND_DATAW&;
        using pointer = const WIN32_FIND_DATAW*;
        using difference_type = std::ptrdiff_t;

        reference operator*() const { return search_->entry_; }
        pointer operator->() const { return &search_->entry_; }
        iterator& operator++()
        {
            search_->Next();
            return *this;
        }
        // Only comparisons with end() are meaningful, as for any input range.
        bool operator==(const iterator& other) const { return AtEnd() == other.AtEnd(); }

    private:
        friend class TFileSearch;
        explicit iterator(TFileSearch* search) : search_(search) {}
        bool AtEnd() const { return !search_ || !search_->handle_; }

        TFileSearch* search_;
    };

    iterator begin() { return iterator(this); }
    iterator end() { return iterator(nullptr); }

    // Why the search ended (or could not start): ERROR_NO_MORE_FILES or
    // ERROR_FILE_NOT_FOUND when every entry was found; ERROR_SUCCESS while it runs.
    DWORD Error() const { return error_; }

    // "." and "..", which a search for "*" also finds.
    static bool IsDotEntry(const WIN32_FIND_DATAW& entry);

private:
    void Next();

    WIN32_FIND_DATAW entry_{}; // before handle_: the first search fills it
    TSearchHandle handle_;
    DWORD error_ = ERROR_SUCCESS;
};

} // namespace qv
