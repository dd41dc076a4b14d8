// Small base classes the library's persistent objects and components derive from.
#pragma once

#include "framework/ClassRegistry.h"
#include "framework/Classes.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Changes reported at once, or once when the outermost update bracket ends.
class TcxUpdateBracket {
public:
    explicit TcxUpdateBracket(std::function<void()> AReport) : report_(std::move(AReport)) {}
    void Begin() { ++count_; }
    void End()
    {
        if (count_ > 0 && --count_ == 0 && pending_) {
            pending_ = false;
            report_();
        }
    }
    void Changed()
    {
        if (count_ > 0)
            pending_ = true;
        else
            report_();
    }
    bool Locked() const { return count_ > 0; }

private:
    std::function<void()> report_;
    int count_ = 0;
    bool pending_ = false;
};

// A persistent object that reports the object it belongs to (a control, a
// properties object) as its owner; the owner is not owned.
class TcxInterfacedPersistent : public qv::TInterfacedPersistent {
public:
    explicit TcxInterfacedPersistent(qv::TPersistent* AOwner) : owner_(AOwner) {}

    qv::TPersistent* Owner() const { return owner_; }
    qv::TPersistent* GetOwner() const override { return owner_; }

private:
    qv::TPersistent* owner_;
};

// A component with three component links that a form designer shows so that the
// components this one works with stay in view. The links are never stored; at run
// time nothing of this acts.
class TcxComponent : public qv::TComponent {
public:
    explicit TcxComponent(qv::TComponent* AOwner);
    ~TcxComponent() override;

    qv::TComponent* FakeComponentLink1() const { return links_[0]; }
    qv::TComponent* FakeComponentLink2() const { return links_[1]; }
    qv::TComponent* FakeComponentLink3() const { return links_[2]; }
    void SetFakeComponentLink1(qv::TComponent* Value) { SetLink(0, Value); }
    void SetFakeComponentLink2(qv::TComponent* Value) { SetLink(1, Value); }
    void SetFakeComponentLink3(qv::TComponent* Value) { SetLink(2, Value); }

    void Loaded() override;

protected:
    // The components to show as links (the first three are used).
    virtual void GetFakeComponentLinks(std::vector<qv::TComponent*>& AList) { (void)AList; }
    void Notification(qv::TComponent* AComponent, qv::TOperation Operation) override;

private:
    void SetLink(int index, qv::TComponent* value);

    qv::TComponent* links_[3] = {nullptr, nullptr, nullptr};
};

// A class as the registered-class lists hold it.
using TcxClass = const qv::TClassInfo*;

// A list of (description, class) pairs, each class at most once; optionally every
// class added is also registered with the framework's class registry.
class TcxRegisteredClasses : public qv::TObject {
public:
    explicit TcxRegisteredClasses(bool ARegisterClasses = false) : registerClasses_(ARegisterClasses) {}
    ~TcxRegisteredClasses() override { Clear(); }
    TcxRegisteredClasses(const TcxRegisteredClasses&) = delete;
    TcxRegisteredClasses& operator=(const TcxRegisteredClasses&) = delete;

    void RegisterClassItem(TcxClass AClass, const std::wstring& ADescription);
    void UnregisterClassItem(TcxClass AClass);
    void Clear() { items_.clear(); }

    bool RegisterClasses() const { return registerClasses_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TcxClass Items(int Index) const { return items_.at(Index).second; }
    const std::wstring& Descriptions(int Index) const { return items_.at(Index).first; }
    int IndexOf(TcxClass AClass) const;
    // nullptr when absent; class names compare case-insensitively, descriptions exactly.
    TcxClass FindByClassName(const std::wstring& AClassName) const;
    TcxClass FindByDescription(const std::wstring& ADescription) const;
    std::wstring GetDescriptionByClass(TcxClass AClass) const;

private:
    std::vector<std::pair<std::wstring, TcxClass>> items_;
    bool registerClasses_;
};
