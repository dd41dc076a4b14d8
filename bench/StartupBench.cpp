// Start-up time of Quorvane: from process start until its main window is shown and
// painted, with 10 and with 10,000 saved configurations, next to a minimal Win32
// window program started and awaited the same way in the same run.
#include "BenchSupport.h"
#include "framework/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double NowMs() { return bench::Now() * 1000.0; }

struct Found {
    DWORD pid;
    const wchar_t* caption;
    HWND wnd;
};

HWND FindShownWindow(DWORD pid, const wchar_t* caption)
{
    Found f{pid, caption, nullptr};
    EnumWindows(
        [](HWND w, LPARAM lp) -> BOOL {
            auto f = reinterpret_cast<Found*>(lp);
            DWORD p = 0;
            GetWindowThreadProcessId(w, &p);
            wchar_t text[64] = {};
            if (p == f->pid && IsWindowVisible(w) && GetWindowTextW(w, text, 64) && wcscmp(text, f->caption) == 0) {
                f->wnd = w;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.wnd;
}

// Shown and painted: visible, its queue has come round (so WM_PAINT was dispatched),
// and nothing of it waits to be painted.
bool Painted(HWND wnd)
{
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutW(wnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r))
        return false;
    if (GetUpdateRect(wnd, nullptr, FALSE))
        return false;
    for (HWND c = GetWindow(wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetUpdateRect(c, nullptr, FALSE))
            return false;
    return true;
}

double TimeStart(const std::wstring& exe, const std::wstring& dir, const wchar_t* caption)
{
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    double start = NowMs();
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &pi))
        return -1;
    const qv::TProcess program(pi);
    double elapsed = -1;
    for (;;) {
        HWND w = FindShownWindow(program.ProcessId, caption);
        if (w && Painted(w)) {
            elapsed = NowMs() - start;
            break;
        }
        if (NowMs() - start > 120000)
            break;
        Sleep(1);
    }
    TerminateProcess(program.Process.Get(), 0);
    WaitForSingleObject(program.Process.Get(), 10000);
    return elapsed;
}

void MakeConfigs(const std::wstring& dir, int count)
{
    for (int i = 0; i < count; ++i) {
        std::wstring path = dir + L"配置" + std::to_wstring(i) + L".NCF";
        const qv::THandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char text[] = "pushd interface ip\r\npopd\r\n";
        DWORD put = 0;
        WriteFile(file.Get(), text, sizeof(text) - 1, &put, nullptr);
    }
}

// The display density of the programs started next: Wine reads it at each start (on
// Windows it takes effect only at the next sign-in, and both figures are the same).
class TDisplayDensity {
public:
    TDisplayDensity()
    {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        nullptr, &key, nullptr);
        key_ = qv::TRegistryKey(key);
        DWORD size = sizeof(saved_);
        had_ = key_ && RegQueryValueExW(Key(), L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved_), &size)
                == ERROR_SUCCESS;
    }
    ~TDisplayDensity()
    {
        if (!key_)
            return;
        if (had_)
            Set(saved_);
        else
            RegDeleteValueW(Key(), L"LogPixels");
    }
    TDisplayDensity(const TDisplayDensity&) = delete;
    TDisplayDensity& operator=(const TDisplayDensity&) = delete;
    void Set(DWORD dpi)
    {
        if (key_)
            RegSetValueExW(Key(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
    }

private:
    HKEY Key() const { return static_cast<HKEY>(key_.Get()); }
    qv::TRegistryKey key_;
    DWORD saved_ = 96;
    bool had_ = false;
};

} // namespace

int wmain()
{
    const std::wstring build = bench::ModuleDir() + L"..\\";
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const int runs = 5;

    std::wstring minimal = build + L"bench\\MinimalWindow.exe";
    std::vector<double> base;
    for (int i = 0; i < runs; ++i)
        base.push_back(TimeStart(minimal, temp, L"Minimal"));
    double baseMs = bench::Median(base);
    std::printf("minimal window program: %8.1f ms (median of %d)\n", baseMs, runs);

    for (int count : {10, 10000}) {
        std::wstring dir = std::wstring(temp) + L"qvstart" + std::to_wstring(count) + L"\\";
        CreateDirectoryW(dir.c_str(), nullptr);
        CopyFileW((build + L"app\\Quorvane.exe").c_str(), (dir + L"Quorvane.exe").c_str(), FALSE);
        MakeConfigs(dir, count);
        std::vector<double> t;
        for (int i = 0; i < runs; ++i)
            t.push_back(TimeStart(dir + L"Quorvane.exe", dir, L"Quorvane"));
        double ms = bench::Median(t);
        // The same minimal program started from that folder: what the folder alone costs.
        CopyFileW(minimal.c_str(), (dir + L"MinimalWindow.exe").c_str(), FALSE);
        std::vector<double> m;
        for (int i = 0; i < runs; ++i)
            m.push_back(TimeStart(dir + L"MinimalWindow.exe", dir, L"Minimal"));
        std::printf("minimal window program in that folder: %8.1f ms\n", bench::Median(m));
        std::printf("Quorvane, %5d configurations: %8.1f ms (median of %d), %.2f x the minimal program\n", count, ms,
                    runs, baseMs > 0 ? ms / baseMs : 0.0);
    }

    // The same start at 96 and at 192 DPI, runs interleaved: scaling the layout to the
    // display costs next to nothing.
    {
        std::wstring dir = std::wstring(temp) + L"qvstart10\\";
        TDisplayDensity density;
        std::vector<double> at96, at192;
        for (int i = 0; i < runs; ++i)
            for (auto [dpi, samples] : {std::pair{96, &at96}, std::pair{192, &at192}}) {
                density.Set(static_cast<DWORD>(dpi));
                samples->push_back(TimeStart(dir + L"Quorvane.exe", dir, L"Quorvane"));
            }
        const double ms96 = bench::Median(at96), ms192 = bench::Median(at192);
        std::printf("Quorvane at  96 DPI: %8.1f ms, at 192 DPI: %8.1f ms (medians of %d): %.2f x\n", ms96, ms192, runs,
                    ms96 > 0 ? ms192 / ms96 : 0.0);
    }
    return 0;
}
