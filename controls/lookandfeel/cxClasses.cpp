#include "controls/lookandfeel/cxClasses.h"

#include <algorithm>
#include <cwctype>

TcxComponent::TcxComponent(qv::TComponent* AOwner) : qv::TComponent(AOwner) {}

TcxComponent::~TcxComponent()
{
    // Owned components and those watching this one see it as going away.
    if (!IsDestroying())
        Destroying();
}

void TcxComponent::Loaded()
{
    qv::TComponent::Loaded();
    if (!IsDesigning() || IsDestroying() || !Owner())
        return;
    std::vector<qv::TComponent*> list;
    GetFakeComponentLinks(list);
    for (int i = 0; i < 3; ++i)
        SetLink(i, i < static_cast<int>(list.size()) ? list[i] : nullptr);
}

void TcxComponent::SetLink(int index, qv::TComponent* value)
{
    qv::TComponent*& link = links_[index];
    if (link == value)
        return;
    qv::TComponent* old = link;
    link = value;
    if (old && std::find(std::begin(links_), std::end(links_), old) == std::end(links_))
        RemoveFreeNotification(old);
    if (value)
        FreeNotification(value);
}

void TcxComponent::Notification(qv::TComponent* AComponent, qv::TOperation Operation)
{
    qv::TComponent::Notification(AComponent, Operation);
    if (Operation == qv::TOperation::opRemove)
        for (auto& link : links_)
            if (link == AComponent)
                link = nullptr;
}

// ---------------------------------------------------------------------------

void TcxRegisteredClasses::RegisterClassItem(TcxClass AClass, const std::wstring& ADescription)
{
    if (!AClass || IndexOf(AClass) >= 0)
        return;
    // Registered first: a refused name leaves the list as it was.
    if (registerClasses_)
        qv::RegisterPersistentClass(AClass);
    items_.emplace_back(ADescription, AClass);
}

void TcxRegisteredClasses::UnregisterClassItem(TcxClass AClass)
{
    int index = IndexOf(AClass);
    if (index >= 0)
        items_.erase(items_.begin() + index);
}

int TcxRegisteredClasses::IndexOf(TcxClass AClass) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].second == AClass)
            return static_cast<int>(i);
    return -1;
}

TcxClass TcxRegisteredClasses::FindByClassName(const std::wstring& AClassName) const
{
    for (const auto& item : items_) {
        std::wstring name = item.second->Name ? item.second->Name : L"";
        if (name.size() == AClassName.size()
            && std::equal(name.begin(), name.end(), AClassName.begin(),
                          [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); }))
            return item.second;
    }
    return nullptr;
}

TcxClass TcxRegisteredClasses::FindByDescription(const std::wstring& ADescription) const
{
    for (const auto& item : items_)
        if (item.first == ADescription)
            return item.second;
    return nullptr;
}

std::wstring TcxRegisteredClasses::GetDescriptionByClass(TcxClass AClass) const
{
    int index = IndexOf(AClass);
    return index >= 0 ? items_[index].first : std::wstring();
}
