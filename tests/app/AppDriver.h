// Drives the real Quorvane.exe as a user would: starts it in a fresh directory with
// the stand-in network shell, finds its windows by caption and its controls by their
// stable identifiers, clicks, types and reads back texts. It is started from another
// working directory, which holds a configuration of its own: the program must use
// the directory of its executable, never the working one.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Handles.h"
#include "support/TestFiles.h"

#include <functional>
#include <string>
#include <vector>

namespace qvtest {

// Polls cond until it holds or timeoutMs passes.
bool WaitUntil(const std::function<bool()>& cond, int timeoutMs = 15000);

std::wstring WindowText(HWND wnd);

class AppDriver {
public:
    AppDriver();
    ~AppDriver();
    AppDriver(const AppDriver&) = delete;
    AppDriver& operator=(const AppDriver&) = delete;

    // The program's directory (ProgramDir), with a trailing backslash.
    const std::wstring& Dir() const { return dir_; }
    // The working directory it is started in; it holds "decoy.NCF".
    const std::wstring& WorkingDir() const { return workingDir_; }
    std::wstring StateFile() const { return dir_ + L"netstate.txt"; }

    // Extra environment for the program (for example QUORVANE_NETSH_FAIL).
    void SetEnv(const std::wstring& name, const std::wstring& value);

    void Start();
    // Writes these configuration files (name without ".NCF", content) and starts; the main window.
    HWND StartWith(std::initializer_list<std::pair<std::wstring, std::string>> configs);
    bool Running() const;
    DWORD ProcessId() const { return process_.ProcessId; }
    // Waits (at most timeoutMs) until the program waits for input with none queued.
    void WaitIdle(int timeoutMs = 5000) const;
    // Waits for the process to end; its exit code, or -1 after the time limit.
    int WaitExit(int timeoutMs = 15000);
    void Kill();

    // A visible top-level window of the program with this caption, or nullptr after the time limit.
    HWND WaitWindow(const std::wstring& caption, int timeoutMs = 15000) const;
    HWND FindWindowNow(const std::wstring& caption) const;
    // Waits until no visible window of the program has this caption.
    bool WaitWindowGone(const std::wstring& caption, int timeoutMs = 15000) const;
    std::vector<HWND> VisibleWindows() const;

    // Main window and the name dialog, once they are up.
    // The main window: captioned "Quorvane" and holding the status bar (message boxes share the caption).
    HWND Main(int timeoutMs = 15000) const;
    // The first start of an empty directory shows the help window first; closes it.
    HWND StartPastHelp();

    std::wstring Status() const;
    // Waits until the status bar shows text; on failure says what it shows instead.
    ::testing::AssertionResult WaitStatus(const std::wstring& text, int timeoutMs = 20000) const;

    // Presses a button without waiting for what it starts (a modal dialog, a script).
    static void Click(HWND button);
    static void SetText(HWND control, const std::wstring& text);
    static bool Enabled(HWND control) { return IsWindowEnabled(control) != 0; }

    // Save through the name dialog; waits for the dialog and types the name.
    void SaveAs(const std::wstring& name);
    // Answers the name dialog: OK with text, or Cancel.
    void AnswerName(const std::wstring& text, bool ok = true);

    // Files in the program's directory.
    bool FileExists(const std::wstring& name) const;
    std::string ReadFile(const std::wstring& name) const;
    void WriteFile(const std::wstring& name, const std::string& bytes) const;
    // Names that a wildcard search for *.NCF returns, in its order, without the extension.
    std::vector<std::wstring> ConfigNames() const;

    // Changes the simulated machine: its first interface gets another static address.
    ::testing::AssertionResult ChangeSimulatedAddress(const char* address) const;
    // The simulated machine's configuration as the network shell dumps it.
    std::string MachineDump() const { return RunNetSH(L"-c interface dump"); }

    // Runs the stand-in network shell in the program's directory; stdout's bytes.
    std::string RunNetSH(const std::wstring& arguments, DWORD* exitCode = nullptr) const;

    static std::wstring BuildDir();

private:
    TempDir temp_{L"app"};
    std::wstring dir_ = temp_.Path();
    TempDir workingTemp_{L"app cwd"};
    std::wstring workingDir_ = workingTemp_.Path();
    std::vector<std::pair<std::wstring, std::wstring>> env_;
    qv::TProcess process_;
};

HWND ChildById(HWND parent, int id);

// The window of top's thread that has the keyboard focus.
HWND FocusOf(HWND top);
// Whether the focus is wnd or one of its children (an edit's inner window).
bool FocusIn(HWND top, HWND wnd);

// What a person does with the keyboard and the mouse on the program's windows:
// real input (SendInput) to the foreground window, then a wait until the program
// has handled it; after each step the screen must equal a full repaint.
class Person {
public:
    explicit Person(AppDriver& app) : app_(app) {}
    ~Person();
    Person(const Person&) = delete;
    Person& operator=(const Person&) = delete;

    // Brings top to the front (the input goes there) and waits.
    ::testing::AssertionResult Front(HWND top);
    void Key(WORD vk, unsigned modifiers = 0);
    void Type(const std::wstring& text);
    void Click(POINT screen);
    void Press(POINT screen);
    void Release(POINT screen);
    void Drag(POINT from, POINT to);
    // Tab (or Shift+Tab) until the focus is in target; false after a full round.
    ::testing::AssertionResult TabTo(HWND top, HWND target, bool backwards = false);
    // Waits until the program has handled the input given so far.
    void Settle();
    // The screen of every window of the program equals a full repaint.
    ::testing::AssertionResult ScreenFresh();

private:
    // Shares the program's input state, whose key state changes only as the program
    // takes the key messages from its queue: a key has been handled when its toggle
    // bit has flipped and it is up again.
    void Attach();
    void WaitKeyHandled(WORD vk, SHORT before);
    SHORT KeyState(WORD vk);

    AppDriver& app_;
    DWORD attached_ = 0;
};

} // namespace qvtest
