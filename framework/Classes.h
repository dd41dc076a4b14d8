// Components: owners free what they own, names are looked up through the owner,
// and components that asked for it are told when another one goes away.
#pragma once

#include "framework/Types.h"

#include <string>
#include <vector>

namespace qv {

class TPersistent : public TObject {
public:
    // Copies source into this object; a source of an unknown class is an error.
    virtual void Assign(const TPersistent* source);
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Gives the source a chance to copy itself into dest (the "assign to" half).
    virtual void AssignTo(TPersistent* dest) const;
};

// An object that hands out interfaces of its own (the library's listener faces).
class TInterfacedPersistent : public TPersistent {};

enum TComponentStateFlag : unsigned {
    csLoading = 1,
    csReading = 2,
    csWriting = 4,
    csDestroying = 8,
    csDesigning = 16,
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    // Frees every owned component and tells everyone who asked that this one goes.
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    TPersistent* GetOwner() const override { return owner_; }

    const std::wstring& Name() const { return name_; }
    virtual void SetName(const std::wstring& name);

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int index) const { return components_[index]; }
    // An owned component by name (case-insensitive, as names are), or nullptr.
    TComponent* FindComponent(const std::wstring& name) const;

    unsigned ComponentState() const { return state_; }
    bool IsDesigning() const { return (state_ & csDesigning) != 0; }
    bool IsDestroying() const { return (state_ & csDestroying) != 0; }
    bool IsLoading() const { return (state_ & csLoading) != 0; }

    // Asks to be told (through Notification) when component is destroyed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    // Marks the component as going away; owned ones are marked too.
    virtual void Destroying();

    // After the component and its properties have been set up (the end of "loading").
    virtual void Loaded();

    int Tag = 0;

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    void SetComponentState(unsigned flags) { state_ |= flags; }
    void ClearComponentState(unsigned flags) { state_ &= ~flags; }

private:
    TComponent* owner_ = nullptr;
    std::wstring name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    unsigned state_ = 0;
};

// A list of strings with a change event.
class TStrings : public TPersistent {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::wstring& operator[](int index) const { return items_.at(index); }
    const std::wstring& Strings(int index) const { return items_.at(index); }
    void SetStrings(int index, const std::wstring& value);
    int Add(const std::wstring& value);
    void Insert(int index, const std::wstring& value);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::wstring& value) const;
    // Lines joined with CR LF, each one ended by it.
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    void Assign(const TPersistent* source) override;
    void Assign(const std::vector<std::wstring>& lines);
    const std::vector<std::wstring>& Items() const { return items_; }

    // Batch several changes into one notification.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    TNotifyEvent OnChange;

private:
    void Changed();

    std::vector<std::wstring> items_;
    int updateCount_ = 0;
    bool pending_ = false;
};

} // namespace qv
