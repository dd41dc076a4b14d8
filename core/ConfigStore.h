// The saved network configurations: one file ProgramDir + name + ".NCF" each,
// in the directory of the running executable. The set of those files is the
// program's whole persistent state.
#pragma once

#include <string>
#include <vector>

namespace qv::core {

// The directory of the running executable with its trailing delimiter. Empty
// until the main window sets it when it is created.
const std::wstring& ProgramDir();
// Sets ProgramDir, adding the trailing delimiter when it is missing (tests
// point it at a directory of their own).
void SetProgramDir(const std::wstring& dir);
// The directory of the running executable with its trailing delimiter (long
// paths included); what the main window sets ProgramDir to.
std::wstring ExecutableDirectory();

// The text exchanged with the name-entry dialog, then the command line that
// is run.
std::wstring& CommandLine();

inline constexpr wchar_t kConfigExtension[] = L".NCF";

// ProgramDir + name + ".NCF", by plain concatenation.
std::wstring ConfigFilePath(const std::wstring& name);

// Whether name can be used for a configuration: a plain file name (none of
// \ / : * ? " < > | and no control character), not a device name (CON, NUL,
// COM1...), a path that fits the system's limit, and text the console code
// page can hold (the script that saves or applies it is written in it).
// Empty names, spaces and non-ASCII names are accepted.
bool IsValidConfigName(const std::wstring& name);

// The names of the saved configurations, in the order the file system's
// wildcard search returns them; directories are included. Each entry's name
// loses its last four characters (the extension and its dot). A directory
// that cannot be searched yields an empty list.
std::vector<std::wstring> ListConfigNames();

// Renames the configuration file; true only when the directory then shows the
// new name, letter case included. False when the system refuses (a file of the
// new name exists) or the new name is not valid; the file keeps its old name.
bool RenameConfig(const std::wstring& oldName, const std::wstring& newName);

// Deletes the configuration file; false when the system refuses.
bool DeleteConfig(const std::wstring& name);

} // namespace qv::core
