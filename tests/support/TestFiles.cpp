#include "support/TestFiles.h"

#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qvtest {

namespace {

void RemoveTree(const std::wstring& dir)
{
    for (const WIN32_FIND_DATAW& entry : qv::TFileSearch(dir + L"*")) {
        if (qv::TFileSearch::IsDotEntry(entry))
            continue;
        const std::wstring path = dir + entry.cFileName;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveTree(path + L"\\");
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(dir.c_str());
}

} // namespace

TempDir::TempDir(const std::wstring& label)
{
    static unsigned counter = 0;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    for (;;) {
        path_ = std::wstring(temp) + L"qv " + label + L" " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create a temporary directory";
            break;
        }
    }
    path_ += L'\\';
}

TempDir::~TempDir()
{
    RemoveTree(path_);
}

EnvScope::EnvScope(const std::wstring& name, const wchar_t* value) : name_(name)
{
    wchar_t buffer[32768];
    DWORD n = GetEnvironmentVariableW(name.c_str(), buffer, 32768);
    hadPrevious_ = n > 0 && n < 32768;
    if (hadPrevious_)
        previous_.assign(buffer, n);
    SetEnvironmentVariableW(name.c_str(), value);
}

EnvScope::~EnvScope()
{
    SetEnvironmentVariableW(name_.c_str(), hadPrevious_ ? previous_.c_str() : nullptr);
}

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    const qv::THandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!file)
        return bytes;
    char buffer[4096];
    DWORD read;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    const qv::THandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file) << "cannot write a test file";
    DWORD written;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> Entries(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : qv::TFileSearch(dir + L"*")) {
        if (!qv::TFileSearch::IsDotEntry(entry))
            names.push_back(entry.cFileName);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace qvtest
