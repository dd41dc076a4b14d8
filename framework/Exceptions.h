// Exceptions of the framework. Every error is an exception carrying a message;
// one that escapes an event handler reaches the application's default handler,
// which shows the message and lets the program go on.
#pragma once

#include <stdexcept>
#include <string>

namespace qv {

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message) : message_(std::move(message)) {}

    const std::wstring& Message() const noexcept { return message_; }
    // Narrow form for std::exception users (tests, logs); UTF-8.
    const char* what() const noexcept override;

private:
    std::wstring message_;
    mutable std::string narrow_;
};

// The runtime's input/output error: "File access denied" when access was
// refused, "I/O error N" (N the system's error number) otherwise.
class EInOutError : public Exception {
public:
    explicit EInOutError(unsigned long errorCode);

    unsigned long ErrorCode() const noexcept { return errorCode_; }

    static std::wstring MessageFor(unsigned long errorCode);

private:
    unsigned long errorCode_;
};

// The silent exception: it ends what is under way (a refused focus change) without a
// message; the application's handler lets it pass unseen.
class EAbort : public Exception {
public:
    EAbort() : Exception(L"Operation aborted") {}
};

// Raised by Assign-style operations for a source of the wrong class.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

} // namespace qv
