#include "core/ScriptRunner.h"

#include "core/ConfigStore.h"
#include "core/ConsoleText.h"
#include "framework/Exceptions.h"
#include "framework/Handles.h"

#include <shellapi.h>

#include <string>

namespace qv::core {

namespace {

std::wstring ScriptPath()
{
    return ProgramDir() + kScriptFileName;
}

// A file in ProgramDir as the script names it: the full path, or the bare
// name when the console code page cannot hold ProgramDir. The result is
// quoted, with % doubled (a batch file would expand it).
std::wstring QuotedScriptPath(const std::wstring& fileName)
{
    const std::wstring path = FitsConsoleCodePage(ProgramDir()) ? ProgramDir() + fileName : fileName;
    std::wstring quoted = L"\"";
    for (wchar_t c : path) {
        quoted += c;
        if (c == L'%')
            quoted += L'%';
    }
    quoted += L'"';
    return quoted;
}

// Temporary capture files: "~qvdump-<process id>-<process start>-<n>.tmp".
// The extension must not begin with NCF: the wildcard search for *.NCF also
// matches short names, and x.NCFtmp has the short name X~1.NCF.
constexpr wchar_t kCapturePrefix[] = L"~qvdump-";
constexpr wchar_t kCaptureExtension[] = L".tmp";

unsigned long long ProcessStartTime(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::wstring CaptureFileName(DWORD pid, unsigned long long started, unsigned seq)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring time(16, L'0');
    for (int i = 15; i >= 0; --i, started >>= 4)
        time[i] = digits[started & 15];
    return kCapturePrefix + std::to_wstring(pid) + L'-' + time + L'-' + std::to_wstring(seq) + kCaptureExtension;
}

bool ParseCaptureFileName(const std::wstring& name, DWORD& pid, unsigned long long& started)
{
    const std::wstring prefix = kCapturePrefix, extension = kCaptureExtension;
    if (name.size() <= prefix.size() + extension.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return false;
    const std::wstring middle = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    const size_t dash1 = middle.find(L'-'), dash2 = middle.rfind(L'-');
    if (dash1 == std::wstring::npos || dash1 == dash2 || dash2 - dash1 != 17)
        return false;
    const std::wstring id = middle.substr(0, dash1), time = middle.substr(dash1 + 1, 16);
    const std::wstring seq = middle.substr(dash2 + 1);
    if (id.empty() || id.size() > 10 || seq.empty() || seq.size() > 9 ||
        id.find_first_not_of(L"0123456789") != std::wstring::npos ||
        seq.find_first_not_of(L"0123456789") != std::wstring::npos ||
        time.find_first_not_of(L"0123456789abcdef") != std::wstring::npos)
        return false;
    pid = static_cast<DWORD>(std::stoull(id));
    started = std::stoull(time, nullptr, 16);
    return true;
}

// Whether the copy of the program that made a capture file still runs. A
// process id may have been reused since, so its start time must match too.
bool CopyStillRuns(DWORD pid, unsigned long long started)
{
    if (pid == GetCurrentProcessId() && started == ProcessStartTime(GetCurrentProcess()))
        return false; // ours, from a capture that did not clean up: none runs now
    const THandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER; // refused: it exists
    DWORD code;
    if (GetExitCodeProcess(process.Get(), &code) && code != STILL_ACTIVE)
        return false;
    const unsigned long long time = ProcessStartTime(process.Get());
    return time == 0 || time == started;
}

// Reserves a new capture file (created empty; the redirection replaces it).
std::wstring CreateCaptureFile()
{
    static unsigned seq = 0;
    const DWORD pid = GetCurrentProcessId();
    const unsigned long long started = ProcessStartTime(GetCurrentProcess());
    for (int attempt = 0;; ++attempt) {
        std::wstring name = CaptureFileName(pid, started, ++seq);
        const THandle file(CreateFileW((ProgramDir() + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            return name;
        DWORD error = GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt >= 1000)
            throw EInOutError(error);
    }
}

bool HasContent(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0);
}

class DeleteFileOnExit {
public:
    explicit DeleteFileOnExit(std::wstring path) : path_(std::move(path)) {}
    ~DeleteFileOnExit()
    {
        if (!path_.empty())
            DeleteFileW(path_.c_str());
    }
    void Release() { path_.clear(); }

private:
    std::wstring path_;
};

// Waits for the process to end with the thread blocked for input, but not for
// painting: the status and the busy cursor reach the screen at once, and the
// window repaints when it is uncovered. Nothing else is dispatched.
void WaitRepaintingOnly(HANDLE process)
{
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_PAINT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT))
            DispatchMessageW(&msg);
    }
}

// Keys and clicks that came while a command ran were meant for a window that
// did not answer: replayed afterwards, three clicks would be three commands.
void DiscardInput()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    while (PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK, PM_REMOVE)) {
    }
}

class DeleteScriptOnExit {
public:
    ~DeleteScriptOnExit() { DeleteScript(); }
};

// Runs the script that WriteScript left; the status shows the outcome.
bool RunWrittenScript(HWND owner, IScriptHost& host, const std::function<bool(const ScriptResult&)>& finish,
                      const std::function<void()>& after)
{
    DeleteScriptOnExit cleanUp;
    bool done = false;
    try {
        done = finish(RunScript(owner, host));
    } catch (...) {
        host.SetStatus(kStatusFailed);
        throw;
    }
    host.SetStatus(done ? kStatusDone : kStatusFailed);
    if (after)
        after();
    return done;
}

} // namespace

std::wstring ApplyCommandLine(const std::wstring& name)
{
    return L"NetSH -f " + QuotedScriptPath(name + kConfigExtension);
}

std::wstring CaptureCommandLine(const std::wstring& outputFileName)
{
    return L"NetSH -c interface dump > " + QuotedScriptPath(outputFileName);
}

void DeleteScript()
{
    const std::wstring path = ScriptPath();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    // A file copied from a read-only medium keeps the attribute, and the system
    // refuses to delete it: every later command would find it in the way.
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD rest = attributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesW(path.c_str(), rest ? rest : FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileW(path.c_str());
}

void WriteScript(const std::wstring& commandLine)
{
    DeleteScript();
    const std::wstring path = ScriptPath();

    if (!THandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)))
        throw EInOutError(GetLastError());

    DeleteFileOnExit partial(path);
    std::string bytes;
    if (!EncodeConsoleText(commandLine, bytes))
        throw EInOutError(ERROR_NO_UNICODE_TRANSLATION);
    bytes += "\r\n";

    THandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        throw EInOutError(GetLastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    DWORD error = ok ? (written == bytes.size() ? ERROR_SUCCESS : ERROR_HANDLE_DISK_FULL) : GetLastError();
    if (!file.Close() && error == ERROR_SUCCESS)
        error = GetLastError();
    if (error != ERROR_SUCCESS)
        throw EInOutError(error);
    partial.Release();
}

ScriptResult RunScript(HWND owner, IScriptHost& host)
{
    host.SetBusyCursor(true);
    // However the run ends: the input that came meanwhile goes, the cursor is the default one.
    struct EndRun {
        IScriptHost& host;
        ~EndRun()
        {
            DiscardInput();
            host.SetBusyCursor(false);
        }
    } end{host};
    host.SetStatus(kStatusRunning);

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = nullptr;
    info.lpFile = kScriptFileName;
    info.lpParameters = L"";
    info.lpDirectory = ProgramDir().empty() ? nullptr : ProgramDir().c_str();
    info.nShow = SW_HIDE;

    ScriptResult result;
    // The shell library is big and only needed here: it is loaded on first use, not at start-up.
    static const TModule shell(LoadSystemLibrary(L"shell32.dll"));
    const auto shellExecuteEx = shell ? reinterpret_cast<BOOL(WINAPI*)(SHELLEXECUTEINFOW*)>(reinterpret_cast<void*>(
                                            GetProcAddress(static_cast<HMODULE>(shell.Get()), "ShellExecuteExW")))
                                      : nullptr;
    if (!shellExecuteEx || !shellExecuteEx(&info))
        return result;
    const THandle process(info.hProcess);
    if (!process)
        return result;
    WaitRepaintingOnly(process.Get());
    DWORD code;
    if (GetExitCodeProcess(process.Get(), &code)) {
        result.started = true;
        result.exitCode = code;
    }
    return result;
}

bool CaptureConfig(std::wstring name, HWND owner, IScriptHost& host, const std::function<void()>& onListChanged)
{
    if (!IsValidConfigName(name)) {
        host.SetStatus(kStatusInvalidName);
        return false;
    }
    RemoveStaleCaptureFiles();
    const std::wstring output = CreateCaptureFile();
    DeleteFileOnExit unused(ProgramDir() + output);

    CommandLine() = CaptureCommandLine(output);
    WriteScript(CommandLine());
    return RunWrittenScript(
        owner, host,
        [&](const ScriptResult& result) {
            // An empty dump is no configuration: the network shell did not
            // run, or is one that does nothing.
            const std::wstring outputPath = ProgramDir() + output;
            if (!result.Succeeded() || !HasContent(outputPath))
                return false;
            if (!MoveFileExW(outputPath.c_str(), ConfigFilePath(name).c_str(), MOVEFILE_REPLACE_EXISTING))
                return false;
            unused.Release();
            return true;
        },
        onListChanged);
}

bool ApplyConfig(std::wstring name, HWND owner, IScriptHost& host)
{
    if (!IsValidConfigName(name)) {
        host.SetStatus(kStatusInvalidName);
        return false;
    }
    CommandLine() = ApplyCommandLine(name);
    WriteScript(CommandLine());
    return RunWrittenScript(
        owner, host, [](const ScriptResult& result) { return result.Succeeded(); }, {});
}

void RemoveStaleCaptureFiles()
{
    for (const WIN32_FIND_DATAW& entry : TFileSearch(ProgramDir() + kCapturePrefix + L"*" + kCaptureExtension)) {
        DWORD pid = 0;
        unsigned long long started = 0;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (ParseCaptureFileName(entry.cFileName, pid, started) && !CopyStillRuns(pid, started))
            DeleteFileW((ProgramDir() + entry.cFileName).c_str());
    }
}

} // namespace qv::core
