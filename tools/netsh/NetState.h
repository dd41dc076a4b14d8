// The simulated network configuration of the stand-in network shell: the
// system it imitates, the global settings, the interfaces with their addresses,
// gateways, DNS and WINS servers, kept in a text file between runs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv::netsh {

enum class Source { Static, Dhcp };
enum class Register { None, Primary, Both };

struct Address {
    std::uint32_t ip = 0;
    std::uint32_t mask = 0;
    bool operator==(const Address&) const = default;
};

struct Gateway {
    std::uint32_t ip = 0;
    unsigned metric = 0; // 0: chosen automatically
    bool operator==(const Gateway&) const = default;
};

struct Interface {
    std::wstring name;
    Source addressSource = Source::Dhcp;
    std::vector<Address> addresses; // static only; the first is the primary one
    std::vector<Gateway> gateways;  // static only
    Source dnsSource = Source::Dhcp;
    std::vector<std::uint32_t> dns; // static only, in order of preference
    Register dnsRegister = Register::Primary;
    Source winsSource = Source::Dhcp;
    std::vector<std::uint32_t> wins;
    // The per-subsystem settings of the later systems ("set interface").
    bool forwarding = false;
    bool advertise = false;
    bool nud = true;
    bool operator==(const Interface&) const = default;
};

// The form "interface dump" writes: per interface (Windows 2000, XP, Server
// 2003) or per subsystem (Vista and later, starting each section with reset).
enum class DumpForm { PerInterface, PerSubsystem };

// The systems the stand-in can imitate, as the state file names them.
bool KnownSystem(const std::wstring& system);
DumpForm DumpFormOf(const std::wstring& system);

// The global settings of the later systems ("set global"): name → value, every
// known one present. Values are checked by ValidGlobal.
using Globals = std::map<std::wstring, std::wstring>;
Globals DefaultGlobals();
bool ValidGlobal(const std::wstring& name, const std::wstring& value);

struct NetState {
    std::wstring system = L"windows-7";
    Globals globals = DefaultGlobals();
    std::vector<Interface> interfaces;

    // Interface names compare without regard to letter case, as the system's do.
    Interface* Find(const std::wstring& name);
    bool operator==(const NetState&) const = default;
};

// Windows 7, whose dumps users save today, with two connections: 本地连接 with a
// static address, gateway and two DNS servers, 无线网络连接 configured by DHCP.
NetState DefaultNetState();

// What "reset" leaves: every interface configured by DHCP with the default
// settings, the global settings at their defaults.
void ResetState(NetState& state);

// The state file's text, and back. Parsing fails with a message naming the
// line for anything it does not know or that is inconsistent.
std::wstring FormatNetState(const NetState& state);
bool ParseNetState(const std::wstring& text, NetState& state, std::wstring& error);

// The configuration as a network-shell script, in the form of "interface dump"
// on the imitated system (lines end with CR LF).
std::wstring DumpScript(const NetState& state);

std::wstring FormatIp(std::uint32_t ip);
// Dotted decimal, four parts of 0..255.
bool ParseIp(const std::wstring& text, std::uint32_t& ip);
// A subnet mask: ones followed by zeros, not all zeros.
bool IsValidMask(std::uint32_t mask);

} // namespace qv::netsh
