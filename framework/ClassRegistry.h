// Classes known by name. A class is described by one static TClassInfo; lists of
// classes (the library's registered-class lists) hold pointers to those, and the
// process-wide registry finds them by name.
#pragma once

#include "framework/Exceptions.h"

#include <string>
#include <vector>

namespace qv {

struct TClassInfo {
    const wchar_t* Name;
    const TClassInfo* Parent = nullptr;

    bool InheritsFrom(const TClassInfo* other) const
    {
        for (const TClassInfo* c = this; c; c = c->Parent)
            if (c == other)
                return true;
        return false;
    }
};

class EClassNotFound : public Exception {
public:
    using Exception::Exception;
};

// Registering a class twice is harmless; another class under a registered name
// (names compare case-insensitively) is refused with an exception.
void RegisterPersistentClass(const TClassInfo* aClass);
void UnregisterPersistentClass(const TClassInfo* aClass);
// nullptr when no class of that name is registered.
const TClassInfo* GetPersistentClass(const std::wstring& name);
// Raises EClassNotFound ("Class X not found") when no class of that name is registered.
const TClassInfo* FindPersistentClass(const std::wstring& name);
std::vector<const TClassInfo*> RegisteredPersistentClasses();

} // namespace qv
