#include "tools/netsh/NetShell.h"

#include "framework/Handles.h"

#include <windows.h>

#include <map>
#include <optional>

namespace qv::netsh {

namespace {

using Context = std::vector<std::wstring>;

std::wstring Lower(std::wstring s)
{
    for (wchar_t& c : s) {
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return s;
}

// Commands, contexts and parameter tags may be abbreviated, as long as the
// abbreviation is unique (int ip set addr ...); an exact match always wins.
std::optional<std::wstring> Match(const std::wstring& word, const std::vector<std::wstring>& choices)
{
    const std::wstring w = Lower(word);
    if (w.empty())
        return std::nullopt;
    std::optional<std::wstring> found;
    for (const std::wstring& c : choices) {
        if (c == w)
            return c;
        if (c.compare(0, w.size(), w) == 0) {
            if (found)
                return std::nullopt;
            found = c;
        }
    }
    return found;
}

std::vector<std::wstring> ChildContexts(const Context& context)
{
    if (context.empty())
        return {L"interface"};
    if (context.size() == 1)
        return {L"ip", L"ipv4"};
    return {};
}

// Consumes the context names at the start of words; returns how many.
size_t EnterContexts(const std::vector<Token>& words, size_t first, Context& context)
{
    size_t n = first;
    while (n < words.size() && words[n].eq == std::wstring::npos) {
        std::optional<std::wstring> child = Match(words[n].text, ChildContexts(context));
        if (!child)
            break;
        context.push_back(*child);
        ++n;
    }
    return n - first;
}

std::wstring ContextText(const Context& context)
{
    std::wstring text;
    for (const std::wstring& c : context)
        text += (text.empty() ? L"" : L" ") + c;
    return text;
}

std::wstring Quote(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

// The parameters of one command: tagged (tag=value, tag abbreviated) or by
// position, in the order of the command's tags.
class Params {
public:
    bool Parse(const std::vector<Token>& words, size_t first, const std::vector<std::wstring>& tags,
               std::wstring& error)
    {
        for (size_t n = first; n < words.size(); ++n) {
            const Token& w = words[n];
            std::wstring tag, value;
            if (w.eq != std::wstring::npos) {
                std::optional<std::wstring> t = Match(w.text.substr(0, w.eq), tags);
                if (!t) {
                    error = L"unknown parameter " + Quote(w.text.substr(0, w.eq));
                    return false;
                }
                tag = *t;
                value = w.text.substr(w.eq + 1);
            } else {
                for (const std::wstring& t : tags) {
                    if (!values_.count(t)) {
                        tag = t;
                        break;
                    }
                }
                if (tag.empty()) {
                    error = L"too many parameters at " + Quote(w.text);
                    return false;
                }
                value = w.text;
            }
            if (values_.count(tag)) {
                error = L"parameter " + tag + L" given twice";
                return false;
            }
            values_[tag] = value;
        }
        return true;
    }

    bool Has(const std::wstring& tag) const { return values_.count(tag) != 0; }
    std::wstring Get(const std::wstring& tag) const
    {
        auto it = values_.find(tag);
        return it == values_.end() ? std::wstring() : it->second;
    }

private:
    std::map<std::wstring, std::wstring> values_;
};

// Parameter values.

bool Keyword(const Params& p, const std::wstring& tag, const std::vector<std::wstring>& allowed,
             std::wstring& value, std::wstring& error)
{
    value = Lower(p.Get(tag));
    for (const std::wstring& a : allowed) {
        if (value == a)
            return true;
    }
    error = L"invalid value for " + tag + L": " + Quote(p.Get(tag));
    return false;
}

bool HostAddress(const std::wstring& text, std::uint32_t& ip)
{
    if (!ParseIp(text, ip))
        return false;
    const unsigned first = ip >> 24;
    return first != 0 && first != 127 && first < 224;
}

bool ServerAddress(const std::wstring& text, std::uint32_t& ip)
{
    return ParseIp(text, ip) && ip != 0 && (ip >> 24) < 224;
}

bool Number(const std::wstring& text, unsigned limit, unsigned& value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    value = static_cast<unsigned>(std::stoul(text));
    return value <= limit;
}

// address= with mask= or, in the later form, address=a.b.c.d/n.
bool AddressAndMask(const Params& p, Address& address, std::wstring& error)
{
    std::wstring text = p.Get(L"address");
    std::optional<std::uint32_t> mask;
    if (size_t slash = text.find(L'/'); slash != std::wstring::npos) {
        unsigned bits;
        if (!Number(text.substr(slash + 1), 32, bits) || bits == 0) {
            error = L"invalid prefix length: " + Quote(text);
            return false;
        }
        mask = bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
        text = text.substr(0, slash);
        if (p.Has(L"mask")) {
            error = L"the subnet mask is given twice";
            return false;
        }
    }
    if (!HostAddress(text, address.ip)) {
        error = L"invalid IP address: " + Quote(text);
        return false;
    }
    if (!mask) {
        if (!p.Has(L"mask")) {
            error = L"a subnet mask is needed for " + FormatIp(address.ip);
            return false;
        }
        std::uint32_t m;
        if (!ParseIp(p.Get(L"mask"), m) || !IsValidMask(m)) {
            error = L"invalid subnet mask: " + Quote(p.Get(L"mask"));
            return false;
        }
        mask = m;
    }
    address.mask = *mask;
    const std::uint32_t host = address.ip & ~address.mask;
    if (address.mask < 0xFFFFFFFEu && (host == 0 || host == ~address.mask)) {
        error = FormatIp(address.ip) + L" is the network's own or its broadcast address";
        return false;
    }
    return true;
}

// gateway= (an address or none) and gwmetric=.
bool GatewayParam(const Params& p, std::optional<Gateway>& gateway, std::wstring& error)
{
    gateway.reset();
    unsigned metric = 0;
    if (p.Has(L"gwmetric") && !Number(p.Get(L"gwmetric"), 9999, metric)) {
        error = L"invalid gateway metric: " + Quote(p.Get(L"gwmetric"));
        return false;
    }
    if (Lower(p.Get(L"gateway")) == L"none")
        return true;
    Gateway g;
    if (!HostAddress(p.Get(L"gateway"), g.ip)) {
        error = L"invalid gateway address: " + Quote(p.Get(L"gateway"));
        return false;
    }
    g.metric = metric;
    gateway = g;
    return true;
}

// The interface a command names with name= (or interface=, in the commands of
// the later systems).
Interface* FindInterface(NetState& state, const Params& p, std::wstring& error, const wchar_t* tag = L"name")
{
    if (!p.Has(tag)) {
        error = L"the interface name is missing";
        return nullptr;
    }
    Interface* i = state.Find(p.Get(tag));
    if (!i)
        error = L"unknown interface " + Quote(p.Get(tag));
    return i;
}

const wchar_t kMissing[] = L"one or more essential parameters were not entered";

// set address / add address.
bool SetAddress(NetState& state, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    if (!p.Parse(words, first, {L"name", L"source", L"address", L"mask", L"gateway", L"gwmetric"}, error))
        return false;
    Interface* i = FindInterface(state, p, error);
    if (!i)
        return false;
    std::wstring source;
    if (p.Has(L"source") && !Keyword(p, L"source", {L"static", L"dhcp"}, source, error))
        return false;
    if (p.Has(L"gwmetric") && !p.Has(L"gateway")) {
        error = L"gwmetric needs a gateway";
        return false;
    }
    std::optional<Gateway> gateway;
    if (p.Has(L"gateway") && !GatewayParam(p, gateway, error))
        return false;

    if (source == L"dhcp") {
        if (p.Has(L"address") || p.Has(L"mask") || p.Has(L"gateway")) {
            error = L"source=dhcp takes no address, mask or gateway";
            return false;
        }
        i->addressSource = Source::Dhcp;
        i->addresses.clear();
        i->gateways.clear();
        return true;
    }
    if (source == L"static" || p.Has(L"address") || p.Has(L"mask")) {
        if (!p.Has(L"address")) {
            error = L"an address is needed for source=static";
            return false;
        }
        Address a;
        if (!AddressAndMask(p, a, error))
            return false;
        // A static address replaces the whole configuration; the gateway
        // goes with it unless one is given.
        i->addressSource = Source::Static;
        i->addresses.assign(1, a);
        i->gateways.clear();
        if (gateway)
            i->gateways.push_back(*gateway);
        return true;
    }
    if (p.Has(L"gateway")) {
        if (i->addressSource != Source::Static) {
            error = L"DHCP is enabled on " + Quote(i->name) + L"; a gateway needs a static address";
            return false;
        }
        i->gateways.clear();
        if (gateway)
            i->gateways.push_back(*gateway);
        return true;
    }
    error = kMissing;
    return false;
}

bool AddAddress(NetState& state, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    if (!p.Parse(words, first, {L"name", L"address", L"mask", L"gateway", L"gwmetric"}, error))
        return false;
    Interface* i = FindInterface(state, p, error);
    if (!i)
        return false;
    if (!p.Has(L"address") && !p.Has(L"gateway")) {
        error = kMissing;
        return false;
    }
    if (i->addressSource != Source::Static && !p.Has(L"address")) {
        error = L"DHCP is enabled on " + Quote(i->name) + L"; a gateway needs a static address";
        return false;
    }
    if (p.Has(L"address")) {
        Address a;
        if (!AddressAndMask(p, a, error))
            return false;
        if (i->addressSource != Source::Static) {
            // As on the later systems: a static address ends DHCP on the interface
            // (their dumps reset everything to DHCP, then add the addresses).
            i->addressSource = Source::Static;
            i->addresses.clear();
            i->gateways.clear();
        }
        for (const Address& existing : i->addresses) {
            if (existing.ip == a.ip) {
                error = FormatIp(a.ip) + L" is already configured on " + Quote(i->name);
                return false;
            }
        }
        i->addresses.push_back(a);
    } else if (p.Has(L"mask")) {
        error = L"a subnet mask needs an address";
        return false;
    }
    if (p.Has(L"gwmetric") && !p.Has(L"gateway")) {
        error = L"gwmetric needs a gateway";
        return false;
    }
    if (p.Has(L"gateway")) {
        std::optional<Gateway> g;
        if (!GatewayParam(p, g, error))
            return false;
        if (!g) {
            error = L"gateway=none cannot be added";
            return false;
        }
        for (const Gateway& existing : i->gateways) {
            if (existing.ip == g->ip) {
                error = L"the gateway " + FormatIp(g->ip) + L" is already configured on " + Quote(i->name);
                return false;
            }
        }
        i->gateways.push_back(*g);
    }
    return true;
}

// set dns / set wins (and the later dnsservers, winsservers).
bool SetServers(NetState& state, bool dns, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    std::vector<std::wstring> tags = {L"name", L"source", L"address"};
    if (dns)
        tags.insert(tags.end(), {L"register", L"validate"});
    if (!p.Parse(words, first, tags, error))
        return false;
    Interface* i = FindInterface(state, p, error);
    if (!i)
        return false;
    std::wstring source, reg, validate;
    if (p.Has(L"source") && !Keyword(p, L"source", {L"static", L"dhcp"}, source, error))
        return false;
    if (p.Has(L"register") && !Keyword(p, L"register", {L"none", L"primary", L"both"}, reg, error))
        return false;
    if (p.Has(L"validate") && !Keyword(p, L"validate", {L"yes", L"no"}, validate, error))
        return false;
    std::optional<std::uint32_t> server;
    if (p.Has(L"address") && Lower(p.Get(L"address")) != L"none") {
        std::uint32_t ip;
        if (!ServerAddress(p.Get(L"address"), ip)) {
            error = L"invalid server address: " + Quote(p.Get(L"address"));
            return false;
        }
        server = ip;
    }
    Source& target = dns ? i->dnsSource : i->winsSource;
    std::vector<std::uint32_t>& list = dns ? i->dns : i->wins;
    if (source == L"dhcp") {
        if (p.Has(L"address")) {
            error = L"source=dhcp takes no address";
            return false;
        }
        target = Source::Dhcp;
        list.clear();
    } else if (source == L"static" || p.Has(L"address")) {
        if (!p.Has(L"address")) {
            error = L"an address (or none) is needed for source=static";
            return false;
        }
        target = Source::Static;
        list.clear();
        if (server)
            list.push_back(*server);
    } else if (!p.Has(L"register")) {
        error = kMissing;
        return false;
    }
    if (!reg.empty())
        i->dnsRegister = reg == L"none" ? Register::None : reg == L"both" ? Register::Both : Register::Primary;
    return true;
}

bool AddServer(NetState& state, bool dns, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    std::vector<std::wstring> tags = {L"name", L"address", L"index"};
    if (dns)
        tags.push_back(L"validate");
    if (!p.Parse(words, first, tags, error))
        return false;
    Interface* i = FindInterface(state, p, error);
    if (!i)
        return false;
    if (!p.Has(L"address")) {
        error = kMissing;
        return false;
    }
    std::uint32_t ip;
    if (!ServerAddress(p.Get(L"address"), ip)) {
        error = L"invalid server address: " + Quote(p.Get(L"address"));
        return false;
    }
    unsigned index = 0;
    if (p.Has(L"index") && (!Number(p.Get(L"index"), 999, index) || index == 0)) {
        error = L"invalid index: " + Quote(p.Get(L"index"));
        return false;
    }
    std::vector<std::uint32_t>& list = dns ? i->dns : i->wins;
    for (std::uint32_t existing : list) {
        if (existing == ip) {
            error = FormatIp(ip) + L" is already in the list of " + Quote(i->name);
            return false;
        }
    }
    // Adding a server makes the list a static one.
    (dns ? i->dnsSource : i->winsSource) = Source::Static;
    const size_t at = index == 0 || index > list.size() ? list.size() : index - 1;
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), ip);
    return true;
}

// set interface interface=... forwarding= advertise= nud= (the later systems).
bool SetInterface(NetState& state, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    if (!p.Parse(words, first, {L"interface", L"forwarding", L"advertise", L"nud"}, error))
        return false;
    Interface* i = FindInterface(state, p, error, L"interface");
    if (!i)
        return false;
    if (!p.Has(L"forwarding") && !p.Has(L"advertise") && !p.Has(L"nud")) {
        error = kMissing;
        return false;
    }
    Interface changed = *i;
    for (auto [tag, flag] : {std::pair{L"forwarding", &changed.forwarding}, std::pair{L"advertise", &changed.advertise},
                             std::pair{L"nud", &changed.nud}}) {
        std::wstring value;
        if (!p.Has(tag))
            continue;
        if (!Keyword(p, tag, {L"enabled", L"disabled"}, value, error))
            return false;
        *flag = value == L"enabled";
    }
    *i = changed;
    return true;
}

// set global name=value ... (the later systems).
bool SetGlobal(NetState& state, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    std::vector<std::wstring> names;
    for (const auto& [name, value] : DefaultGlobals())
        names.push_back(name);
    Params p;
    if (!p.Parse(words, first, names, error))
        return false;
    Globals changed = state.globals;
    bool any = false;
    for (const std::wstring& name : names) {
        if (!p.Has(name))
            continue;
        const std::wstring value = Lower(p.Get(name));
        if (!ValidGlobal(name, value)) {
            error = L"invalid value for " + name + L": " + Quote(p.Get(name));
            return false;
        }
        changed[name] = value;
        any = true;
    }
    if (!any) {
        error = kMissing;
        return false;
    }
    state.globals = changed;
    return true;
}

// add route: the stand-in keeps default routes only, as the interface's gateways.
bool AddRoute(NetState& state, const std::vector<Token>& words, size_t first, std::wstring& error)
{
    Params p;
    if (!p.Parse(words, first,
                 {L"prefix", L"interface", L"nexthop", L"siteprefixlength", L"metric", L"publish", L"validlifetime",
                  L"preferredlifetime", L"store"},
                 error))
        return false;
    if (!p.Has(L"prefix") || !p.Has(L"interface") || !p.Has(L"nexthop")) {
        error = kMissing;
        return false;
    }
    Interface* i = FindInterface(state, p, error, L"interface");
    if (!i)
        return false;
    const std::wstring prefix = p.Get(L"prefix");
    const size_t slash = prefix.find(L'/');
    std::uint32_t network;
    unsigned bits;
    if (slash == std::wstring::npos || !ParseIp(prefix.substr(0, slash), network) ||
        !Number(prefix.substr(slash + 1), 32, bits)) {
        error = L"invalid prefix: " + Quote(prefix);
        return false;
    }
    if (network != 0 || bits != 0) {
        error = L"only default routes (prefix=0.0.0.0/0) are simulated: " + Quote(prefix);
        return false;
    }
    Gateway g;
    if (!HostAddress(p.Get(L"nexthop"), g.ip)) {
        error = L"invalid next hop: " + Quote(p.Get(L"nexthop"));
        return false;
    }
    unsigned number;
    std::wstring keyword;
    if (p.Has(L"metric") && !Number(p.Get(L"metric"), 9999, g.metric)) {
        error = L"invalid metric: " + Quote(p.Get(L"metric"));
        return false;
    }
    if (p.Has(L"siteprefixlength") && !Number(p.Get(L"siteprefixlength"), 32, number)) {
        error = L"invalid site prefix length: " + Quote(p.Get(L"siteprefixlength"));
        return false;
    }
    if ((p.Has(L"publish") && !Keyword(p, L"publish", {L"no", L"age", L"yes"}, keyword, error)) ||
        (p.Has(L"store") && !Keyword(p, L"store", {L"active", L"persistent"}, keyword, error)))
        return false;
    for (const wchar_t* lifetime : {L"validlifetime", L"preferredlifetime"}) {
        if (p.Has(lifetime) && Lower(p.Get(lifetime)) != L"infinite" && !Number(p.Get(lifetime), 999999999, number)) {
            error = std::wstring(L"invalid ") + lifetime + L": " + Quote(p.Get(lifetime));
            return false;
        }
    }
    if (i->addressSource != Source::Static) {
        error = L"DHCP is enabled on " + Quote(i->name) + L"; a default route needs a static address";
        return false;
    }
    for (const Gateway& existing : i->gateways) {
        if (existing.ip == g.ip) {
            error = L"the gateway " + FormatIp(g.ip) + L" is already configured on " + Quote(i->name);
            return false;
        }
    }
    i->gateways.push_back(g);
    return true;
}

std::wstring SystemMessage(DWORD error)
{
    wchar_t* buffer = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : L"error " + std::to_wstring(error);
    if (buffer)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

bool ReadBytes(const std::wstring& path, std::string& bytes, DWORD& error)
{
    const THandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0)
        bytes.append(buffer, read);
    error = ok ? ERROR_SUCCESS : GetLastError();
    return ok;
}

std::wstring Decode(UINT cp, const char* data, int size)
{
    if (size <= 0)
        return std::wstring();
    int n = MultiByteToWideChar(cp, 0, data, size, nullptr, 0);
    std::wstring text(n > 0 ? n : 0, L'\0');
    if (n > 0)
        MultiByteToWideChar(cp, 0, data, size, text.data(), n);
    return text;
}

std::string Encode(UINT cp, const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

const wchar_t kUsage[] =
    L"Usage: NetSH [-c context] [-f scriptfile | command]\r\n"
    L"Stand-in network shell working on a simulated configuration.\r\n"
    L"  NetSH -c interface dump     prints the configuration as a script, in the form of the\r\n"
    L"                              system the state file names (system=windows-xp, -7...)\r\n"
    L"  NetSH -f file               runs a script (checked as a whole first)\r\n"
    L"State file: %QUORVANE_NETSTATE%, else netstate.txt beside NetSH.exe.\r\n";

} // namespace

bool Tokenize(const std::wstring& line, std::vector<Token>& tokens, std::wstring& error)
{
    tokens.clear();
    size_t pos = 0;
    for (;;) {
        while (pos < line.size() && (line[pos] == L' ' || line[pos] == L'\t'))
            ++pos;
        if (pos >= line.size())
            return true;
        Token token;
        bool quoted = false;
        for (; pos < line.size() && (quoted || (line[pos] != L' ' && line[pos] != L'\t')); ++pos) {
            if (line[pos] == L'"')
                quoted = !quoted;
            else if (line[pos] == L'=' && !quoted && token.eq == std::wstring::npos)
                token.eq = token.text.size(), token.text += L'=';
            else
                token.text += line[pos];
        }
        if (quoted) {
            error = L"a quotation mark is not closed";
            return false;
        }
        tokens.push_back(std::move(token));
    }
}

std::vector<Token> ArgumentTokens(const std::vector<std::wstring>& args)
{
    std::vector<Token> tokens;
    for (const std::wstring& a : args)
        tokens.push_back({a, a.find(L'=')});
    return tokens;
}

bool Shell::SetContext(const std::wstring& context, std::wstring& error)
{
    std::vector<Token> words;
    if (!Tokenize(context, words, error))
        return false;
    Context c;
    if (EnterContexts(words, 0, c) != words.size()) {
        error = L"unknown context " + Quote(context);
        return false;
    }
    context_ = c;
    return true;
}

bool Shell::Execute(const std::vector<Token>& tokens, std::wstring& error)
{
    if (tokens.empty())
        return true;
    const std::wstring first = Lower(tokens[0].text);
    if (first == L"pushd" || first == L"popd") {
        if (first == L"popd") {
            if (tokens.size() > 1) {
                error = L"popd takes no parameters";
                return false;
            }
            if (stack_.empty()) {
                error = L"popd without pushd";
                return false;
            }
            context_ = stack_.back();
            stack_.pop_back();
            return true;
        }
        Context c = context_;
        size_t n = EnterContexts(tokens, 1, c);
        if (n == 0 && tokens.size() > 1) {
            c.clear();
            n = EnterContexts(tokens, 1, c);
        }
        if (n != tokens.size() - 1) {
            error = L"pushd: unknown context";
            return false;
        }
        stack_.push_back(context_);
        context_ = c;
        return true;
    }

    // Context names lead to a command from the current context, or else from
    // the top (interface ip set address ... works everywhere).
    Context c = context_;
    size_t n = EnterContexts(tokens, 0, c);
    if (n == 0 && !context_.empty()) {
        Context top;
        if (size_t m = EnterContexts(tokens, 0, top); m > 0)
            c = top, n = m;
    }
    if (n == tokens.size()) {
        context_ = c;
        return true;
    }
    return Command(c, std::vector<Token>(tokens.begin() + static_cast<std::ptrdiff_t>(n), tokens.end()), error);
}

bool Shell::Command(const std::vector<std::wstring>& context, const std::vector<Token>& words, std::wstring& error)
{
    auto notFound = [&] {
        std::wstring text;
        for (const Token& w : words)
            text += (text.empty() ? L"" : L" ") + w.text;
        error = L"the following command was not found: " + text;
        if (!context.empty())
            error += L" (context " + ContextText(context) + L")";
        return false;
    };
    std::optional<std::wstring> verb =
        words[0].eq == std::wstring::npos ? Match(words[0].text, {L"add", L"dump", L"reset", L"set"}) : std::nullopt;
    if (!verb)
        return notFound();
    if (*verb == L"reset") {
        // As the later systems' shell does at the start of each section of a dump.
        if (context.size() != 2)
            return notFound();
        if (words.size() > 1) {
            error = L"reset takes no parameters";
            return false;
        }
        ResetState(state_);
        return true;
    }
    if (*verb == L"dump") {
        if (words.size() > 1) {
            error = L"dump takes no parameters";
            return false;
        }
        output_ += DumpScript(state_);
        return true;
    }
    if (context.size() != 2 || words.size() < 2 || words[1].eq != std::wstring::npos)
        return notFound();
    const bool add = *verb == L"add";
    std::optional<std::wstring> object =
        add ? Match(words[1].text, {L"address", L"dns", L"dnsservers", L"route", L"wins", L"winsservers"})
            : Match(words[1].text, {L"address", L"dns", L"dnsservers", L"global", L"interface", L"wins", L"winsservers"});
    if (!object)
        return notFound();
    if (*object == L"route")
        return AddRoute(state_, words, 2, error);
    if (*object == L"global")
        return SetGlobal(state_, words, 2, error);
    if (*object == L"interface")
        return SetInterface(state_, words, 2, error);
    if (*object == L"address")
        return add ? AddAddress(state_, words, 2, error) : SetAddress(state_, words, 2, error);
    const bool dns = object->compare(0, 3, L"dns") == 0;
    return add ? AddServer(state_, dns, words, 2, error) : SetServers(state_, dns, words, 2, error);
}

bool RunScript(const std::wstring& script, const std::wstring& scriptName, const std::wstring& context,
               NetState& state, std::wstring& output, std::wstring& error)
{
    NetState work = state;
    Shell shell(work);
    if (!context.empty() && !shell.SetContext(context, error))
        return false;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < script.size()) {
        size_t end = script.find(L'\n', pos);
        std::wstring line = script.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        pos = end == std::wstring::npos ? script.size() : end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (lineNo == 1 && !line.empty() && line[0] == L'\uFEFF')
            line.erase(0, 1);
        std::vector<Token> tokens;
        std::wstring message;
        bool ok = Tokenize(line, tokens, message);
        if (ok && !tokens.empty() && !tokens[0].text.empty() && tokens[0].text[0] == L'#')
            continue;
        if (!ok || !shell.Execute(tokens, message)) {
            size_t text = line.find_first_not_of(L" \t");
            error = scriptName + L", line " + std::to_wstring(lineNo) + L": " + message + L"\r\n    " +
                    (text == std::wstring::npos ? std::wstring() : line.substr(text));
            return false;
        }
    }
    output = shell.Output();
    state = std::move(work);
    return true;
}

unsigned ConsoleTextCodePage()
{
    UINT cp = GetConsoleOutputCP();
    return cp ? cp : GetOEMCP();
}

std::string EncodeConsoleText(const std::wstring& text)
{
    return Encode(ConsoleTextCodePage(), text);
}

std::wstring DecodeScriptText(const std::string& bytes)
{
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return Decode(CP_UTF8, bytes.data() + 3, static_cast<int>(bytes.size() - 3));
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return Decode(ConsoleTextCodePage(), bytes.data(), static_cast<int>(bytes.size()));
}

bool LoadState(const std::wstring& path, NetState& state, std::wstring& error)
{
    std::string bytes;
    DWORD code = ERROR_SUCCESS;
    if (!ReadBytes(path, bytes, code)) {
        if (code != ERROR_FILE_NOT_FOUND) {
            error = path + L": " + SystemMessage(code);
            return false;
        }
        state = DefaultNetState();
        return SaveState(path, state, error);
    }
    // The state file is UTF-8, with or without a byte order mark.
    int size = static_cast<int>(bytes.size());
    int n = size ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0) : 0;
    if (size && n <= 0) {
        error = path + L": not UTF-8 text";
        return false;
    }
    std::wstring message;
    if (!ParseNetState(Decode(CP_UTF8, bytes.data(), size), state, message)) {
        error = path + L", " + message;
        return false;
    }
    return true;
}

bool SaveState(const std::wstring& path, const NetState& state, std::wstring& error)
{
    std::wstring text = FormatNetState(state);
    std::wstring crlf;
    for (wchar_t c : text) {
        if (c == L'\n')
            crlf += L'\r';
        crlf += c;
    }
    const std::string bytes = Encode(CP_UTF8, crlf);
    // Written beside the state file and renamed over it: a reader sees the
    // old state or the new one, never a part.
    const std::wstring temp = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".new";
    THandle file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD code = ERROR_SUCCESS;
    if (!file) {
        error = temp + L": " + SystemMessage(GetLastError());
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        code = GetLastError();
    else if (written != bytes.size())
        code = ERROR_HANDLE_DISK_FULL;
    else if (!FlushFileBuffers(file.Get()))
        code = GetLastError();
    if (!file.Close() && code == ERROR_SUCCESS)
        code = GetLastError();
    if (code == ERROR_SUCCESS &&
        !MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        code = GetLastError();
    if (code != ERROR_SUCCESS) {
        DeleteFileW(temp.c_str());
        error = path + L": " + SystemMessage(code);
        return false;
    }
    return true;
}

int RunNetShell(const std::vector<std::wstring>& args, const std::wstring& statePath, std::wstring& out,
                std::wstring& err)
{
    std::wstring context, scriptFile;
    bool haveScript = false;
    std::vector<std::wstring> command;
    for (size_t n = 0; n < args.size(); ++n) {
        const std::wstring a = Lower(args[n]);
        const bool option = command.empty() && a.size() >= 2 && (a[0] == L'-' || a[0] == L'/');
        if (option && (a == L"-c" || a == L"/c" || a == L"-f" || a == L"/f")) {
            if (n + 1 >= args.size()) {
                err = L"NetSH: " + args[n] + L" needs a value\r\n" + kUsage;
                return 1;
            }
            if (a[1] == L'c') {
                context = args[++n];
            } else {
                scriptFile = args[++n];
                haveScript = true;
            }
        } else if (option && (a == L"-?" || a == L"/?" || a == L"-h" || a == L"/h")) {
            out = kUsage;
            return 0;
        } else if (option && a.size() == 2) {
            err = L"NetSH: the option " + args[n] + L" is not supported\r\n" + kUsage;
            return 1;
        } else {
            command.push_back(args[n]);
        }
    }
    if (haveScript == !command.empty()) {
        err = std::wstring(L"NetSH: ") + (haveScript ? L"give a script or a command, not both" :
                                                       L"there is no interactive mode; give a script or a command") +
              L"\r\n" + kUsage;
        return 1;
    }

    NetState state;
    std::wstring error;
    if (!LoadState(statePath, state, error)) {
        err = L"NetSH: " + error + L"\r\n";
        return 1;
    }
    NetState work = state;
    if (haveScript) {
        std::string bytes;
        DWORD code = ERROR_SUCCESS;
        if (!ReadBytes(scriptFile, bytes, code)) {
            err = L"NetSH: " + scriptFile + L": " + SystemMessage(code) + L"\r\n";
            return 1;
        }
        if (!RunScript(DecodeScriptText(bytes), scriptFile, context, work, out, error)) {
            err = L"NetSH: " + error + L"\r\n";
            return 1;
        }
    } else {
        Shell shell(work);
        if ((!context.empty() && !shell.SetContext(context, error)) || !shell.Execute(ArgumentTokens(command), error)) {
            err = L"NetSH: " + error + L"\r\n";
            return 1;
        }
        out = shell.Output();
    }
    if (!(work == state) && !SaveState(statePath, work, error)) {
        err = L"NetSH: " + error + L"\r\n";
        return 1;
    }
    return 0;
}

} // namespace qv::netsh
