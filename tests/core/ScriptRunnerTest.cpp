#include "core/ConfigStore.h"
#include "core/CoreTestSupport.h"
#include "core/ScriptRunner.h"
#include "framework/Exceptions.h"
#include "framework/Handles.h"

#include <gtest/gtest.h>

#include <regex>

using namespace qv::core;
using namespace qvtest;

namespace {

// A ProgramDir holding the stand-in network shell (or, for the tests that
// look at the script itself, a batch file taking its place).
class Runner : public ::testing::Test {
protected:
    Runner() : dir_(L"runner"), scope_(dir_.Path()), fail_(L"QUORVANE_NETSH_FAIL", nullptr) {}

    void InstallNetSh() { ASSERT_TRUE(CopyFileW(NetShExe().c_str(), (dir_ / L"NetSH.exe").c_str(), FALSE)); }

    // A NetSH.bat in ProgramDir is found before the system's network shell;
    // this one writes what the script held to standard output.
    void InstallEchoingNetSh() { WriteBytes(dir_ / L"NetSH.bat", "@echo off\r\ntype RunIt.BAT\r\n"); }

    std::vector<std::wstring> ConfigEntries() const
    {
        std::vector<std::wstring> names;
        for (const std::wstring& e : Entries(dir_.Path())) {
            if (e != L"NetSH.exe" && e != L"NetSH.bat" && e != L"netstate.txt")
                names.push_back(e);
        }
        return names;
    }

    TempDir dir_;
    ProgramDirScope scope_;
    EnvScope fail_;
    RecordingHost host_;
};

const std::string kHome = "\xBC\xD2\xCD\xA5"; // 家庭 in code page 936

} // namespace

TEST(CommandLines, PathsAreQuotedAndPercentSignsDoubled)
{
    ProgramDirScope scope(L"C:\\Net\\");
    EXPECT_EQ(L"NetSH -f \"C:\\Net\\家庭.NCF\"", ApplyCommandLine(L"家庭"));
    EXPECT_EQ(L"NetSH -c interface dump > \"C:\\Net\\dump.tmp\"", CaptureCommandLine(L"dump.tmp"));
    EXPECT_EQ(L"NetSH -f \"C:\\Net\\a & b.NCF\"", ApplyCommandLine(L"a & b"));

    SetProgramDir(L"C:\\50% off\\");
    EXPECT_EQ(L"NetSH -f \"C:\\50%% off\\100%%.NCF\"", ApplyCommandLine(L"100%"));
    EXPECT_EQ(L"NetSH -c interface dump > \"C:\\50%% off\\x.tmp\"", CaptureCommandLine(L"x.tmp"));
}

TEST(CommandLines, ProgramDirOutsideTheConsoleCodePageIsLeftOut)
{
    ProgramDirScope scope(L"C:\\สวัสดี\\");
    EXPECT_EQ(L"NetSH -f \"家庭.NCF\"", ApplyCommandLine(L"家庭"));
    EXPECT_EQ(L"NetSH -c interface dump > \"x%%.tmp\"", CaptureCommandLine(L"x%.tmp"));
}

TEST_F(Runner, ScriptFileHoldsOneLineInTheConsoleCodePage)
{
    if (GetOEMCP() != 936)
        GTEST_SKIP() << "the expected bytes are those of code page 936";
    const std::string dir = ConsoleBytes(dir_.Path());
    WriteScript(ApplyCommandLine(L"家庭"));
    EXPECT_EQ("NetSH -f \"" + dir + kHome + ".NCF\"\r\n", ReadBytes(dir_ / L"RunIt.BAT"));

    WriteBytes(dir_ / L"RunIt.BAT", "stale and much longer than the new line\r\n");
    WriteScript(L"NetSH -c interface dump > \"C:\\Net\\家庭.NCF\"");
    EXPECT_EQ("NetSH -c interface dump > \"C:\\Net\\" + kHome + ".NCF\"\r\n", ReadBytes(dir_ / L"RunIt.BAT"));

    EXPECT_THROW(WriteScript(L"NetSH -f สวัสดี.NCF"), qv::EInOutError);
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));
}

TEST_F(Runner, ScriptsRunThroughTheCommandInterpreterSeeTheirOwnLine)
{
    if (GetOEMCP() != 936)
        GTEST_SKIP() << "the expected bytes are those of code page 936";
    InstallEchoingNetSh();
    const std::string dir = ConsoleBytes(dir_.Path());

    // The echoing stand-in's output is the capture's dump: the saved file
    // shows the line that ran, with the temporary file it was sent to.
    ASSERT_TRUE(CaptureConfig(L"家庭", nullptr, host_));
    const std::string line = ReadBytes(dir_ / L"家庭.NCF");
    const std::regex capture("NetSH -c interface dump > \"" + std::regex_replace(dir, std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)") +
                             "~qvdump-[0-9]+-[0-9a-f]{16}-[0-9]+\\.tmp\"\r\n");
    EXPECT_TRUE(std::regex_match(line, capture)) << line;

    WriteBytes(dir_ / L"NetSH.bat", "@echo off\r\ntype RunIt.BAT > applied.txt\r\n");
    ASSERT_TRUE(ApplyConfig(L"家庭", nullptr, host_));
    EXPECT_EQ("NetSH -f \"" + dir + kHome + ".NCF\"\r\n", ReadBytes(dir_ / L"applied.txt"));
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));
}

TEST_F(Runner, SuccessfulRunShowsBusyCursorAndStatusInOrder)
{
    InstallNetSh();
    int rebuilt = 0;
    // The window passes the text of the name dialog, which then becomes the command line.
    CommandLine() = L"家庭";
    ASSERT_TRUE(CaptureConfig(CommandLine(), nullptr, host_, [&] {
        ++rebuilt;
        host_.events.push_back(L"rebuild");
    }));
    const std::vector<std::wstring> expected = {L"busy", L"status 正在执行操作……", L"idle", L"status 操作完成。",
                                                L"rebuild"};
    EXPECT_EQ(expected, host_.events);
    EXPECT_EQ(1, rebuilt);
    EXPECT_EQ((std::vector<std::wstring>{L"家庭.NCF"}), ConfigEntries());

    host_.events.clear();
    CommandLine() = L"家庭";
    EXPECT_TRUE(ApplyConfig(CommandLine(), nullptr, host_));
    EXPECT_EQ((std::vector<std::wstring>{L"busy", L"status 正在执行操作……", L"idle", L"status 操作完成。"}),
              host_.events);
    EXPECT_EQ(L"NetSH -f " + std::wstring(L"\"") + dir_.Path() + L"家庭.NCF\"", CommandLine());
}

TEST_F(Runner, StaleScriptIsReplacedAndRemovedAfterEveryRun)
{
    InstallNetSh();
    ASSERT_TRUE(CaptureConfig(L"x", nullptr, host_));

    // The old script would fail the run; it must not be what runs.
    WriteBytes(dir_ / L"RunIt.BAT", "exit 9\r\n");
    EXPECT_TRUE(ApplyConfig(L"x", nullptr, host_));
    EXPECT_EQ(kStatusDone, host_.LastStatus());
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));

    EnvScope fail(L"QUORVANE_NETSH_FAIL", L"4");
    WriteBytes(dir_ / L"RunIt.BAT", "exit 0\r\n");
    EXPECT_FALSE(ApplyConfig(L"x", nullptr, host_));
    EXPECT_EQ(kStatusFailed, host_.LastStatus());
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));
    EXPECT_FALSE(CaptureConfig(L"x", nullptr, host_));
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));
}

TEST_F(Runner, FailedCapturesKeepTheEarlierConfiguration)
{
    InstallNetSh();
    WriteBytes(dir_ / L"x.NCF", "earlier");
    int rebuilt = 0;
    auto rebuild = [&] { ++rebuilt; };

    {
        EnvScope fail(L"QUORVANE_NETSH_FAIL", L"1"); // the network shell fails
        EXPECT_FALSE(CaptureConfig(L"x", nullptr, host_, rebuild));
        EXPECT_EQ(kStatusFailed, host_.LastStatus());
    }
    {
        EnvScope fail(L"QUORVANE_NETSH_FAIL", L"0"); // succeeds but dumps nothing
        EXPECT_FALSE(CaptureConfig(L"x", nullptr, host_, rebuild));
        EXPECT_EQ(kStatusFailed, host_.LastStatus());
        EXPECT_FALSE(CaptureConfig(L"new", nullptr, host_, rebuild));
    }
    EXPECT_EQ(3, rebuilt);
    EXPECT_EQ("earlier", ReadBytes(dir_ / L"x.NCF"));
    EXPECT_EQ((std::vector<std::wstring>{L"x.NCF"}), ConfigEntries());

    // A working capture replaces it without a question.
    EXPECT_TRUE(CaptureConfig(L"x", nullptr, host_));
    EXPECT_NE(std::string::npos, ReadBytes(dir_ / L"x.NCF").find("pushd interface ip"));
}

TEST_F(Runner, CaptureOntoADirectoryFails)
{
    InstallNetSh();
    ASSERT_TRUE(CreateDirectoryW((dir_ / L"y.NCF").c_str(), nullptr));
    EXPECT_FALSE(CaptureConfig(L"y", nullptr, host_));
    EXPECT_EQ(kStatusFailed, host_.LastStatus());
    EXPECT_TRUE(IsDirectory(dir_ / L"y.NCF"));
    EXPECT_EQ((std::vector<std::wstring>{L"y.NCF"}), ConfigEntries());
}

TEST_F(Runner, RefusedNamesWriteAndRunNothing)
{
    InstallNetSh();
    const std::vector<std::wstring> before = Entries(dir_.Path());
    for (const wchar_t* name : {L"a:b", L"..\\up", L"CON", L"x|y", L"สวัสดี"}) {
        host_.events.clear();
        EXPECT_FALSE(CaptureConfig(name, nullptr, host_));
        EXPECT_EQ((std::vector<std::wstring>{L"status 配置名称无效！"}), host_.events) << name;
        host_.events.clear();
        EXPECT_FALSE(ApplyConfig(name, nullptr, host_));
        EXPECT_EQ((std::vector<std::wstring>{L"status 配置名称无效！"}), host_.events) << name;
    }
    EXPECT_EQ(before, Entries(dir_.Path()));
}

TEST_F(Runner, UnwritableScriptRaisesTheInputOutputErrorBeforeAnythingRuns)
{
    InstallNetSh();
    // Wine refuses nothing to root; a directory of the script's name does.
    ASSERT_TRUE(CreateDirectoryW((dir_ / L"RunIt.BAT").c_str(), nullptr));
    const std::vector<std::wstring> before = Entries(dir_.Path());
    int rebuilt = 0;

    try {
        CaptureConfig(L"x", nullptr, host_, [&] { ++rebuilt; });
        ADD_FAILURE() << "no error";
    } catch (const qv::EInOutError& e) {
        EXPECT_EQ(L"File access denied", e.Message());
    }
    EXPECT_THROW(ApplyConfig(L"x", nullptr, host_), qv::EInOutError);
    EXPECT_TRUE(host_.events.empty());
    EXPECT_EQ(0, rebuilt);
    EXPECT_EQ(before, Entries(dir_.Path())); // no temporary file left
    EXPECT_TRUE(IsDirectory(dir_ / L"RunIt.BAT"));
}

TEST_F(Runner, LeftoverCaptureFilesOfEndedCopiesAreRemoved)
{
    auto start = [](qv::TProcess& process) {
        wchar_t command[] = L"cmd.exe /c exit";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                                   nullptr, nullptr, &si, &pi));
        process = qv::TProcess(pi);
    };
    auto fileOf = [](const qv::TProcess& process, unsigned long long startedDelta = 0) {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(process.Process.Get(), &created, &exited, &kernel, &user);
        unsigned long long started =
            ((static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime) + startedDelta;
        wchar_t time[17];
        swprintf(time, 17, L"%016llx", started);
        return L"~qvdump-" + std::to_wstring(process.ProcessId) + L"-" + time + L"-1.tmp";
    };
    auto end = [](qv::TProcess& process) {
        TerminateProcess(process.Process.Get(), 0);
        WaitForSingleObject(process.Process.Get(), 10000);
        process = qv::TProcess();
    };

    qv::TProcess ended, running;
    start(ended);
    start(running);
    const std::wstring endedFile = fileOf(ended), runningFile = fileOf(running);
    const std::wstring reusedFile = fileOf(running, 1); // same id, another start: the id was reused
    end(ended);

    for (const std::wstring& name : {endedFile, runningFile, reusedFile, std::wstring(L"~qvdump-notours.tmp")})
        WriteBytes(dir_ / name, "partial dump");
    RemoveStaleCaptureFiles();
    EXPECT_EQ((std::vector<std::wstring>{runningFile, L"~qvdump-notours.tmp"}), Entries(dir_.Path()));

    end(running);
    RemoveStaleCaptureFiles();
    EXPECT_EQ((std::vector<std::wstring>{L"~qvdump-notours.tmp"}), Entries(dir_.Path()));
}
