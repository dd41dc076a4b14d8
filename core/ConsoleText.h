// Text in the console code page: the command interpreter reads batch files in
// it and the network shell writes its dumps in it.
#pragma once

#include <string>

namespace qv::core {

// The code page of the command interpreter that runs the scripts.
unsigned ConsoleCodePage();

// Converts text to the console code page. Fails when a character has no
// exact counterpart there (a best-fit or default character would change the
// text: another file name, or a different command).
bool EncodeConsoleText(const std::wstring& text, std::string& bytes);

bool FitsConsoleCodePage(const std::wstring& text);

} // namespace qv::core
