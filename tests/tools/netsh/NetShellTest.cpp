#include "support/TestFiles.h"
#include "tools/netsh/NetShell.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace qv::netsh;

namespace {

std::uint32_t Ip(const wchar_t* text)
{
    std::uint32_t ip = 0;
    EXPECT_TRUE(ParseIp(text, ip)) << text;
    return ip;
}

// Every kind of value: several addresses, gateways, servers, DHCP parts,
// global and per-interface settings of the later systems.
NetState BusyState(const wchar_t* system = L"windows-7")
{
    NetState s = DefaultNetState();
    s.system = system;
    s.globals[L"icmpredirects"] = L"disabled";
    s.globals[L"defaultcurhoplimit"] = L"64";
    Interface& wired = s.interfaces[0];
    wired.addresses = {{Ip(L"10.0.0.5"), Ip(L"255.0.0.0")}, {Ip(L"192.168.7.2"), Ip(L"255.255.255.128")}};
    wired.gateways = {{Ip(L"10.0.0.1"), 1}, {Ip(L"10.0.0.2"), 20}};
    wired.dns = {Ip(L"1.1.1.1"), Ip(L"9.9.9.9"), Ip(L"8.8.8.8")};
    wired.dnsRegister = Register::Both;
    wired.wins = {Ip(L"10.0.0.10"), Ip(L"10.0.0.11")};
    wired.forwarding = wired.advertise = true;
    Interface& wireless = s.interfaces[1];
    wireless.nud = false;
    wireless.dnsSource = Source::Static;
    wireless.dns = {Ip(L"114.114.114.114")};
    wireless.dnsRegister = Register::None;
    Interface third;
    third.name = L"VPN 连接";
    third.addressSource = Source::Static;
    third.addresses = {{Ip(L"172.20.0.9"), Ip(L"255.255.0.0")}};
    third.dnsSource = Source::Static;
    s.interfaces.push_back(third);
    Interface fourth; // DHCP, registering none of its addresses
    fourth.name = L"Ethernet 2";
    fourth.dnsRegister = Register::None;
    s.interfaces.push_back(fourth);
    return s;
}

// The same interfaces, all configured by DHCP with the default settings.
NetState AllDhcp(const NetState& state)
{
    NetState dhcp;
    dhcp.system = state.system;
    for (const Interface& i : state.interfaces) {
        dhcp.interfaces.emplace_back();
        dhcp.interfaces.back().name = i.name;
    }
    return dhcp;
}

NetState Applied(NetState state, const std::wstring& script)
{
    std::wstring out, error;
    EXPECT_TRUE(RunScript(script, L"script", L"", state, out, error)) << error;
    return state;
}

std::wstring Failure(const std::wstring& script, const NetState& start = DefaultNetState())
{
    NetState state = start;
    std::wstring out, error;
    EXPECT_FALSE(RunScript(script, L"script", L"", state, out, error)) << script;
    EXPECT_EQ(start, state) << script;
    return error;
}

} // namespace

TEST(Dump, IsThePerInterfaceScriptOnEarlierSystems)
{
    NetState xp = DefaultNetState();
    xp.system = L"windows-xp";
    const std::wstring dump = DumpScript(xp);
    EXPECT_NE(std::wstring::npos, dump.find(L"\r\npushd interface ip\r\n"));
    EXPECT_NE(std::wstring::npos,
              dump.find(L"\r\nset address name=\"本地连接\" source=static addr=192.168.1.101 mask=255.255.255.0\r\n"
                        L"set address name=\"本地连接\" gateway=192.168.1.1 gwmetric=0\r\n"
                        L"set dns name=\"本地连接\" source=static addr=202.96.134.133 register=PRIMARY\r\n"
                        L"add dns name=\"本地连接\" addr=202.96.128.68 index=2\r\n"
                        L"set wins name=\"本地连接\" source=static addr=none\r\n"));
    EXPECT_NE(std::wstring::npos, dump.find(L"\r\nset address name=\"无线网络连接\" source=dhcp\r\n"
                                            L"set dns name=\"无线网络连接\" source=dhcp register=PRIMARY\r\n"
                                            L"set wins name=\"无线网络连接\" source=dhcp\r\n"));
    EXPECT_NE(std::wstring::npos, dump.find(L"\r\npopd\r\n# End of interface IP configuration\r\n"));
}

TEST(Dump, IsThePerSubsystemScriptOnLaterSystems)
{
    const std::wstring dump = DumpScript(DefaultNetState());
    EXPECT_NE(std::wstring::npos,
              dump.find(L"\r\npushd interface ipv4\r\n\r\nreset\r\nset global icmpredirects=enabled\r\n"
                        L"set interface interface=\"本地连接\" forwarding=disabled advertise=disabled nud=enabled\r\n"
                        L"set interface interface=\"无线网络连接\" forwarding=disabled advertise=disabled nud=enabled\r\n"
                        L"add address name=\"本地连接\" address=192.168.1.101 mask=255.255.255.0\r\n"
                        L"add route prefix=0.0.0.0/0 interface=\"本地连接\" nexthop=192.168.1.1 publish=Yes\r\n"
                        L"set dnsservers name=\"本地连接\" source=static address=202.96.134.133 register=primary\r\n"
                        L"add dnsservers name=\"本地连接\" address=202.96.128.68 index=2\r\n"
                        L"set winsservers name=\"本地连接\" source=static address=none\r\n"
                        L"\r\npopd\r\n"))
        << dump;
    // DHCP interfaces appear in their set interface lines only.
    EXPECT_EQ(1, [&] {
        int n = 0;
        for (size_t at = dump.find(L"无线网络连接"); at != std::wstring::npos; at = dump.find(L"无线网络连接", at + 1))
            ++n;
        return n;
    }());
}

TEST(Dump, AppliedElsewhereReproducesTheDumpInEitherForm)
{
    for (const wchar_t* system : {L"windows-xp", L"windows-7"}) {
        SCOPED_TRACE(testing::Message() << system);
        const NetState busy = BusyState(system), other = AllDhcp(busy);
        EXPECT_EQ(DumpScript(busy), DumpScript(Applied(other, DumpScript(busy))));
        EXPECT_EQ(DumpScript(other), DumpScript(Applied(busy, DumpScript(other))));
    }
    // The later form starts with reset: it carries the whole configuration,
    // and what it does not name ends up as reset leaves it.
    const NetState busy = BusyState(), other = AllDhcp(busy);
    EXPECT_EQ(busy, Applied(other, DumpScript(busy)));
    EXPECT_EQ(other, Applied(busy, DumpScript(other)));
    NetState two = DefaultNetState();
    const NetState back = Applied(busy, DumpScript(two));
    ASSERT_EQ(4u, back.interfaces.size());
    EXPECT_EQ(two.interfaces[0], back.interfaces[0]);
    EXPECT_EQ(AllDhcp(busy).interfaces[2], back.interfaces[2]);
    // The earlier form leaves the interfaces it does not name as they were.
    two.system = L"windows-xp";
    EXPECT_EQ(busy.interfaces[2], Applied(busy, DumpScript(two)).interfaces[2]);
}

TEST(Scripts, EarlierAndLaterFormsGiveTheSameConfiguration)
{
    const NetState xp = Applied(DefaultNetState(),
                                L"pushd interface ip\r\n"
                                L"set address name=\"无线网络连接\" source=static addr=10.9.8.7 mask=255.255.255.0\r\n"
                                L"set address name=\"无线网络连接\" gateway=10.9.8.1 gwmetric=5\r\n"
                                L"set dns name=\"无线网络连接\" source=static addr=8.8.8.8 register=PRIMARY\r\n"
                                L"add dns name=\"无线网络连接\" addr=8.8.4.4 index=2\r\n"
                                L"set address name=\"本地连接\" source=dhcp\r\n"
                                L"set dns name=\"本地连接\" source=dhcp register=PRIMARY\r\n"
                                L"popd\r\n");
    const NetState later = Applied(DefaultNetState(),
                                   L"pushd interface ipv4\n"
                                   L"set address name=\"无线网络连接\" source=static address=10.9.8.7/24 "
                                   L"gateway=10.9.8.1 gwmetric=5\n"
                                   L"set dnsservers name=\"无线网络连接\" source=static address=8.8.8.8 register=primary\n"
                                   L"add dnsservers name=\"无线网络连接\" address=8.8.4.4 index=2\n"
                                   L"set address name=\"本地连接\" source=dhcp\n"
                                   L"set dnsservers name=\"本地连接\" source=dhcp\n"
                                   L"popd\n");
    EXPECT_EQ(xp, later);
    const Interface& wireless = xp.interfaces[1];
    EXPECT_EQ(Source::Static, wireless.addressSource);
    EXPECT_EQ((std::vector<Gateway>{{Ip(L"10.9.8.1"), 5}}), wireless.gateways);
    EXPECT_EQ((std::vector<std::uint32_t>{Ip(L"8.8.8.8"), Ip(L"8.8.4.4")}), wireless.dns);
    EXPECT_EQ(Source::Dhcp, xp.interfaces[0].addressSource);
    EXPECT_TRUE(xp.interfaces[0].gateways.empty());
    EXPECT_TRUE(xp.interfaces[0].dns.empty());
}

TEST(Scripts, AbbreviationsPositionsAndFullPathsAreUnderstood)
{
    const NetState expected = Applied(
        DefaultNetState(), L"interface ip set address name=\"无线网络连接\" source=static addr=10.0.0.2 mask=255.0.0.0 "
                           L"gateway=10.0.0.1 gwmetric=1\r\n");
    EXPECT_EQ(expected, Applied(DefaultNetState(),
                                L"int ip set addr \"无线网络连接\" static 10.0.0.2 255.0.0.0 10.0.0.1 1\r\n"));
    EXPECT_EQ(expected, Applied(DefaultNetState(), L"INTERFACE IP\r\nSET ADDRESS NAME=\"无线网络连接\" "
                                                   L"SOURCE=STATIC ADDR=10.0.0.2 MASK=255.0.0.0 "
                                                   L"GATEWAY=10.0.0.1 GWMETRIC=1\r\n"));
    // Interface names ignore letter case, like the system's.
    NetState s = DefaultNetState();
    s.interfaces[1].name = L"Wireless";
    EXPECT_EQ(Source::Static, Applied(s, L"pushd interface ip\nset address wireless static 10.0.0.2 255.0.0.0\npopd\n")
                                  .interfaces[1]
                                  .addressSource);
}

TEST(Scripts, ServerListsKeepTheirOrder)
{
    const NetState s = Applied(DefaultNetState(), L"pushd interface ip\n"
                                                  L"set dns \"本地连接\" static 1.1.1.1\n"
                                                  L"add dns \"本地连接\" 3.3.3.3\n"
                                                  L"add dns \"本地连接\" 2.2.2.2 index=2\n"
                                                  L"add wins \"无线网络连接\" 10.0.0.9\n"
                                                  L"set dns \"本地连接\" register=both\n");
    EXPECT_EQ((std::vector<std::uint32_t>{Ip(L"1.1.1.1"), Ip(L"2.2.2.2"), Ip(L"3.3.3.3")}), s.interfaces[0].dns);
    EXPECT_EQ(Register::Both, s.interfaces[0].dnsRegister);
    EXPECT_EQ(Source::Static, s.interfaces[1].winsSource);
    EXPECT_EQ(Source::Dhcp, s.interfaces[1].dnsSource);
    EXPECT_TRUE(Applied(s, L"interface ip set dns \"本地连接\" static none\n").interfaces[0].dns.empty());
}

TEST(Scripts, AnErrorAnywhereChangesNothingAndNamesTheLine)
{
    const std::wstring good = L"pushd interface ip\r\nset address name=\"本地连接\" source=dhcp\r\n# comment\r\n";
    EXPECT_NE(std::wstring::npos, Failure(good + L"set adress name=\"本地连接\" source=dhcp\r\n").find(L"line 4"));
    EXPECT_NE(std::wstring::npos,
              Failure(good + L"set address name=\"以太网\" source=dhcp\r\n").find(L"unknown interface \"以太网\""));
    for (const wchar_t* bad : {
             L"set address name=\"本地连接\" source=static addr=10.0.0.256 mask=255.0.0.0",
             L"set address name=\"本地连接\" source=static addr=10.0.0.5 mask=255.0.255.0",
             L"set address name=\"本地连接\" source=static addr=10.0.0.5",
             L"set address name=\"本地连接\" source=static addr=10.0.0.0 mask=255.255.255.0",
             L"set address name=\"本地连接\" source=automatic",
             L"set address name=\"本地连接\" source=dhcp gateway=10.0.0.1",
             L"set address name=\"无线网络连接\" gateway=10.0.0.1 gwmetric=1",
             L"set dns name=\"本地连接\" source=static addr=1.2.3",
             L"add dns name=\"本地连接\" addr=202.96.134.133",
             L"set dns name=\"本地连接\" register=sometimes",
             L"set address name=\"本地连接\" colour=blue",
             L"set address name=\"本地连接",
             L"set address",
             L"reset all",
             L"add route prefix=10.0.0.0/8 interface=\"本地连接\" nexthop=192.168.1.1",
             L"add route prefix=0.0.0.0/0 interface=\"无线网络连接\" nexthop=192.168.1.1",
             L"add route prefix=0.0.0.0/0 interface=\"本地连接\" nexthop=192.168.1.1",
             L"add route prefix=0.0.0.0/0 interface=\"本地连接\" nexthop=192.168.1.2 publish=often",
             L"set interface interface=\"本地连接\" forwarding=sometimes",
             L"set interface interface=\"以太网\" nud=enabled",
             L"set global icmpredirects=maybe",
             L"set global defaultcurhoplimit=300",
             L"set global colour=blue",
             L"add global icmpredirects=enabled",
         }) {
        const std::wstring error = Failure(good + bad + L"\r\n");
        EXPECT_NE(std::wstring::npos, error.find(L"script, line 4: ")) << bad << L" → " << error;
    }
    // A later-form script resets first: refused, it leaves everything as it was.
    const NetState busy = BusyState();
    EXPECT_NE(std::wstring::npos,
              Failure(L"pushd interface ipv4\r\nreset\r\nset global icmpredirects=enabled\r\nshow config\r\n", busy)
                  .find(L"line 4: the following command was not found: show config"));
    EXPECT_NE(std::wstring::npos, Failure(good + L"popd\r\npopd\r\n").find(L"script, line 5: "));
}

TEST(StateFile, RoundTripsAndRefusesWhatItCannotHold)
{
    const NetState busy = BusyState();
    NetState parsed;
    std::wstring error;
    ASSERT_TRUE(ParseNetState(FormatNetState(busy), parsed, error)) << error;
    EXPECT_EQ(busy, parsed);

    for (const wchar_t* bad : {
             L"name=x\n",
             L"system=windows-95\n",
             L"[global]\nicmpredirects=sometimes\n",
             L"[global]\ncolour=blue\n",
             L"[interface]\nname=a\nnud=yes\n",
             L"[interface]\nname=a\n[interface]\nname=A\n",
             L"[interface]\nname=a\naddress-source=static\n",
             L"[interface]\nname=a\naddress=10.0.0.1 255.0.0.0\n",
             L"[interface]\nname=a\ndns=10.0.0.x\n",
             L"[interface]\nname=a\ncolour=blue\n",
         }) {
        NetState untouched = busy;
        EXPECT_FALSE(ParseNetState(bad, untouched, error)) << bad;
        EXPECT_EQ(busy, untouched);
    }
}

TEST(ConsoleText, ScriptsAreReadInTheConsoleCodePageOrByTheirMark)
{
    const std::wstring text = L"set address name=\"本地连接\" source=dhcp\r\n";
    EXPECT_EQ(text, DecodeScriptText(EncodeConsoleText(text)));
    EXPECT_EQ(text, DecodeScriptText("\xEF\xBB\xBF" "set address name=\"\xE6\x9C\xAC\xE5\x9C\xB0\xE8\xBF\x9E\xE6\x8E\xA5\" "
                                     "source=dhcp\r\n"));
    std::string utf16 = "\xFF\xFE";
    utf16.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    EXPECT_EQ(text, DecodeScriptText(utf16));
    if (ConsoleTextCodePage() == 936) {
        EXPECT_EQ("\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3", EncodeConsoleText(L"本地连接"));
    }
}

// The program as a whole, on a state file of its own.
class Program : public ::testing::Test {
protected:
    int Run(const std::vector<std::wstring>& args)
    {
        out_.clear(), err_.clear();
        return RunNetShell(args, state_, out_, err_);
    }
    std::string StateBytes() const { return qvtest::ReadBytes(state_); }
    void WriteScriptFile(const std::string& bytes) { qvtest::WriteBytes(dir_ + L"script.txt", bytes); }

    qvtest::TempDir temp_{L"netsh"};
    std::wstring dir_ = temp_.Path();
    std::wstring state_ = dir_ + L"状态.txt";
    std::wstring out_, err_;
};

TEST_F(Program, DumpCreatesTheDefaultStateAndPrintsIt)
{
    EXPECT_EQ(0, Run({L"-c", L"interface", L"dump"}));
    EXPECT_EQ(DumpScript(DefaultNetState()), out_);
    EXPECT_TRUE(err_.empty());
    const std::string created = StateBytes();
    EXPECT_NE(std::string::npos, created.find("name=\xE6\x9C\xAC\xE5\x9C\xB0\xE8\xBF\x9E\xE6\x8E\xA5")); // UTF-8
    EXPECT_EQ(0, Run({L"interface", L"ip", L"dump"}));
    EXPECT_EQ(DumpScript(DefaultNetState()), out_);
    EXPECT_EQ(created, StateBytes());

    // The state file names the imitated system, which decides the form.
    std::string xp = created;
    const size_t at = xp.find("system=windows-7");
    ASSERT_NE(std::string::npos, at);
    qvtest::WriteBytes(state_, xp.replace(at, 16, "system=windows-xp"));
    NetState expected = DefaultNetState();
    expected.system = L"windows-xp";
    EXPECT_EQ(0, Run({L"-c", L"interface", L"dump"}));
    EXPECT_EQ(DumpScript(expected), out_);
}

TEST_F(Program, ScriptsApplyWhollyOrNotAtAll)
{
    ASSERT_EQ(0, Run({L"-c", L"interface", L"dump"}));
    const std::string before = StateBytes();
    WriteScriptFile(EncodeConsoleText(L"pushd interface ip\r\nset address name=\"本地连接\" source=dhcp\r\n"
                                      L"set address name=\"本地连接\" gateway=10.0.0.1 gwmetric=0\r\npopd\r\n"));
    EXPECT_EQ(1, Run({L"-f", dir_ + L"script.txt"}));
    EXPECT_NE(std::wstring::npos, err_.find(L"line 3")) << err_;
    EXPECT_EQ(before, StateBytes());

    WriteScriptFile(EncodeConsoleText(L"pushd interface ip\r\nset address name=\"本地连接\" source=dhcp\r\npopd\r\n"));
    EXPECT_EQ(0, Run({L"-f", dir_ + L"script.txt"})) << err_;
    EXPECT_NE(before, StateBytes());
    ASSERT_EQ(0, Run({L"-c", L"interface", L"dump"}));
    EXPECT_NE(std::wstring::npos, out_.find(L"set interface interface=\"本地连接\""));
    EXPECT_EQ(std::wstring::npos, out_.find(L"add address name=\"本地连接\"")) << "still static";

    EXPECT_EQ(1, Run({L"-f", dir_ + L"missing.txt"}));
    EXPECT_EQ(1, Run({L"-c", L"interface"}));
    EXPECT_EQ(1, Run({L"-c", L"routing", L"dump"}));
    EXPECT_EQ(1, Run({L"-r", L"server", L"dump"}));
}

TEST_F(Program, BrokenStateFileIsReportedAndKept)
{
    const std::string broken = "[interface]\r\nname=x\r\nspeed=fast\r\n";
    qvtest::WriteBytes(state_, broken);
    EXPECT_EQ(1, Run({L"-c", L"interface", L"dump"}));
    EXPECT_NE(std::wstring::npos, err_.find(L"line 3")) << err_;
    EXPECT_EQ(broken, StateBytes());
}
