#include "tools/netsh/NetState.h"

#include <windows.h>

#include <sstream>

namespace qv::netsh {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

const wchar_t* SourceText(Source source)
{
    return source == Source::Static ? L"static" : L"dhcp";
}

const wchar_t* RegisterText(Register reg)
{
    switch (reg) {
    case Register::None: return L"none";
    case Register::Both: return L"both";
    default: return L"primary";
    }
}

std::wstring Trim(const std::wstring& s)
{
    size_t first = s.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos)
        return std::wstring();
    size_t last = s.find_last_not_of(L" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::vector<std::wstring> Words(const std::wstring& s)
{
    std::vector<std::wstring> words;
    std::wistringstream in(s);
    std::wstring w;
    while (in >> w)
        words.push_back(w);
    return words;
}

bool ParseUnsigned(const std::wstring& text, unsigned& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    value = static_cast<unsigned>(std::stoul(text));
    return true;
}

const wchar_t* Switch(bool on)
{
    return on ? L"enabled" : L"disabled";
}

bool ParseSwitch(const std::wstring& text, bool& on)
{
    if (text != L"enabled" && text != L"disabled")
        return false;
    on = text == L"enabled";
    return true;
}

struct SystemName {
    const wchar_t* name;
    DumpForm form;
};

constexpr SystemName kSystems[] = {
    {L"windows-2000", DumpForm::PerInterface}, {L"windows-xp", DumpForm::PerInterface},
    {L"windows-2003", DumpForm::PerInterface}, {L"windows-vista", DumpForm::PerSubsystem},
    {L"windows-7", DumpForm::PerSubsystem},    {L"windows-8", DumpForm::PerSubsystem},
    {L"windows-10", DumpForm::PerSubsystem},   {L"windows-11", DumpForm::PerSubsystem},
};

// The global settings the stand-in keeps: enabled/disabled, or a number in a range.
struct GlobalSetting {
    const wchar_t* name;
    const wchar_t* byDefault;
    unsigned low = 0, high = 0; // a number when high > 0
};

constexpr GlobalSetting kGlobals[] = {
    {L"icmpredirects", L"enabled"},          {L"defaultcurhoplimit", L"128", 1, 255},
    {L"multicastforwarding", L"disabled"},   {L"groupforwardedfragments", L"disabled"},
    {L"randomizeidentifiers", L"enabled"},   {L"addressmaskreply", L"disabled"},
};

} // namespace

bool KnownSystem(const std::wstring& system)
{
    for (const SystemName& s : kSystems) {
        if (system == s.name)
            return true;
    }
    return false;
}

DumpForm DumpFormOf(const std::wstring& system)
{
    for (const SystemName& s : kSystems) {
        if (system == s.name)
            return s.form;
    }
    return DumpForm::PerSubsystem;
}

Globals DefaultGlobals()
{
    Globals globals;
    for (const GlobalSetting& g : kGlobals)
        globals[g.name] = g.byDefault;
    return globals;
}

bool ValidGlobal(const std::wstring& name, const std::wstring& value)
{
    for (const GlobalSetting& g : kGlobals) {
        if (name != g.name)
            continue;
        if (g.high == 0) {
            bool on;
            return ParseSwitch(value, on);
        }
        unsigned n;
        return value.size() <= 5 && ParseUnsigned(value, n) && n >= g.low && n <= g.high;
    }
    return false;
}

void ResetState(NetState& state)
{
    state.globals = DefaultGlobals();
    for (Interface& i : state.interfaces) {
        Interface clean;
        clean.name = i.name;
        i = clean;
    }
}

Interface* NetState::Find(const std::wstring& name)
{
    for (Interface& i : interfaces) {
        if (SameName(i.name, name))
            return &i;
    }
    return nullptr;
}

NetState DefaultNetState()
{
    NetState state;
    Interface wired;
    wired.name = L"本地连接";
    wired.addressSource = Source::Static;
    wired.addresses.push_back({0xC0A80165, 0xFFFFFF00});   // 192.168.1.101/24
    wired.gateways.push_back({0xC0A80101, 0});             // 192.168.1.1
    wired.dnsSource = Source::Static;
    wired.dns = {0xCA608685, 0xCA608044};                  // 202.96.134.133, 202.96.128.68
    wired.winsSource = Source::Static;
    state.interfaces.push_back(wired);

    Interface wireless;
    wireless.name = L"无线网络连接";
    state.interfaces.push_back(wireless);
    return state;
}

std::wstring FormatIp(std::uint32_t ip)
{
    return std::to_wstring(ip >> 24) + L'.' + std::to_wstring((ip >> 16) & 255) + L'.' +
           std::to_wstring((ip >> 8) & 255) + L'.' + std::to_wstring(ip & 255);
}

bool ParseIp(const std::wstring& text, std::uint32_t& ip)
{
    std::uint32_t value = 0;
    int parts = 0;
    size_t pos = 0;
    for (;;) {
        const size_t end = text.find(L'.', pos);
        const std::wstring part = text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        unsigned n;
        if (++parts > 4 || part.size() > 3 || !ParseUnsigned(part, n) || n > 255)
            return false;
        value = (value << 8) | n;
        if (end == std::wstring::npos)
            break;
        pos = end + 1;
    }
    if (parts != 4)
        return false;
    ip = value;
    return true;
}

bool IsValidMask(std::uint32_t mask)
{
    // Ones then zeros: the complement plus one is a power of two.
    const std::uint32_t inverted = ~mask;
    return mask != 0 && (inverted & (inverted + 1)) == 0;
}

std::wstring FormatNetState(const NetState& state)
{
    std::wstring text =
        L"# Simulated network configuration of the stand-in network shell (NetSH.exe).\n"
        L"# system: the imitated one (windows-xp and older dump per interface, windows-vista\n"
        L"# and later per subsystem). One [interface] section per connection; the file is\n"
        L"# rewritten on every change.\n"
        L"system=" + state.system + L"\n\n[global]\n";
    for (const auto& [name, value] : state.globals)
        text += name + L'=' + value + L'\n';
    for (const Interface& i : state.interfaces) {
        text += L"\n[interface]\nname=" + i.name + L'\n';
        text += std::wstring(L"address-source=") + SourceText(i.addressSource) + L'\n';
        for (const Address& a : i.addresses)
            text += L"address=" + FormatIp(a.ip) + L' ' + FormatIp(a.mask) + L'\n';
        for (const Gateway& g : i.gateways)
            text += L"gateway=" + FormatIp(g.ip) + L' ' + std::to_wstring(g.metric) + L'\n';
        text += std::wstring(L"dns-source=") + SourceText(i.dnsSource) + L'\n';
        for (std::uint32_t d : i.dns)
            text += L"dns=" + FormatIp(d) + L'\n';
        text += std::wstring(L"dns-register=") + RegisterText(i.dnsRegister) + L'\n';
        text += std::wstring(L"wins-source=") + SourceText(i.winsSource) + L'\n';
        for (std::uint32_t w : i.wins)
            text += L"wins=" + FormatIp(w) + L'\n';
        text += std::wstring(L"forwarding=") + Switch(i.forwarding) + L"\nadvertise=" + Switch(i.advertise) +
                L"\nnud=" + Switch(i.nud) + L'\n';
    }
    return text;
}

bool ParseNetState(const std::wstring& text, NetState& state, std::wstring& error)
{
    NetState result;
    Interface* current = nullptr;
    bool inGlobal = false;
    std::wistringstream in(text);
    std::wstring raw;
    int lineNo = 0;
    auto fail = [&](const std::wstring& message) {
        error = L"line " + std::to_wstring(lineNo) + L": " + message;
        return false;
    };
    auto source = [](const std::wstring& v, Source& s) {
        if (v == L"static")
            s = Source::Static;
        else if (v == L"dhcp")
            s = Source::Dhcp;
        else
            return false;
        return true;
    };
    while (std::getline(in, raw)) {
        ++lineNo;
        std::wstring line = Trim(raw);
        if (lineNo == 1 && !line.empty() && line[0] == L'\uFEFF')
            line = Trim(line.substr(1));
        if (line.empty() || line[0] == L'#')
            continue;
        if (line == L"[interface]" || line == L"[global]") {
            inGlobal = line == L"[global]";
            if (!inGlobal) {
                result.interfaces.emplace_back();
                current = &result.interfaces.back();
            }
            continue;
        }
        size_t eq = line.find(L'=');
        if (eq == std::wstring::npos)
            return fail(L"expected key=value: " + line);
        const std::wstring key = Trim(line.substr(0, eq));
        const std::wstring value = Trim(line.substr(eq + 1));
        if (inGlobal) {
            if (!ValidGlobal(key, value))
                return fail(L"unknown global setting or value: " + line);
            result.globals[key] = value;
            continue;
        }
        if (!current) {
            if (key != L"system")
                return fail(L"a value outside an [interface] section: " + line);
            if (!KnownSystem(value))
                return fail(L"unknown system " + value + L" (windows-2000, -xp, -2003, -vista, -7, -8, -10, -11)");
            result.system = value;
            continue;
        }
        const std::vector<std::wstring> words = Words(value);
        std::uint32_t ip = 0, mask = 0;
        unsigned metric = 0;
        if (key == L"name") {
            if (value.empty() || value.find(L'"') != std::wstring::npos)
                return fail(L"bad interface name");
            if (result.Find(value))
                return fail(L"interface \"" + value + L"\" appears twice");
            current->name = value;
        } else if (key == L"address-source") {
            if (!source(value, current->addressSource))
                return fail(L"source must be static or dhcp");
        } else if (key == L"address") {
            if (words.size() != 2 || !ParseIp(words[0], ip) || !ParseIp(words[1], mask) || !IsValidMask(mask))
                return fail(L"expected an address and a subnet mask: " + value);
            current->addresses.push_back({ip, mask});
        } else if (key == L"gateway") {
            if (words.size() != 2 || !ParseIp(words[0], ip) || !ParseUnsigned(words[1], metric))
                return fail(L"expected a gateway address and a metric: " + value);
            current->gateways.push_back({ip, metric});
        } else if (key == L"dns-source") {
            if (!source(value, current->dnsSource))
                return fail(L"source must be static or dhcp");
        } else if (key == L"dns" || key == L"wins") {
            if (!ParseIp(value, ip))
                return fail(L"bad address: " + value);
            (key == L"dns" ? current->dns : current->wins).push_back(ip);
        } else if (key == L"dns-register") {
            if (value == L"none")
                current->dnsRegister = Register::None;
            else if (value == L"primary")
                current->dnsRegister = Register::Primary;
            else if (value == L"both")
                current->dnsRegister = Register::Both;
            else
                return fail(L"register must be none, primary or both");
        } else if (key == L"wins-source") {
            if (!source(value, current->winsSource))
                return fail(L"source must be static or dhcp");
        } else if (key == L"forwarding" || key == L"advertise" || key == L"nud") {
            bool& flag = key == L"forwarding" ? current->forwarding : key == L"advertise" ? current->advertise
                                                                                           : current->nud;
            if (!ParseSwitch(value, flag))
                return fail(key + L" must be enabled or disabled");
        } else {
            return fail(L"unknown key: " + key);
        }
    }
    // Whatever a dump of the state must be able to restore.
    for (const Interface& i : result.interfaces) {
        const std::wstring which = L"interface \"" + i.name + L"\": ";
        if (i.name.empty())
            return error = L"an [interface] section without a name", false;
        if (i.addressSource == Source::Static && i.addresses.empty())
            return error = which + L"a static configuration needs an address", false;
        if (i.addressSource == Source::Dhcp && (!i.addresses.empty() || !i.gateways.empty()))
            return error = which + L"addresses and gateways belong to a static configuration", false;
        if (i.dnsSource == Source::Dhcp && !i.dns.empty())
            return error = which + L"DNS servers belong to a static configuration", false;
        if (i.winsSource == Source::Dhcp && !i.wins.empty())
            return error = which + L"WINS servers belong to a static configuration", false;
    }
    state = std::move(result);
    return true;
}

namespace {

std::wstring PerInterfaceDump(const NetState& state)
{
    std::wstring s =
        L"\r\n#========================\r\n# Interface configuration\r\n#========================\r\n"
        L"pushd interface ip\r\n\r\n";
    for (const Interface& i : state.interfaces) {
        const std::wstring name = L"name=\"" + i.name + L"\"";
        s += L"\r\n# Interface IP Configuration for \"" + i.name + L"\"\r\n\r\n";
        if (i.addressSource == Source::Dhcp) {
            s += L"set address " + name + L" source=dhcp\r\n";
        } else {
            for (size_t n = 0; n < i.addresses.size(); ++n) {
                s += (n == 0 ? L"set address " + name + L" source=static" : L"add address " + name) + L" addr=" +
                     FormatIp(i.addresses[n].ip) + L" mask=" + FormatIp(i.addresses[n].mask) + L"\r\n";
            }
            for (size_t n = 0; n < i.gateways.size(); ++n) {
                s += (n == 0 ? L"set address " : L"add address ") + name + L" gateway=" + FormatIp(i.gateways[n].ip) +
                     L" gwmetric=" + std::to_wstring(i.gateways[n].metric) + L"\r\n";
            }
        }
        std::wstring reg = RegisterText(i.dnsRegister);
        for (wchar_t& c : reg)
            c = static_cast<wchar_t>(towupper(c));
        if (i.dnsSource == Source::Dhcp) {
            s += L"set dns " + name + L" source=dhcp register=" + reg + L"\r\n";
        } else {
            s += L"set dns " + name + L" source=static addr=" + (i.dns.empty() ? L"none" : FormatIp(i.dns[0])) +
                 L" register=" + reg + L"\r\n";
            for (size_t n = 1; n < i.dns.size(); ++n)
                s += L"add dns " + name + L" addr=" + FormatIp(i.dns[n]) + L" index=" + std::to_wstring(n + 1) + L"\r\n";
        }
        if (i.winsSource == Source::Dhcp) {
            s += L"set wins " + name + L" source=dhcp\r\n";
        } else {
            s += L"set wins " + name + L" source=static addr=" + (i.wins.empty() ? L"none" : FormatIp(i.wins[0])) +
                 L"\r\n";
            for (size_t n = 1; n < i.wins.size(); ++n)
                s += L"add wins " + name + L" addr=" + FormatIp(i.wins[n]) + L" index=" + std::to_wstring(n + 1) +
                     L"\r\n";
        }
    }
    s += L"\r\n\r\npopd\r\n# End of interface IP configuration\r\n";
    return s;
}

// The section starts with reset, so it names only what differs from what reset
// leaves: an interface configured by DHCP appears in its set interface line alone.
std::wstring PerSubsystemDump(const NetState& state)
{
    std::wstring s = L"\r\n# ----------------------------------\r\n# IPv4 Configuration\r\n"
                     L"# ----------------------------------\r\npushd interface ipv4\r\n\r\nreset\r\n";
    const Globals defaults = DefaultGlobals();
    s += L"set global icmpredirects=" + state.globals.at(L"icmpredirects");
    for (const auto& [name, value] : state.globals) {
        if (name != L"icmpredirects" && value != defaults.at(name))
            s += L" " + name + L"=" + value;
    }
    s += L"\r\n";
    for (const Interface& i : state.interfaces) {
        s += L"set interface interface=\"" + i.name + L"\" forwarding=" + Switch(i.forwarding) +
             L" advertise=" + Switch(i.advertise) + L" nud=" + Switch(i.nud) + L"\r\n";
    }
    for (const Interface& i : state.interfaces) {
        const std::wstring name = L"\"" + i.name + L"\"";
        for (const Address& a : i.addresses)
            s += L"add address name=" + name + L" address=" + FormatIp(a.ip) + L" mask=" + FormatIp(a.mask) + L"\r\n";
        for (const Gateway& g : i.gateways) {
            s += L"add route prefix=0.0.0.0/0 interface=" + name + L" nexthop=" + FormatIp(g.ip) +
                 (g.metric ? L" metric=" + std::to_wstring(g.metric) : std::wstring()) + L" publish=Yes\r\n";
        }
        const std::wstring reg = RegisterText(i.dnsRegister);
        if (i.dnsSource == Source::Static) {
            s += L"set dnsservers name=" + name + L" source=static address=" +
                 (i.dns.empty() ? L"none" : FormatIp(i.dns[0])) + L" register=" + reg + L"\r\n";
            for (size_t n = 1; n < i.dns.size(); ++n) {
                s += L"add dnsservers name=" + name + L" address=" + FormatIp(i.dns[n]) + L" index=" +
                     std::to_wstring(n + 1) + L"\r\n";
            }
        } else if (i.dnsRegister != Register::Primary) {
            s += L"set dnsservers name=" + name + L" source=dhcp register=" + reg + L"\r\n";
        }
        if (i.winsSource == Source::Static) {
            s += L"set winsservers name=" + name + L" source=static address=" +
                 (i.wins.empty() ? L"none" : FormatIp(i.wins[0])) + L"\r\n";
            for (size_t n = 1; n < i.wins.size(); ++n) {
                s += L"add winsservers name=" + name + L" address=" + FormatIp(i.wins[n]) + L" index=" +
                     std::to_wstring(n + 1) + L"\r\n";
            }
        }
    }
    s += L"\r\npopd\r\n# End of IPv4 configuration\r\n";
    return s;
}

} // namespace

std::wstring DumpScript(const NetState& state)
{
    return DumpFormOf(state.system) == DumpForm::PerInterface ? PerInterfaceDump(state) : PerSubsystemDump(state);
}

} // namespace qv::netsh
