// Helpers of the configuration store and script runner tests: a ProgramDir
// scope, a recording script host, console text and the stand-in network shell.
#pragma once

#include "core/ScriptRunner.h"
#include "support/TestFiles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace qvtest {

// ProgramDir for the lifetime of the scope.
class ProgramDirScope {
public:
    explicit ProgramDirScope(const std::wstring& dir);
    ~ProgramDirScope();

private:
    std::wstring previous_;
};

class RecordingHost : public qv::core::IScriptHost {
public:
    void SetStatus(const std::wstring& text) override { events.push_back(L"status " + text); }
    void SetBusyCursor(bool busy) override { events.push_back(busy ? L"busy" : L"idle"); }

    std::wstring LastStatus() const;
    bool WasBusy() const;

    std::vector<std::wstring> events;
};

// Text in the console code page, as scripts and dumps hold it.
std::string ConsoleBytes(const std::wstring& text);
// The stand-in network shell built with the tests.
std::wstring NetShExe();

} // namespace qvtest
