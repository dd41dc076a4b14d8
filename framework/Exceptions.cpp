#include "framework/Exceptions.h"

#include <windows.h>

namespace qv {

const char* Exception::what() const noexcept
{
    if (narrow_.empty() && !message_.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, message_.c_str(), static_cast<int>(message_.size()),
                                    nullptr, 0, nullptr, nullptr);
        narrow_.resize(n);
        WideCharToMultiByte(CP_UTF8, 0, message_.c_str(), static_cast<int>(message_.size()),
                            narrow_.data(), n, nullptr, nullptr);
    }
    return narrow_.c_str();
}

std::wstring EInOutError::MessageFor(unsigned long errorCode)
{
    if (errorCode == ERROR_ACCESS_DENIED)
        return L"File access denied";
    return L"I/O error " + std::to_wstring(errorCode);
}

EInOutError::EInOutError(unsigned long errorCode)
    : Exception(MessageFor(errorCode)), errorCode_(errorCode)
{
}

} // namespace qv
