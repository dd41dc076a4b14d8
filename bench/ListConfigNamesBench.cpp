// ListConfigNames over 10,000 configuration files, against a bare wildcard
// search of the same directory in the same run (the system calls alone, its
// handle in the plainest owner). Prints figures only.
#include "BenchSupport.h"
#include "core/ConfigStore.h"
#include "framework/Handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

size_t BareSearch(const std::wstring& dir)
{
    size_t count = 0;
    WIN32_FIND_DATAW entry;
    const qv::TSearchHandle search(FindFirstFileW((dir + L"*.NCF").c_str(), &entry));
    if (!search)
        return 0;
    do
        ++count;
    while (FindNextFileW(search.Get(), &entry));
    return count;
}

} // namespace

int main()
{
    const int files = 10000, rounds = 15;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring dir = std::wstring(temp) + L"qv bench " + std::to_wstring(GetCurrentProcessId()) + L"\\";
    if (!CreateDirectoryW(dir.c_str(), nullptr)) {
        std::fprintf(stderr, "cannot create the directory\n");
        return 1;
    }
    for (int n = 0; n < files; ++n) {
        qv::THandle(CreateFileW((dir + L"配置 " + std::to_wstring(n) + L".NCF").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, 0, nullptr));
    }
    qv::core::SetProgramDir(dir);

    // Warm the directory cache for both, then alternate so drift hits both alike.
    size_t listed = qv::core::ListConfigNames().size(), found = BareSearch(dir);
    std::vector<double> list, bare;
    for (int r = 0; r < rounds; ++r) {
        double t0 = bench::Now();
        listed = qv::core::ListConfigNames().size();
        double t1 = bench::Now();
        found = BareSearch(dir);
        double t2 = bench::Now();
        list.push_back(t1 - t0);
        bare.push_back(t2 - t1);
    }

    const double l = bench::Median(list), b = bench::Median(bare);
    std::printf("configuration files:         %d (listed %zu, found %zu)\n", files, listed, found);
    std::printf("ListConfigNames, median:     %.2f ms\n", l * 1000);
    std::printf("bare FindFirstFileW, median: %.2f ms\n", b * 1000);
    std::printf("ratio:                       %.2f\n", l / b);

    for (int n = 0; n < files; ++n)
        DeleteFileW((dir + L"配置 " + std::to_wstring(n) + L".NCF").c_str());
    RemoveDirectoryW(dir.c_str());
    return 0;
}
