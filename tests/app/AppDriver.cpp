#include "AppDriver.h"

#include "app/ControlIds.h"
#include "framework/Dpi.h"
#include "support/ScreenCheck.h"
#include "support/UserInput.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace qvtest {

namespace {

std::wstring ModuleDir()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

} // namespace

bool WaitUntil(const std::function<bool()>& cond, int timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (static_cast<int>(GetTickCount() - start) > timeoutMs)
            return cond();
        Sleep(20);
    }
}

std::wstring WindowText(HWND wnd)
{
    wchar_t buf[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &got))
        return L"<no answer>";
    return std::wstring(buf, got);
}

HWND ChildById(HWND parent, int id)
{
    struct Search {
        int id;
        HWND found;
    } s{id, nullptr};
    EnumChildWindows(
        parent,
        [](HWND w, LPARAM lp) -> BOOL {
            auto s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(w) == s->id) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FocusOf(HWND top)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info);
    return info.hwndFocus;
}

bool FocusIn(HWND top, HWND wnd)
{
    HWND focus = FocusOf(top);
    return focus && (focus == wnd || IsChild(wnd, focus));
}

Person::~Person()
{
    if (attached_)
        AttachThreadInput(GetCurrentThreadId(), attached_, FALSE);
}

void Person::Attach()
{
    if (attached_)
        return;
    for (HWND w : app_.VisibleWindows()) {
        const DWORD thread = GetWindowThreadProcessId(w, nullptr);
        if (AttachThreadInput(GetCurrentThreadId(), thread, TRUE)) {
            attached_ = thread;
            return;
        }
    }
}

SHORT Person::KeyState(WORD vk)
{
    Attach();
    return GetKeyState(vk);
}

void Person::WaitKeyHandled(WORD vk, SHORT before)
{
    if (!attached_)
        return;
    WaitUntil([&] {
        const SHORT now = GetKeyState(vk);
        return (now & 1) != (before & 1) && !(now & 0x8000);
    }, 5000);
}

::testing::AssertionResult Person::Front(HWND top)
{
    if (!top)
        return ::testing::AssertionFailure() << "no window";
    if (!input::BringToFront(top))
        return ::testing::AssertionFailure() << "the window did not come to the front";
    Settle();
    return ::testing::AssertionSuccess();
}

void Person::Key(WORD vk, unsigned modifiers)
{
    const SHORT before = KeyState(vk);
    input::Key(vk, modifiers);
    WaitKeyHandled(vk, before);
    for (WORD m : {WORD(VK_SHIFT), WORD(VK_CONTROL), WORD(VK_MENU)})
        WaitUntil([&] { return !(GetKeyState(m) & 0x8000); }, 5000);
    Settle();
}

void Person::Type(const std::wstring& text)
{
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        const WORD vk = (scan != -1 && (HIBYTE(scan) & ~1) == 0) ? LOBYTE(scan) : VK_PACKET;
        const SHORT before = KeyState(vk);
        input::Type(std::wstring(1, c));
        WaitKeyHandled(vk, before);
    }
    Settle();
}

void Person::Click(POINT screen)
{
    const SHORT before = KeyState(VK_LBUTTON);
    input::Click(screen);
    WaitKeyHandled(VK_LBUTTON, before);
    Settle();
}

void Person::Press(POINT screen)
{
    const SHORT before = KeyState(VK_LBUTTON);
    input::Press(screen);
    WaitUntil([&] { return (GetKeyState(VK_LBUTTON) & 1) != (before & 1); }, 5000);
    Settle();
}

void Person::Release(POINT screen)
{
    input::Release(screen);
    WaitUntil([&] { return !(GetKeyState(VK_LBUTTON) & 0x8000); }, 5000);
    Settle();
}

void Person::Drag(POINT from, POINT to)
{
    Attach();
    input::Drag(from, to);
    WaitUntil([&] { return !(GetKeyState(VK_LBUTTON) & 0x8000); }, 5000);
    Settle();
}

::testing::AssertionResult Person::TabTo(HWND top, HWND target, bool backwards)
{
    for (int i = 0; i < 16; ++i) {
        if (FocusIn(top, target))
            return ::testing::AssertionSuccess();
        Key(VK_TAB, backwards ? input::modShift : input::modNone);
    }
    return ::testing::AssertionFailure() << "Tab never reached the control";
}

void Person::Settle()
{
    // The input reaches the program's queue through the window server; the program
    // has handled it when it waits for input again.
    for (HWND w : app_.VisibleWindows()) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    app_.WaitIdle();
}

::testing::AssertionResult Person::ScreenFresh()
{
    Settle();
    return ScreenMatchesRepaintOfProcess(app_.ProcessId());
}

std::wstring AppDriver::BuildDir() { return ModuleDir() + L"..\\"; }

AppDriver::AppDriver()
{
    // The program draws at the display's density; so must the test that reads its
    // windows, or a denser display would show it rectangles scaled back to 96 DPI.
    qv::MakeProcessDpiAware();
}

AppDriver::~AppDriver() { Kill(); }

void AppDriver::SetEnv(const std::wstring& name, const std::wstring& value) { env_.emplace_back(name, value); }

void AppDriver::Start()
{
    std::wstring build = BuildDir();
    if (!CopyFileW((build + L"app\\Quorvane.exe").c_str(), (dir_ + L"Quorvane.exe").c_str(), FALSE)
        || !CopyFileW((build + L"tools\\netsh\\NetSH.exe").c_str(), (dir_ + L"NetSH.exe").c_str(), FALSE))
        throw std::runtime_error("the program or the stand-in network shell is not built");

    // The child inherits this process's environment, with the state file and the extras.
    std::vector<std::unique_ptr<EnvScope>> env;
    env.push_back(std::make_unique<EnvScope>(L"QUORVANE_NETSTATE", StateFile().c_str()));
    for (auto& [n, v] : env_)
        env.push_back(std::make_unique<EnvScope>(n, v.c_str()));

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + dir_ + L"Quorvane.exe\"";
    PROCESS_INFORMATION pi{};
    WriteBytes(workingDir_ + L"decoy.NCF", "pushd interface ip\r\npopd\r\n");
    BOOL ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workingDir_.c_str(), &si,
                             &pi);
    while (!env.empty())
        env.pop_back();  // restored in reverse
    if (!ok)
        throw std::runtime_error("cannot start Quorvane.exe");
    process_ = qv::TProcess(pi);
    WaitForInputIdle(process_.Process.Get(), 10000);
}

HWND AppDriver::StartWith(std::initializer_list<std::pair<std::wstring, std::string>> configs)
{
    for (const auto& [name, content] : configs)
        WriteFile(name + L".NCF", content);
    Start();
    HWND main = Main();
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(ProcessId()));
    return main;
}

void AppDriver::WaitIdle(int timeoutMs) const
{
    if (process_.Process)
        WaitForInputIdle(process_.Process.Get(), static_cast<DWORD>(timeoutMs));
}

bool AppDriver::Running() const
{
    return process_.Process && WaitForSingleObject(process_.Process.Get(), 0) == WAIT_TIMEOUT;
}

int AppDriver::WaitExit(int timeoutMs)
{
    if (!process_.Process)
        return -1;
    if (WaitForSingleObject(process_.Process.Get(), static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.Process.Get(), &code);
    return static_cast<int>(code);
}

void AppDriver::Kill()
{
    if (Running()) {
        TerminateProcess(process_.Process.Get(), 1);
        WaitForSingleObject(process_.Process.Get(), 10000);
    }
    process_ = qv::TProcess();
}

std::vector<HWND> AppDriver::VisibleWindows() const
{
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } s{process_.ProcessId, {}};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto s = reinterpret_cast<Search*>(lp);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == s->pid && IsWindowVisible(w))
                s->found.push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND AppDriver::FindWindowNow(const std::wstring& caption) const
{
    for (HWND w : VisibleWindows())
        if (WindowText(w) == caption)
            return w;
    return nullptr;
}

HWND AppDriver::WaitWindow(const std::wstring& caption, int timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowNow(caption)) != nullptr; }, timeoutMs);
    return found;
}

bool AppDriver::WaitWindowGone(const std::wstring& caption, int timeoutMs) const
{
    return WaitUntil([&] { return FindWindowNow(caption) == nullptr; }, timeoutMs);
}

HWND AppDriver::StartPastHelp()
{
    Start();
    HWND help = WaitWindow(L"帮助说明");
    if (!help)
        throw std::runtime_error("the help window did not appear");
    Click(ChildById(help, qv::app::idHelpOKBT));
    HWND main = Main();
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(ProcessId()));
    return main;
}

std::wstring AppDriver::Status() const
{
    HWND main = Main(0);
    if (!main)
        return L"<no main window>";
    return WindowText(ChildById(main, qv::app::idStatusBar));
}

::testing::AssertionResult AppDriver::WaitStatus(const std::wstring& text, int timeoutMs) const
{
    if (WaitUntil([&] { return Status() == text; }, timeoutMs)) {
        // A command has ended: the windows show what the program holds now.
        EXPECT_TRUE(ScreenMatchesRepaintOfProcess(ProcessId()));
        return ::testing::AssertionSuccess();
    }
    std::wstring now = Status();
    int n = WideCharToMultiByte(CP_UTF8, 0, now.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, now.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    return ::testing::AssertionFailure() << "the status bar shows \"" << utf8.c_str() << "\"";
}

HWND AppDriver::Main(int timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : VisibleWindows())
                if (ChildById(w, qv::app::idStatusBar) && WindowText(w) == L"Quorvane")
                    return (found = w) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

void AppDriver::Click(HWND button)
{
    if (!button)
        throw std::runtime_error("no such button");
    PostMessageW(button, BM_CLICK, 0, 0);
}

void AppDriver::SetText(HWND control, const std::wstring& text)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &r);
}

void AppDriver::AnswerName(const std::wstring& text, bool ok)
{
    HWND dialog = WaitWindow(L"设置文件名称");
    if (!dialog)
        throw std::runtime_error("the name dialog did not appear");
    if (ok) {
        SetText(ChildById(dialog, qv::app::idNameEdit), text);
        Click(ChildById(dialog, qv::app::idOKBT));
    } else {
        Click(ChildById(dialog, qv::app::idCanceBT));
    }
    WaitWindowGone(L"设置文件名称");
    EXPECT_TRUE(ScreenMatchesRepaintOfProcess(ProcessId()));
}

void AppDriver::SaveAs(const std::wstring& name)
{
    Click(ChildById(Main(), qv::app::idSaveBT));
    AnswerName(name);
}

bool AppDriver::FileExists(const std::wstring& name) const { return Exists(dir_ + name); }

std::string AppDriver::ReadFile(const std::wstring& name) const { return ReadBytes(dir_ + name); }

void AppDriver::WriteFile(const std::wstring& name, const std::string& bytes) const { WriteBytes(dir_ + name, bytes); }

std::vector<std::wstring> AppDriver::ConfigNames() const
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : qv::TFileSearch(dir_ + L"*.NCF")) {
        const std::wstring n = entry.cFileName;
        names.push_back(n.size() >= 4 ? n.substr(0, n.size() - 4) : std::wstring());
    }
    return names;
}

::testing::AssertionResult AppDriver::ChangeSimulatedAddress(const char* address) const
{
    const std::string dump = MachineDump();
    const auto at = dump.find("name=\"");
    if (at == std::string::npos)
        return ::testing::AssertionFailure() << "no interface in the dump: " << dump;
    const auto end = dump.find('"', at + 6);
    const std::string name = dump.substr(at + 6, end - at - 6);
    WriteFile(L"change.txt", "pushd interface ip\r\nset address name=\"" + name + "\" source=static addr="
                                 + address + " mask=255.0.0.0\r\npopd\r\n");
    DWORD code = 99;
    RunNetSH(L"-f change.txt", &code);
    if (code != 0)
        return ::testing::AssertionFailure() << "the stand-in network shell answered " << code;
    return ::testing::AssertionSuccess();
}

std::string AppDriver::RunNetSH(const std::wstring& arguments, DWORD* exitCode) const
{
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readHandle = nullptr, writeHandle = nullptr;
    CreatePipe(&readHandle, &writeHandle, &sa, 0);
    const qv::THandle readEnd(readHandle);
    qv::THandle writeEnd(writeHandle);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd.Get();
    si.hStdError = writeEnd.Get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring exe = dir_ + L"NetSH.exe";
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
        CopyFileW((BuildDir() + L"tools\\netsh\\NetSH.exe").c_str(), exe.c_str(), FALSE);
    std::wstring cmd = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION pi{};
    BOOL ok;
    {
        EnvScope state(L"QUORVANE_NETSTATE", StateFile().c_str());
        ok = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, dir_.c_str(), &si,
                            &pi);
    }
    writeEnd.Close();  // the child's copy is the only writer left: reading ends with it
    std::string out;
    if (ok) {
        const qv::TProcess netsh(pi);
        char buf[4096];
        DWORD got = 0;
        while (::ReadFile(readEnd.Get(), buf, sizeof(buf), &got, nullptr) && got > 0)
            out.append(buf, got);
        WaitForSingleObject(netsh.Process.Get(), 30000);
        DWORD code = 0;
        GetExitCodeProcess(netsh.Process.Get(), &code);
        if (exitCode)
            *exitCode = code;
    }
    return out;
}

} // namespace qvtest
