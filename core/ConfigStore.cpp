#include "core/ConfigStore.h"

#include "core/ConsoleText.h"
#include "framework/Handles.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>

namespace qv::core {

namespace {

std::wstring& ProgramDirVariable()
{
    static std::wstring dir;
    return dir;
}

bool IsDelimiter(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever follows the
// first dot, and in any letter case; trailing spaces before the dot are
// ignored by the system too.
bool IsDeviceFileName(const std::wstring& fileName)
{
    std::wstring base = fileName.substr(0, fileName.find(L'.'));
    while (!base.empty() && base.back() == L' ')
        base.pop_back();
    for (wchar_t& c : base)
        c = static_cast<wchar_t>(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t d = base[3];
        // The superscript digits count as well (COM¹ is a device).
        return (d >= L'1' && d <= L'9') || d == L'\u00B9' || d == L'\u00B2' || d == L'\u00B3';
    }
    return false;
}

// A configuration on its way to another letter case. The extension must not
// begin with NCF: the list's search matches short names too (x.NCFtmp is X~1.NCF).
constexpr wchar_t kRenamePrefix[] = L"~qvrename-";

// The entry's name as the directory stores it (its letter case), or empty.
std::wstring NameOnDisk(const std::wstring& path)
{
    TFileSearch search(path);
    return search.begin() == search.end() ? std::wstring() : std::wstring(search.begin()->cFileName);
}

bool SameFileName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

} // namespace

const std::wstring& ProgramDir()
{
    return ProgramDirVariable();
}

void SetProgramDir(const std::wstring& dir)
{
    std::wstring& value = ProgramDirVariable();
    value = dir;
    if (!value.empty() && !IsDelimiter(value.back()))
        value += L'\\';
}

std::wstring ExecutableDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return std::wstring();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        // Truncated: long paths reach 32767 characters.
        if (path.size() >= 32768)
            return std::wstring();
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring& CommandLine()
{
    static std::wstring text;
    return text;
}

std::wstring ConfigFilePath(const std::wstring& name)
{
    return ProgramDir() + name + kConfigExtension;
}

bool IsValidConfigName(const std::wstring& name)
{
    for (wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || std::wcschr(L"\\/:*?\"<>|", c))
            return false;
    }
    const std::wstring fileName = name + kConfigExtension;
    if (IsDeviceFileName(fileName))
        return false;
    // A component holds at most 255 characters; a whole path fits MAX_PATH
    // with its terminating null (the command interpreter knows no longer ones).
    if (fileName.size() > 255 || ConfigFilePath(name).size() >= MAX_PATH)
        return false;
    return FitsConsoleCodePage(name);
}

std::vector<std::wstring> ListConfigNames()
{
    std::vector<std::wstring> names;
    for (const WIN32_FIND_DATAW& entry : TFileSearch(ProgramDir() + L"*" + kConfigExtension)) {
        // Cut by length: a match through the short name (x.NCFtmp) or in
        // another letter case (x.ncf) loses four characters just the same.
        const size_t length = wcslen(entry.cFileName);
        names.emplace_back(entry.cFileName, length >= 4 ? length - 4 : 0);
    }
    return names;
}

bool RenameConfig(const std::wstring& oldName, const std::wstring& newName)
{
    if (!IsValidConfigName(newName))
        return false;
    const std::wstring from = ConfigFilePath(oldName), to = ConfigFilePath(newName);
    const std::wstring stored = newName + kConfigExtension;
    const bool moved = MoveFileW(from.c_str(), to.c_str()) != FALSE;
    if (moved && NameOnDisk(to) == stored)
        return true;
    // Only the letter case changes: some systems report success and keep the
    // old name. Go through a name that the list's search cannot find.
    if (!SameFileName(oldName, newName) || NameOnDisk(from).empty())
        return false;
    const std::wstring temporary = ProgramDir() + kRenamePrefix + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    if (!MoveFileW(from.c_str(), temporary.c_str()))
        return false;
    if (!MoveFileW(temporary.c_str(), to.c_str())) {
        MoveFileW(temporary.c_str(), from.c_str());
        return false;
    }
    return NameOnDisk(to) == stored;
}

bool DeleteConfig(const std::wstring& name)
{
    return DeleteFileW(ConfigFilePath(name).c_str()) != FALSE;
}

} // namespace qv::core
