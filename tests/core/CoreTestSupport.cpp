#include "core/CoreTestSupport.h"

#include "core/ConfigStore.h"
#include "core/ConsoleText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qvtest {

ProgramDirScope::ProgramDirScope(const std::wstring& dir) : previous_(qv::core::ProgramDir())
{
    qv::core::SetProgramDir(dir);
}

ProgramDirScope::~ProgramDirScope()
{
    qv::core::SetProgramDir(previous_);
}

std::wstring RecordingHost::LastStatus() const
{
    for (auto it = events.rbegin(); it != events.rend(); ++it) {
        if (it->rfind(L"status ", 0) == 0)
            return it->substr(7);
    }
    return std::wstring();
}

bool RecordingHost::WasBusy() const
{
    return std::find(events.begin(), events.end(), L"busy") != events.end();
}

std::string ConsoleBytes(const std::wstring& text)
{
    std::string bytes;
    EXPECT_TRUE(qv::core::EncodeConsoleText(text, bytes));
    return bytes;
}

std::wstring NetShExe()
{
    // CMake gives the path as the build system sees it; under Wine a Unix
    // path is reached through drive Z:.
    const std::string built = QV_NETSH_EXE;
    std::wstring path(built.size(), L'\0');
    path.resize(MultiByteToWideChar(CP_UTF8, 0, built.data(), static_cast<int>(built.size()), path.data(),
                                    static_cast<int>(path.size())));
    if (!path.empty() && path[0] == L'/') {
        std::replace(path.begin(), path.end(), L'/', L'\\');
        path = L"Z:" + path;
    }
    return path;
}

} // namespace qvtest
