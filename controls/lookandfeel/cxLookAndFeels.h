// Look-and-feel settings. Every control owns a TcxLookAndFeel; what it does not set
// itself comes from its master, and in the end from the process-wide root, so one
// setting changes every control. Changes of the effective values are announced to
// listeners; a change of the system colours is announced as a change of NativeStyle
// so that every control re-reads its painter and repaints.
#pragma once

#include "controls/lookandfeel/cxClasses.h"
#include "framework/Sets.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

enum TcxLookAndFeelKind { lfFlat, lfStandard, lfUltraFlat };
enum TcxLookAndFeelValue { lfvKind, lfvNativeStyle };
using TcxLookAndFeelValues = qv::TSet<TcxLookAndFeelValue, std::uint8_t>;

class TcxCustomLookAndFeelPainter;
class TdxThemeChangedNotificator;
// A painter "class": the one shared, immutable instance of a painter.
using TcxLookAndFeelPainterClass = const TcxCustomLookAndFeelPainter*;

class TcxLookAndFeel;

// How a look-and-feel tells its dependants of changes
// ({205538BF-F19E-4285-B11F-B182D9635881}).
class ILookAndFeelListener {
public:
    virtual qv::TObject* GetListenerObject() = 0;
    virtual void MasterChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) = 0;
    virtual void MasterDestroying(TcxLookAndFeel* Sender) = 0;

protected:
    ~ILookAndFeelListener() = default;
};

// ---------------------------------------------------------------------------
// System colour changes

class TcxSystemPaletteChangedNotifier;

// One per process while any notifier exists: a hidden window that receives
// WM_SYSCOLORCHANGE and tells the primary notifiers first, then the others.
class TcxSystemPaletteChangedListener : public qv::TObject {
public:
    // The listener, or nullptr when no notifier exists.
    static TcxSystemPaletteChangedListener* Instance();

    HWND WindowHandle() const { return wnd_; }
    const std::vector<TcxSystemPaletteChangedNotifier*>& PrimaryNotifiers() const { return primary_; }
    const std::vector<TcxSystemPaletteChangedNotifier*>& Notifiers() const { return normal_; }

private:
    friend class TcxSystemPaletteChangedNotifier;
    TcxSystemPaletteChangedListener();
    ~TcxSystemPaletteChangedListener() override;
    TcxSystemPaletteChangedListener(const TcxSystemPaletteChangedListener&) = delete;
    TcxSystemPaletteChangedListener& operator=(const TcxSystemPaletteChangedListener&) = delete;

    void AddNotifier(TcxSystemPaletteChangedNotifier* ANotifier, bool AIsPrimary);
    void RemoveNotifier(TcxSystemPaletteChangedNotifier* ANotifier);
    void WndProc(qv::TMessage& Message);
    void DoChange();

    HWND wnd_ = nullptr;
    std::vector<TcxSystemPaletteChangedNotifier*> primary_;
    std::vector<TcxSystemPaletteChangedNotifier*> normal_;
    int dispatching_ = 0;
};

class TcxSystemPaletteChangedNotifier : public qv::TObject {
public:
    explicit TcxSystemPaletteChangedNotifier(bool AIsPrimary = false);
    ~TcxSystemPaletteChangedNotifier() override;
    TcxSystemPaletteChangedNotifier(const TcxSystemPaletteChangedNotifier&) = delete;
    TcxSystemPaletteChangedNotifier& operator=(const TcxSystemPaletteChangedNotifier&) = delete;

    bool IsPrimary() const { return isPrimary_; }
    // Calls OnColorsChanged when assigned; descendants add their own reaction.
    virtual void NotifyColorsChanged();

    std::function<void()> OnColorsChanged;

private:
    bool isPrimary_;
};

// ---------------------------------------------------------------------------

using TcxLookAndFeelChangedEvent = std::function<void(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues)>;

class TcxLookAndFeel : public TcxInterfacedPersistent, public ILookAndFeelListener {
public:
    // AOwner: the control, or nullptr. A new look-and-feel listens to the root.
    explicit TcxLookAndFeel(qv::TPersistent* AOwner);
    ~TcxLookAndFeel() override;

    // Copies the assigned values and the master of another look-and-feel; any
    // other source is the framework's "cannot assign" error.
    void Assign(const qv::TPersistent* Source) override;

    // The painter to draw with: the painter of the kind (the themed painter, when
    // NativeStyle is set and visual styles can be used, once it exists).
    TcxLookAndFeelPainterClass GetPainter() const;

    // The effective values.
    TcxLookAndFeelKind Kind() const { return currentKind_; }
    bool NativeStyle() const { return currentNativeStyle_; }
    TcxLookAndFeelValues AssignedValues() const { return assignedValues_; }
    // Setting a value assigns it locally, even when the effective value stays.
    void WriteKind(TcxLookAndFeelKind Value);
    void WriteNativeStyle(bool Value);
    void WriteAssignedValues(TcxLookAndFeelValues Value);
    // Forgets every local value.
    void Reset() { WriteAssignedValues({}); }
    // Whether the form file keeps the value.
    bool IsKindStored() const { return assignedValues_.Contains(lfvKind); }
    bool IsNativeStyleStored() const { return assignedValues_.Contains(lfvNativeStyle); }

    // nullptr means the root. A master that depends on this look-and-feel (a cycle)
    // is refused with an exception.
    TcxLookAndFeel* Master() const { return master_; }
    void SetMaster(TcxLookAndFeel* Value);

    void AddChangeListener(ILookAndFeelListener* AListener);
    void RemoveChangeListener(ILookAndFeelListener* AListener);
    // In registration order (nullptr for one that left while this one is destroyed).
    const std::vector<ILookAndFeelListener*>& Listeners() const { return listeners_; }

    bool IsRoot() const { return isRoot_; }

    TcxLookAndFeelChangedEvent OnChanged;

    // The look-and-feel's own listener face (for its master).
    qv::TObject* GetListenerObject() override { return this; }
    void MasterChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
    void MasterDestroying(TcxLookAndFeel* Sender) override;

protected:
    // The effective values; descendants that override these call UpdateCurrentValues
    // at the end of their constructors.
    virtual TcxLookAndFeelKind InternalGetKind() const;
    virtual bool InternalGetNativeStyle() const;
    // The system colours changed.
    virtual void SystemPaletteChanged();

    void UpdateCurrentValues();
    void Changed(TcxLookAndFeelValues AChangedValues);

private:
    friend void InitializeLookAndFeels();

    TcxLookAndFeel* EffectiveMaster() const;
    void SaveValues();
    void CheckChanged();
    void CheckMaster(const TcxLookAndFeel* Value) const;
    void InternalSetMaster(TcxLookAndFeel* Value);
    bool IsController(ILookAndFeelListener* AListener) const;

    TcxLookAndFeelValues assignedValues_;
    std::vector<ILookAndFeelListener*> listeners_;
    TcxLookAndFeelKind currentKind_ = lfUltraFlat;
    bool currentNativeStyle_ = false;
    TcxLookAndFeelKind assignedKind_ = lfUltraFlat;
    bool assignedNativeStyle_ = false;
    bool destroying_ = false;
    bool isRoot_ = false;
    TcxLookAndFeel* master_ = nullptr;
    TcxLookAndFeelKind prevKind_ = lfUltraFlat;
    bool prevNativeStyle_ = false;
    TcxSystemPaletteChangedNotifier* notifier_ = nullptr;
    // The root's: theme changes reach every look-and-feel as a change of NativeStyle.
    std::unique_ptr<TdxThemeChangedNotificator> themeNotificator_;
};

// Edits the root look-and-feel (at design time). While any controller exists the
// root keeps what they set; when the last one goes the root is reset.
class TcxLookAndFeelController : public qv::TComponent, public ILookAndFeelListener {
public:
    explicit TcxLookAndFeelController(qv::TComponent* AOwner);
    ~TcxLookAndFeelController() override;

    TcxLookAndFeelKind Kind() const;
    void SetKind(TcxLookAndFeelKind Value);
    bool NativeStyle() const;
    void SetNativeStyle(bool Value);
    bool IsKindStored() const { return Kind() != lfUltraFlat; }
    bool IsNativeStyleStored() const { return NativeStyle(); }

    qv::TObject* GetListenerObject() override { return this; }
    // Nothing at run time.
    void MasterChanged(TcxLookAndFeel* Sender, TcxLookAndFeelValues AChangedValues) override;
    // Only a form designer would be told that the form changed; there is none.
    void MasterDestroying(TcxLookAndFeel* Sender) override;
};

// The process-wide root (kind lfUltraFlat, NativeStyle false unless a controller
// sets them); nullptr after shut-down.
TcxLookAndFeel* RootLookAndFeel();
// The number of controllers registered with the root.
int cxLookAndFeelControllerCount();

// Start-up and shut-down of the unit: they run before main and at exit, and may be
// called again (a second start-up while the root exists does nothing).
void InitializeLookAndFeels();
void FinalizeLookAndFeels();
