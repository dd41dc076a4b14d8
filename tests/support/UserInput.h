// Keys and the mouse as a person uses them: SendInput puts them into the system's
// input queue, so they reach the foreground window's focused control through its
// message loop (the dialog manager, accelerators, focus and capture rules apply).
//
// Each call returns once the input is queued; a test waits for what it expects to
// see (WaitUntil, or the screen check, which lets the windows handle it first).
#pragma once

#include <windows.h>

#include <string>

namespace qvtest::input {

enum TModifier : unsigned { modNone = 0, modShift = 1, modCtrl = 2, modAlt = 4 };

// A key pressed and released, with the modifiers held around it.
void Key(WORD vk, unsigned modifiers = modNone);
// One key held down or let go.
void KeyDown(WORD vk);
void KeyUp(WORD vk);
// Each character as the key that types it on this layout, or as a Unicode packet when
// no key does (Chinese text).
void Type(const std::wstring& text);

void MoveTo(POINT screen);
void Press(POINT screen);
void Release(POINT screen);
void Click(POINT screen);
void DoubleClick(POINT screen);
// Presses at from, moves there in steps, releases at to.
void Drag(POINT from, POINT to, int steps = 8);
// A wheel turn over the pointer's place (WHEEL_DELTA per notch, positive away from the user).
void Wheel(int delta);

// Points of a window on the screen.
POINT Center(HWND wnd);
POINT At(HWND wnd, int clientX, int clientY);

// The clipboard's text, as a person copies and pastes it.
bool SetClipboardText(const std::wstring& text);
std::wstring ClipboardText();

// Makes top the foreground window and waits until it is (true) or the time passes.
bool BringToFront(HWND top, int timeoutMs = 5000);

} // namespace qvtest::input
