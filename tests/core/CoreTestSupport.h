// Helpers of the configuration store and script runner tests: private
// directories, environment and ProgramDir scopes, a recording script host.
#pragma once

#include "core/ScriptRunner.h"

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

// ProgramDir for the lifetime of the scope.
class ProgramDirScope {
public:
    explicit ProgramDirScope(const std::wstring& dir);
    ~ProgramDirScope();

private:
    std::wstring previous_;
};

// An environment variable (inherited by the scripts) for the lifetime of the
// scope; a null value removes it.
class EnvScope {
public:
    EnvScope(const std::wstring& name, const wchar_t* value);
    ~EnvScope();

private:
    std::wstring name_;
    std::wstring previous_;
    bool hadPrevious_ = false;
};

class RecordingHost : public qv::core::IScriptHost {
public:
    void SetStatus(const std::wstring& text) override { events.push_back(L"status " + text); }
    void SetBusyCursor(bool busy) override { events.push_back(busy ? L"busy" : L"idle"); }

    std::wstring LastStatus() const;
    bool WasBusy() const;

    std::vector<std::wstring> events;
};

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// The names in dir, sorted.
std::vector<std::wstring> Entries(const std::wstring& dir);
// Text in the console code page, as scripts and dumps hold it.
std::string ConsoleBytes(const std::wstring& text);
// The stand-in network shell built with the tests.
std::wstring NetShExe();

} // namespace qvtest
