// The stand-in network shell: runs "interface dump" and network-shell scripts
// against the simulated configuration kept in the state file.
#pragma once

#include "tools/netsh/NetState.h"

#include <string>
#include <vector>

namespace qv::netsh {

// A word of a command. eq is the position of the first '=' outside quotes
// (a tagged parameter such as name="本地连接"), or npos.
struct Token {
    std::wstring text;
    size_t eq = std::wstring::npos;
};

// Splits a script line into words; double quotes group and are removed.
bool Tokenize(const std::wstring& line, std::vector<Token>& tokens, std::wstring& error);
// Command-line arguments, already split and unquoted by the runtime.
std::vector<Token> ArgumentTokens(const std::vector<std::wstring>& args);

// Executes commands against a state, in the contexts interface, interface ip
// and interface ipv4 (one and the same, as on the later systems), with pushd
// and popd: the commands of both dump forms (set/add address, dns, wins; and
// reset, set global, set interface, add route, set/add dnsservers and
// winsservers). Every change is checked before it is made; the first error
// leaves the state as the earlier commands left it.
class Shell {
public:
    explicit Shell(NetState& state) : state_(state) {}

    // Sets the starting context, as -c does ("interface", "interface ip").
    bool SetContext(const std::wstring& context, std::wstring& error);
    bool Execute(const std::vector<Token>& tokens, std::wstring& error);
    // What the commands printed (dump).
    const std::wstring& Output() const { return output_; }

private:
    bool Command(const std::vector<std::wstring>& context, const std::vector<Token>& words, std::wstring& error);

    NetState& state_;
    std::vector<std::wstring> context_;
    std::vector<std::vector<std::wstring>> stack_;
    std::wstring output_;
};

// Runs a whole script: all of it or nothing. On error the state is left
// unchanged and the message names the line.
bool RunScript(const std::wstring& script, const std::wstring& scriptName, const std::wstring& context,
               NetState& state, std::wstring& output, std::wstring& error);

// The program: arguments without the program's name, the state file, and the
// text for standard output and standard error. Returns the exit code.
int RunNetShell(const std::vector<std::wstring>& args, const std::wstring& statePath, std::wstring& out,
                std::wstring& err);

// The code page of dumps and scripts: the console's, as the system's network
// shell uses it.
unsigned ConsoleTextCodePage();
std::string EncodeConsoleText(const std::wstring& text);
// Script files: a UTF-8 or UTF-16 byte order mark decides, else the console
// code page.
std::wstring DecodeScriptText(const std::string& bytes);

// The state file: created with DefaultNetState() when missing; written
// atomically (a new file renamed over the old one).
bool LoadState(const std::wstring& path, NetState& state, std::wstring& error);
bool SaveState(const std::wstring& path, const NetState& state, std::wstring& error);

} // namespace qv::netsh
