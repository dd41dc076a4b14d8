// Runs network-shell commands through the one-line batch file "RunIt.BAT" in
// ProgramDir: written, started hidden, waited for and deleted again. The user
// interface thread is blocked for input for the whole run; only painting goes
// on, and the keys and clicks that came meanwhile are discarded at the end.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace qv::core {

inline constexpr wchar_t kScriptFileName[] = L"RunIt.BAT";

inline constexpr wchar_t kStatusRunning[] = L"正在执行操作……";
inline constexpr wchar_t kStatusDone[] = L"操作完成。";
inline constexpr wchar_t kStatusFailed[] = L"操作失败！";
inline constexpr wchar_t kStatusInvalidName[] = L"配置名称无效！";

// What the runner needs of the window that owns it.
class IScriptHost {
public:
    // Shows text in the status bar and repaints it at once (the thread blocks
    // right afterwards).
    virtual void SetStatus(const std::wstring& text) = 0;
    // The application's busy (hour-glass) cursor, or the default one again.
    virtual void SetBusyCursor(bool busy) = 0;

protected:
    ~IScriptHost() = default;
};

// The command lines. Paths are quoted and every % is doubled, so that spaces
// and & | ^ % in a name reach the network shell unchanged. When the console
// code page cannot hold ProgramDir, the file is named relative to it (the
// script runs there).
std::wstring ApplyCommandLine(const std::wstring& name);
std::wstring CaptureCommandLine(const std::wstring& outputFileName);

// Deletes ProgramDir + "RunIt.BAT" if it exists, also a read-only one; the
// result is ignored.
void DeleteScript();

// Replaces the script file with commandLine and CR LF, in the console code
// page. Throws EInOutError when the file cannot be created or written; a
// partly written file is removed first.
void WriteScript(const std::wstring& commandLine);

struct ScriptResult {
    bool started = false;   // a process was started and awaited
    DWORD exitCode = 0;

    bool Succeeded() const { return started && exitCode == 0; }
};

// Starts the script hidden in ProgramDir, owned by owner, and waits without a
// time limit for it to end, repainting meanwhile. Busy cursor and "正在执行操作……"
// for the whole run; afterwards the input that came meanwhile is discarded and
// the cursor is the default one again, also when an error escapes. The caller
// shows the outcome.
ScriptResult RunScript(HWND owner, IScriptHost& host);

// The name is taken by value: the main window passes CommandLine(), which
// then receives the command line.
//
// Save: captures the current network configuration into ConfigFilePath(name).
// The dump goes to a temporary file first and replaces the configuration file
// only when the network shell succeeded and wrote something; a failed capture
// leaves an earlier file untouched. onListChanged (the list rebuild) is called
// after every capture that ran, once the outcome is shown. Returns whether the
// configuration was saved. Raises EInOutError when the script cannot be
// written (nothing was run then, and no busy cursor was shown).
bool CaptureConfig(std::wstring name, HWND owner, IScriptHost& host,
                   const std::function<void()>& onListChanged = {});

// Switch: applies ConfigFilePath(name) as a network-shell script. Returns
// whether the network shell ran it without error. Raises EInOutError as
// CaptureConfig does.
bool ApplyConfig(std::wstring name, HWND owner, IScriptHost& host);

// Deletes temporary capture files ("~qvdump-<process id>-<process start time,
// 16 hex digits>-<n>.tmp" in ProgramDir) that a copy of the program which no
// longer runs left behind; those of running copies stay. Called by every
// capture.
void RemoveStaleCaptureFiles();

} // namespace qv::core
