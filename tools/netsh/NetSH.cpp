// NetSH.exe: the stand-in network shell for systems whose own one does
// nothing (Wine's reports success and writes no dump). See NetShell.h.
#include "framework/Handles.h"
#include "tools/netsh/NetShell.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace {

std::wstring Environment(const wchar_t* name)
{
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0)
        return std::wstring();
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, value.data(), n);
    value.resize(n);
    return value;
}

std::wstring StatePath()
{
    std::wstring path = Environment(L"QUORVANE_NETSTATE");
    if (!path.empty())
        return path;
    std::wstring exe(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    exe.resize(n);
    return exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"netstate.txt";
}

// A console gets the text as it is; a file or pipe (the redirection of a
// capture) gets bytes in the console code page, as the system's shell writes.
void Write(DWORD which, const std::wstring& text)
{
    if (text.empty())
        return;
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode, written;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = qv::netsh::EncodeConsoleText(text);
    size_t done = 0;
    while (done < bytes.size() &&
           WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) &&
           written > 0)
        done += written;
}

// Appends a line to the file (created when missing).
void AppendLine(const std::wstring& path, const std::wstring& line)
{
    const qv::THandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = qv::netsh::EncodeConsoleText(line + L"\r\n");
    DWORD written;
    if (file)
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Tests count the runs (one line of arguments each) and slow the network
    // shell down (milliseconds), as a real one on a slow network is.
    if (const std::wstring log = Environment(L"QUORVANE_NETSH_LOG"); !log.empty()) {
        std::wstring line;
        for (int n = 1; n < argc; ++n)
            line += (n > 1 ? L" " : L"") + std::wstring(argv[n]);
        AppendLine(log, line);
    }
    if (const std::wstring delay = Environment(L"QUORVANE_NETSH_DELAY"); !delay.empty())
        Sleep(static_cast<DWORD>(std::wcstoul(delay.c_str(), nullptr, 10)));

    // Tests make the network shell fail: exit with the given code, do nothing.
    const std::wstring fail = Environment(L"QUORVANE_NETSH_FAIL");
    if (!fail.empty()) {
        wchar_t* end = nullptr;
        long code = std::wcstol(fail.c_str(), &end, 10);
        if (end && *end == L'\0')
            return static_cast<int>(code);
    }

    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring out, err;
    const int code = qv::netsh::RunNetShell(args, StatePath(), out, err);
    Write(STD_OUTPUT_HANDLE, out);
    Write(STD_ERROR_HANDLE, err);
    return code;
}
