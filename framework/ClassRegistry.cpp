#include "framework/ClassRegistry.h"

#include <algorithm>
#include <cwctype>

namespace qv {

namespace {

// Created on first use: classes may register themselves during static initialisation.
std::vector<const TClassInfo*>& Registry()
{
    static std::vector<const TClassInfo*> registry;
    return registry;
}

bool SameName(const std::wstring& a, const wchar_t* b)
{
    std::wstring other = b ? b : L"";
    return a.size() == other.size()
        && std::equal(a.begin(), a.end(), other.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

} // namespace

void RegisterPersistentClass(const TClassInfo* aClass)
{
    if (!aClass || !aClass->Name)
        throw Exception(L"A class without a name cannot be registered");
    auto& registry = Registry();
    if (std::find(registry.begin(), registry.end(), aClass) != registry.end())
        return;
    if (GetPersistentClass(aClass->Name))
        throw Exception(L"A class named " + std::wstring(aClass->Name) + L" already exists");
    registry.push_back(aClass);
}

void UnregisterPersistentClass(const TClassInfo* aClass)
{
    auto& registry = Registry();
    registry.erase(std::remove(registry.begin(), registry.end(), aClass), registry.end());
}

const TClassInfo* GetPersistentClass(const std::wstring& name)
{
    for (const TClassInfo* c : Registry())
        if (SameName(name, c->Name))
            return c;
    return nullptr;
}

const TClassInfo* FindPersistentClass(const std::wstring& name)
{
    if (const TClassInfo* c = GetPersistentClass(name))
        return c;
    throw EClassNotFound(L"Class " + name + L" not found");
}

std::vector<const TClassInfo*> RegisteredPersistentClasses() { return Registry(); }

} // namespace qv
