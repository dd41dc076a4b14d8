// Timing helpers shared by the benchmarks. They print figures; nothing here asserts.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Seconds from an arbitrary start, from the performance counter.
inline double Now()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Median seconds per call of a and of b. Rounds of the two are interleaved so that
// the machine's other load falls on both alike; drawing is flushed inside each round.
inline std::pair<double, double> SecondsPerCall(const std::function<void()>& a, const std::function<void()>& b,
                                                int callsPerRound, int rounds, int warmUp = 100)
{
    for (int i = 0; i < warmUp; ++i) {
        a();
        b();
    }
    std::vector<double> ta, tb;
    for (int r = 0; r < rounds; ++r)
        for (auto [call, samples] : {std::make_pair(&a, &ta), std::make_pair(&b, &tb)}) {
            const double start = Now();
            for (int i = 0; i < callsPerRound; ++i)
                (*call)();
            GdiFlush();
            samples->push_back((Now() - start) / callsPerRound);
        }
    return {Median(ta), Median(tb)};
}

// The folder of the running executable, with its trailing backslash.
inline std::wstring ModuleDir()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L"\\/") + 1);
}

} // namespace bench
