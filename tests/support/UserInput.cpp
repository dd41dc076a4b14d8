#include "support/UserInput.h"

#include <algorithm>
#include <vector>

namespace qvtest::input {

namespace {

INPUT KeyInput(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The arrows and the keys above them are extended keys on a real keyboard.
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
    case VK_HOME: case VK_END: case VK_INSERT: case VK_DELETE:
        in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        break;
    default:
        break;
    }
    return in;
}

INPUT UnicodeInput(wchar_t c, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wScan = c;
    in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return in;
}

INPUT MouseInput(DWORD flags, DWORD data = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    return in;
}

void Send(std::vector<INPUT> inputs)
{
    if (!inputs.empty())
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void Modifiers(std::vector<INPUT>& out, unsigned modifiers, bool up)
{
    const WORD keys[] = {VK_SHIFT, VK_CONTROL, VK_MENU};
    const unsigned bits[] = {modShift, modCtrl, modAlt};
    for (int i = 0; i < 3; ++i) {
        const int k = up ? 2 - i : i;
        if (modifiers & bits[k])
            out.push_back(KeyInput(keys[k], up));
    }
}

} // namespace

void Key(WORD vk, unsigned modifiers)
{
    std::vector<INPUT> in;
    Modifiers(in, modifiers, false);
    in.push_back(KeyInput(vk, false));
    in.push_back(KeyInput(vk, true));
    Modifiers(in, modifiers, true);
    Send(in);
}

void KeyDown(WORD vk) { Send({KeyInput(vk, false)}); }
void KeyUp(WORD vk) { Send({KeyInput(vk, true)}); }

void Type(const std::wstring& text)
{
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        // Only plain and shifted keys: a character that needs Ctrl or Alt would be a shortcut.
        if (scan != -1 && (HIBYTE(scan) & ~1) == 0)
            Key(LOBYTE(scan), (HIBYTE(scan) & 1) ? modShift : modNone);
        else
            Send({UnicodeInput(c, false), UnicodeInput(c, true)});
    }
}

void MoveTo(POINT screen) { SetCursorPos(screen.x, screen.y); }

void Press(POINT screen)
{
    MoveTo(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN)});
}

void Release(POINT screen)
{
    MoveTo(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTUP)});
}

void Click(POINT screen)
{
    MoveTo(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)});
}

void DoubleClick(POINT screen)
{
    MoveTo(screen);
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP), MouseInput(MOUSEEVENTF_LEFTDOWN),
          MouseInput(MOUSEEVENTF_LEFTUP)});
}

void Drag(POINT from, POINT to, int steps)
{
    Press(from);
    if (steps < 1)
        steps = 1;
    for (int i = 1; i <= steps; ++i) {
        const POINT p{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps};
        INPUT in = MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK);
        const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        in.mi.dx = static_cast<LONG>((static_cast<long long>(p.x - GetSystemMetrics(SM_XVIRTUALSCREEN)) * 65535) / (w - 1));
        in.mi.dy = static_cast<LONG>((static_cast<long long>(p.y - GetSystemMetrics(SM_YVIRTUALSCREEN)) * 65535) / (h - 1));
        Send({in});
        // Each move is its own input event, as a hand makes them.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    Release(to);
}

void Wheel(int delta) { Send({MouseInput(MOUSEEVENTF_WHEEL, static_cast<DWORD>(delta))}); }

POINT Center(HWND wnd)
{
    RECT r{};
    GetWindowRect(wnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT At(HWND wnd, int clientX, int clientY)
{
    POINT p{clientX, clientY};
    ClientToScreen(wnd, &p);
    return p;
}

namespace {

// The clipboard is open for the scope's life.
class TClipboard {
public:
    TClipboard()
    {
        // Another window may hold it for a moment.
        for (int i = 0; i < 50 && !open_; ++i) {
            open_ = OpenClipboard(nullptr) != 0;
            if (!open_)
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
    }
    ~TClipboard()
    {
        if (open_)
            CloseClipboard();
    }
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

// Global memory that is freed unless the clipboard took it.
class TGlobalMemory {
public:
    explicit TGlobalMemory(size_t bytes) : memory_(GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~TGlobalMemory()
    {
        if (memory_)
            GlobalFree(memory_);
    }
    TGlobalMemory(const TGlobalMemory&) = delete;
    TGlobalMemory& operator=(const TGlobalMemory&) = delete;
    HGLOBAL Get() const { return memory_; }
    HGLOBAL Release()
    {
        HGLOBAL m = memory_;
        memory_ = nullptr;
        return m;
    }

private:
    HGLOBAL memory_;
};

} // namespace

bool SetClipboardText(const std::wstring& text)
{
    TGlobalMemory memory((text.size() + 1) * sizeof(wchar_t));
    if (!memory.Get())
        return false;
    if (void* p = GlobalLock(memory.Get())) {
        std::copy(text.c_str(), text.c_str() + text.size() + 1, static_cast<wchar_t*>(p));
        GlobalUnlock(memory.Get());
    } else {
        return false;
    }
    TClipboard clipboard;
    if (!clipboard || !EmptyClipboard())
        return false;
    if (!SetClipboardData(CF_UNICODETEXT, memory.Get()))
        return false;
    memory.Release();  // the clipboard owns it now
    return true;
}

std::wstring ClipboardText()
{
    TClipboard clipboard;
    if (!clipboard)
        return L"<clipboard busy>";
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return std::wstring();
    std::wstring text;
    if (auto p = static_cast<const wchar_t*>(GlobalLock(data))) {
        text = p;
        GlobalUnlock(data);
    }
    return text;
}

bool BringToFront(HWND top, int timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (GetForegroundWindow() == top)
            return true;
        SetForegroundWindow(top);
        if (static_cast<int>(GetTickCount() - start) > timeoutMs)
            return GetForegroundWindow() == top;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

} // namespace qvtest::input
