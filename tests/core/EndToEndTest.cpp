// Save and switch through the real runner, command interpreter and stand-in
// network shell, without windows.
#include "core/ConfigStore.h"
#include "core/CoreTestSupport.h"
#include "core/ScriptRunner.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qv::core;
using namespace qvtest;

namespace {

class SaveAndSwitch : public ::testing::TestWithParam<const wchar_t*> {
protected:
    SaveAndSwitch() : dir_(GetParam()), scope_(dir_.Path()), state_(L"QUORVANE_NETSTATE", nullptr),
                      fail_(L"QUORVANE_NETSH_FAIL", nullptr)
    {
        EXPECT_TRUE(CopyFileW(NetShExe().c_str(), (dir_ / L"NetSH.exe").c_str(), FALSE));
    }

    // Without QUORVANE_NETSTATE the stand-in keeps its state beside itself.
    std::string State() const { return ReadBytes(dir_ / L"netstate.txt"); }

    TempDir dir_;
    ProgramDirScope scope_;
    EnvScope state_;
    EnvScope fail_;
    RecordingHost host_;
};

// A configuration written by hand in the later per-subsystem form.
const wchar_t kHandWritten[] =
    L"pushd interface ipv4\r\n"
    L"set address name=\"本地连接\" source=static address=10.1.2.3 mask=255.255.0.0 gateway=10.1.0.1 gwmetric=1\r\n"
    L"add address name=\"本地连接\" address=10.1.2.4/16\r\n"
    L"set dnsservers name=\"本地连接\" source=static address=8.8.8.8 register=none\r\n"
    L"add dnsservers name=\"本地连接\" address=8.8.4.4 index=2\r\n"
    L"set address name=\"无线网络连接\" source=static address=172.16.5.9 mask=255.255.255.0\r\n"
    L"popd\r\n";

} // namespace

TEST_P(SaveAndSwitch, ApplyingASavedConfigurationRestoresIt)
{
    ASSERT_TRUE(CaptureConfig(L"办公室", nullptr, host_));
    const std::string office = State();
    ASSERT_FALSE(office.empty());
    // The dump is the network shell's text in the console code page.
    EXPECT_NE(std::string::npos, ReadBytes(dir_ / L"办公室.NCF").find(ConsoleBytes(L"add address name=\"本地连接\"")));

    WriteBytes(dir_ / L"手写 100% a&b.NCF", ConsoleBytes(kHandWritten));
    ASSERT_TRUE(ApplyConfig(L"手写 100% a&b", nullptr, host_)) << host_.LastStatus();
    const std::string changed = State();
    EXPECT_NE(office, changed);
    EXPECT_NE(std::string::npos, changed.find("address=10.1.2.4 255.255.0.0"));

    ASSERT_TRUE(CaptureConfig(L"家里 B", nullptr, host_));
    ASSERT_TRUE(ApplyConfig(L"办公室", nullptr, host_));
    EXPECT_EQ(office, State());
    ASSERT_TRUE(ApplyConfig(L"家里 B", nullptr, host_));
    EXPECT_EQ(changed, State());
    EXPECT_EQ(kStatusDone, host_.LastStatus());

    std::vector<std::wstring> expected = {L"办公室", L"家里 B", L"手写 100% a&b"};
    std::vector<std::wstring> names = ListConfigNames();
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, names);
    EXPECT_FALSE(Exists(dir_ / L"RunIt.BAT"));
}

TEST_P(SaveAndSwitch, ABrokenConfigurationChangesNothing)
{
    const std::string before = State(); // empty: created by the first run
    ASSERT_TRUE(CaptureConfig(L"good", nullptr, host_));
    const std::string good = State();
    WriteBytes(dir_ / L"bad.NCF", ConsoleBytes(L"pushd interface ip\r\nset address name=\"本地连接\" source=dhcp\r\n"
                                               L"set address name=\"以太网\" source=dhcp\r\npopd\r\n"));
    EXPECT_FALSE(ApplyConfig(L"bad", nullptr, host_));
    EXPECT_EQ(kStatusFailed, host_.LastStatus());
    EXPECT_EQ(good, State());
    EXPECT_TRUE(before.empty());
}

// Chinese and spaces in ProgramDir, and one the console code page cannot hold
// (the script then names its files relative to it).
INSTANTIATE_TEST_SUITE_P(ProgramDirs, SaveAndSwitch, ::testing::Values(L"e2e 网络 配置", L"e2e สวัสดี"));
