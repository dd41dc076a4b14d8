#include <windows.h>
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { MessageBoxW(nullptr, L"Quorvane", L"Quorvane", MB_OK); return 0; }
