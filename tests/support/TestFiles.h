// Files, folders and environment for the tests that work on real directories.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qvtest {

// A new directory in the temporary folder, removed with its contents at the end.
class TempDir {
public:
    explicit TempDir(const std::wstring& label);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // With the trailing delimiter.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// An environment variable (inherited by the processes started meanwhile) for the
// lifetime of the scope; a null value removes it.
class EnvScope {
public:
    EnvScope(const std::wstring& name, const wchar_t* value);
    ~EnvScope();
    EnvScope(const EnvScope&) = delete;
    EnvScope& operator=(const EnvScope&) = delete;

private:
    std::wstring name_;
    std::wstring previous_;
    bool hadPrevious_ = false;
};

// The whole file, or nothing when it cannot be read.
std::string ReadBytes(const std::wstring& path);
// Creates or replaces the file; a file that cannot be written fails the test.
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// The names in dir, sorted.
std::vector<std::wstring> Entries(const std::wstring& dir);

} // namespace qvtest
