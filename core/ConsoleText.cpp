#include "core/ConsoleText.h"

#include <windows.h>

namespace qv::core {

unsigned ConsoleCodePage()
{
    return GetOEMCP();
}

bool EncodeConsoleText(const std::wstring& text, std::string& bytes)
{
    bytes.clear();
    if (text.empty())
        return true;
    const UINT cp = ConsoleCodePage();
    const int length = static_cast<int>(text.size());
    // No best-fit flags: they are refused by some code pages (UTF-8, 50220...).
    // Converting back and comparing catches every lossy conversion instead.
    int n = WideCharToMultiByte(cp, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return false;
    bytes.resize(n);
    WideCharToMultiByte(cp, 0, text.data(), length, bytes.data(), n, nullptr, nullptr);

    int back = MultiByteToWideChar(cp, 0, bytes.data(), n, nullptr, 0);
    std::wstring check(back > 0 ? back : 0, L'\0');
    if (back > 0)
        MultiByteToWideChar(cp, 0, bytes.data(), n, check.data(), back);
    if (check != text) {
        bytes.clear();
        return false;
    }
    return true;
}

bool FitsConsoleCodePage(const std::wstring& text)
{
    std::string bytes;
    return EncodeConsoleText(text, bytes);
}

} // namespace qv::core
