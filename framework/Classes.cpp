#include "framework/Classes.h"

#include "framework/Exceptions.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <typeinfo>

namespace qv {

namespace {

std::wstring ClassNameOf(const TObject* object)
{
    if (!object)
        return L"nil";
    const char* mangled = typeid(*object).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    if (auto pos = name.rfind("::"); pos != std::string::npos)
        name = name.substr(pos + 2);
    return std::wstring(name.begin(), name.end());
}

bool SameName(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

} // namespace

void TPersistent::Assign(const TPersistent* source)
{
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError(L"Cannot assign a nil to a " + ClassNameOf(this));
}

void TPersistent::AssignTo(TPersistent* dest) const
{
    throw EConvertError(L"Cannot assign a " + ClassNameOf(this) + L" to a " + ClassNameOf(dest));
}

// ---------------------------------------------------------------------------

TComponent::TComponent(TComponent* owner)
{
    if (owner)
        owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone who watches this component; they drop their references.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, TOperation::opRemove);
    }
    // Owned components go first, the last created first.
    while (!components_.empty()) {
        TComponent* child = components_.back();
        RemoveComponent(child);
        delete child;
    }
    if (owner_)
        owner_->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (state_ & csDestroying)
        return;
    state_ |= csDestroying;
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::Loaded() { state_ &= ~csLoading; }

void TComponent::SetName(const std::wstring& name) { name_ = name; }

TComponent* TComponent::FindComponent(const std::wstring& name) const
{
    if (name.empty())
        return nullptr;
    for (TComponent* c : components_)
        if (SameName(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->owner_ == this)
        return;
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    Notification(component, TOperation::opRemove);
    components_.erase(std::find(components_.begin(), components_.end(), component));
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this)
        return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto& theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end())
        theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component)
        return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component), freeNotifies_.end());
    auto& theirs = component->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent*, TOperation) {}

// ---------------------------------------------------------------------------

void TStrings::Changed()
{
    if (updateCount_ > 0) {
        pending_ = true;
        return;
    }
    pending_ = false;
    if (OnChange)
        OnChange(this);
}

void TStrings::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0 && pending_)
        Changed();
}

void TStrings::SetStrings(int index, const std::wstring& value)
{
    items_.at(index) = value;
    Changed();
}

int TStrings::Add(const std::wstring& value)
{
    items_.push_back(value);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const std::wstring& value)
{
    if (index < 0 || index > Count())
        throw Exception(L"List index out of bounds (" + std::to_wstring(index) + L")");
    items_.insert(items_.begin() + index, value);
    Changed();
}

void TStrings::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw Exception(L"List index out of bounds (" + std::to_wstring(index) + L")");
    items_.erase(items_.begin() + index);
    Changed();
}

void TStrings::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

int TStrings::IndexOf(const std::wstring& value) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameName(items_[i], value))
            return i;
    return -1;
}

std::wstring TStrings::Text() const
{
    std::wstring text;
    for (const auto& line : items_) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

void TStrings::SetText(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        if (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n')
            ++end;
        start = end + 1;
    }
    Assign(lines);
}

void TStrings::Assign(const std::vector<std::wstring>& lines)
{
    items_ = lines;
    Changed();
}

void TStrings::Assign(const TPersistent* source)
{
    if (auto s = dynamic_cast<const TStrings*>(source)) {
        if (s != this)
            Assign(s->items_);
        return;
    }
    TPersistent::Assign(source);
}

} // namespace qv
