#include "controls/lookandfeel/cxLookAndFeels.h"

#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/dxThemeManager.h"
#include "controls/lookandfeel/dxUxTheme.h"

#include "framework/Controls.h"
#include "framework/Exceptions.h"

#include <algorithm>

using namespace qv;

namespace {

// Constant-initialised, so they are valid whichever unit starts first.
TcxSystemPaletteChangedListener* g_listener = nullptr;
TcxLookAndFeel* g_root = nullptr;
int g_controllerCount = 0;

template <class T>
bool Contains(const std::vector<T*>& list, const T* item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

// ---------------------------------------------------------------------------

TcxSystemPaletteChangedListener* TcxSystemPaletteChangedListener::Instance() { return g_listener; }

TcxSystemPaletteChangedListener::TcxSystemPaletteChangedListener()
{
    wnd_ = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

TcxSystemPaletteChangedListener::~TcxSystemPaletteChangedListener() { DeallocateHWnd(wnd_); }

void TcxSystemPaletteChangedListener::AddNotifier(TcxSystemPaletteChangedNotifier* ANotifier, bool AIsPrimary)
{
    (AIsPrimary ? primary_ : normal_).push_back(ANotifier);
}

void TcxSystemPaletteChangedListener::RemoveNotifier(TcxSystemPaletteChangedNotifier* ANotifier)
{
    for (auto* list : {&primary_, &normal_})
        list->erase(std::remove(list->begin(), list->end(), ANotifier), list->end());
}

void TcxSystemPaletteChangedListener::DoChange()
{
    // Notifiers may come and go while they are told; only those still registered are called.
    for (auto* list : {&primary_, &normal_}) {
        const std::vector<TcxSystemPaletteChangedNotifier*> snapshot = *list;
        for (TcxSystemPaletteChangedNotifier* n : snapshot)
            if (Contains(*list, n))
                n->NotifyColorsChanged();
    }
}

void TcxSystemPaletteChangedListener::WndProc(TMessage& Message)
{
    // The default result is computed last, also when a notifier raised an exception.
    struct DefaultResult {
        HWND wnd;
        TMessage& m;
        ~DefaultResult() { m.Result = DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam); }
    };
    const HWND wnd = wnd_;
    bool lastNotifierGone = false;
    {
        DefaultResult result{wnd, Message};
        if (Message.Msg == WM_SYSCOLORCHANGE) {
            ++dispatching_;
            try {
                DoChange();
            } catch (...) {
                --dispatching_;
                throw;
            }
            --dispatching_;
            lastNotifierGone = dispatching_ == 0 && primary_.empty() && normal_.empty();
        }
    }
    // Every notifier went away while being told: the listener goes now (not earlier,
    // its window was still in use).
    if (lastNotifierGone && g_listener == this) {
        g_listener = nullptr;
        delete this;
    }
}

TcxSystemPaletteChangedNotifier::TcxSystemPaletteChangedNotifier(bool AIsPrimary) : isPrimary_(AIsPrimary)
{
    if (!g_listener)
        g_listener = new TcxSystemPaletteChangedListener();
    g_listener->AddNotifier(this, AIsPrimary);
}

TcxSystemPaletteChangedNotifier::~TcxSystemPaletteChangedNotifier()
{
    if (!g_listener)
        return;
    g_listener->RemoveNotifier(this);
    if (g_listener->primary_.empty() && g_listener->normal_.empty() && g_listener->dispatching_ == 0) {
        delete g_listener;
        g_listener = nullptr;
    }
}

void TcxSystemPaletteChangedNotifier::NotifyColorsChanged()
{
    if (OnColorsChanged)
        OnColorsChanged();
}

// ---------------------------------------------------------------------------

TcxLookAndFeel::TcxLookAndFeel(TPersistent* AOwner) : TcxInterfacedPersistent(AOwner)
{
    notifier_ = new TcxSystemPaletteChangedNotifier(false);
    notifier_->OnColorsChanged = [this] { SystemPaletteChanged(); };
    if (g_root) {
        g_root->AddChangeListener(this);
        UpdateCurrentValues();
    }
}

TcxLookAndFeel::~TcxLookAndFeel()
{
    delete notifier_;
    notifier_ = nullptr;
    destroying_ = true;
    // Their SetMaster(nullptr) comes back through RemoveChangeListener, which only
    // blanks their entries now, so the walk stays on its indices.
    for (size_t i = 0; i < listeners_.size(); ++i)
        if (ILookAndFeelListener* listener = listeners_[i])
            listener->MasterDestroying(this);
    destroying_ = false;
    listeners_.clear();
    if (!isRoot_)
        if (TcxLookAndFeel* master = EffectiveMaster())
            master->RemoveChangeListener(this);
    if (isRoot_ && g_root == this)
        g_root = nullptr;
}

TcxLookAndFeel* TcxLookAndFeel::EffectiveMaster() const { return master_ ? master_ : g_root; }

TcxLookAndFeelKind TcxLookAndFeel::InternalGetKind() const
{
    if (assignedValues_.Contains(lfvKind))
        return assignedKind_;
    if (isRoot_)
        return lfUltraFlat;
    const TcxLookAndFeel* master = EffectiveMaster();
    return master ? master->Kind() : lfUltraFlat;
}

bool TcxLookAndFeel::InternalGetNativeStyle() const
{
    if (assignedValues_.Contains(lfvNativeStyle))
        return assignedNativeStyle_;
    if (isRoot_)
        return false;
    const TcxLookAndFeel* master = EffectiveMaster();
    return master ? master->NativeStyle() : false;
}

void TcxLookAndFeel::SystemPaletteChanged() { Changed({lfvNativeStyle}); }

void TcxLookAndFeel::UpdateCurrentValues()
{
    currentKind_ = InternalGetKind();
    currentNativeStyle_ = InternalGetNativeStyle();
}

void TcxLookAndFeel::SaveValues()
{
    prevKind_ = currentKind_;
    prevNativeStyle_ = currentNativeStyle_;
}

void TcxLookAndFeel::CheckChanged()
{
    TcxLookAndFeelValues changed;
    if (InternalGetKind() != prevKind_)
        changed.Include(lfvKind);
    if (InternalGetNativeStyle() != prevNativeStyle_)
        changed.Include(lfvNativeStyle);
    Changed(changed);
}

void TcxLookAndFeel::Changed(TcxLookAndFeelValues AChangedValues)
{
    if (AChangedValues.Empty() || destroying_)
        return;
    UpdateCurrentValues();
    // Listeners may add and remove listeners while they are told: every one that
    // was registered when the change began is told once, unless it has left by
    // the time its turn comes; those that joined meanwhile are not told.
    const std::vector<ILookAndFeelListener*> snapshot = listeners_;
    for (ILookAndFeelListener* listener : snapshot)
        if (Contains(listeners_, listener))
            listener->MasterChanged(this, AChangedValues);
    if (OnChanged)
        OnChanged(this, AChangedValues);
}

void TcxLookAndFeel::WriteKind(TcxLookAndFeelKind Value)
{
    const TcxLookAndFeelKind old = currentKind_;
    assignedValues_.Include(lfvKind);
    assignedKind_ = Value;
    if (InternalGetKind() != old)
        Changed({lfvKind});
}

void TcxLookAndFeel::WriteNativeStyle(bool Value)
{
    const bool old = currentNativeStyle_;
    assignedValues_.Include(lfvNativeStyle);
    assignedNativeStyle_ = Value;
    if (InternalGetNativeStyle() != old)
        Changed({lfvNativeStyle});
}

void TcxLookAndFeel::WriteAssignedValues(TcxLookAndFeelValues Value)
{
    if (Value == assignedValues_)
        return;
    SaveValues();
    assignedValues_ = Value;
    CheckChanged();
}

void TcxLookAndFeel::CheckMaster(const TcxLookAndFeel* Value) const
{
    // A cycle would pass every change around it for ever.
    for (const TcxLookAndFeel* m = Value; m; m = m->master_)
        if (m == this)
            throw Exception(L"A look-and-feel cannot take a master that inherits from it");
}

void TcxLookAndFeel::InternalSetMaster(TcxLookAndFeel* Value)
{
    if (TcxLookAndFeel* old = EffectiveMaster())
        old->RemoveChangeListener(this);
    master_ = Value;
    if (TcxLookAndFeel* now = EffectiveMaster())
        now->AddChangeListener(this);
}

void TcxLookAndFeel::SetMaster(TcxLookAndFeel* Value)
{
    if (isRoot_ || Value == this || Value == EffectiveMaster())
        return;
    CheckMaster(Value);
    SaveValues();
    InternalSetMaster(Value);
    CheckChanged();
}

void TcxLookAndFeel::Assign(const TPersistent* Source)
{
    auto source = dynamic_cast<const TcxLookAndFeel*>(Source);
    if (!source) {
        TcxInterfacedPersistent::Assign(Source);
        return;
    }
    if (source == this)
        return;
    TcxLookAndFeel* master = source->isRoot_ ? nullptr : source->EffectiveMaster();
    const bool masterChanges = !isRoot_ && master != this && master != EffectiveMaster();
    if (masterChanges)
        CheckMaster(master);
    SaveValues();
    assignedKind_ = source->assignedKind_;
    assignedNativeStyle_ = source->assignedNativeStyle_;
    assignedValues_ = source->assignedValues_;
    // One notification for the whole copy.
    if (masterChanges)
        InternalSetMaster(master);
    CheckChanged();
}

TcxLookAndFeelPainterClass TcxLookAndFeel::GetPainter() const
{
    if (NativeStyle() && AreVisualStylesAvailable())
        return TcxWinXPLookAndFeelPainter::Instance();
    switch (Kind()) {
    case lfFlat: return TcxFlatLookAndFeelPainter::Instance();
    case lfStandard: return TcxStandardLookAndFeelPainter::Instance();
    case lfUltraFlat: break;
    }
    return TcxUltraFlatLookAndFeelPainter::Instance();
}

bool TcxLookAndFeel::IsController(ILookAndFeelListener* AListener) const
{
    return dynamic_cast<TcxLookAndFeelController*>(AListener->GetListenerObject()) != nullptr;
}

void TcxLookAndFeel::AddChangeListener(ILookAndFeelListener* AListener)
{
    if (!AListener || destroying_)
        return;
    const bool controller = IsController(AListener);
    if (controller && !isRoot_)
        return;
    if (Contains(listeners_, AListener))
        return;
    listeners_.push_back(AListener);
    if (controller)
        ++g_controllerCount;
}

void TcxLookAndFeel::RemoveChangeListener(ILookAndFeelListener* AListener)
{
    auto it = std::find(listeners_.begin(), listeners_.end(), AListener);
    if (!AListener || it == listeners_.end())
        return;
    if (destroying_)
        *it = nullptr;
    else
        listeners_.erase(it);
    if (isRoot_ && IsController(AListener) && --g_controllerCount == 0)
        Reset();
}

void TcxLookAndFeel::MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues AChangedValues)
{
    // Values assigned here do not follow the master.
    Changed(AChangedValues - assignedValues_);
}

void TcxLookAndFeel::MasterDestroying(TcxLookAndFeel*) { SetMaster(nullptr); }

// ---------------------------------------------------------------------------

TcxLookAndFeelController::TcxLookAndFeelController(TComponent* AOwner) : TComponent(AOwner)
{
    if (g_root)
        g_root->AddChangeListener(this);
}

TcxLookAndFeelController::~TcxLookAndFeelController()
{
    if (g_root)
        g_root->RemoveChangeListener(this);
}

TcxLookAndFeelKind TcxLookAndFeelController::Kind() const { return g_root ? g_root->Kind() : lfUltraFlat; }

void TcxLookAndFeelController::SetKind(TcxLookAndFeelKind Value)
{
    if (g_root)
        g_root->WriteKind(Value);
}

bool TcxLookAndFeelController::NativeStyle() const { return g_root ? g_root->NativeStyle() : false; }

void TcxLookAndFeelController::SetNativeStyle(bool Value)
{
    if (g_root)
        g_root->WriteNativeStyle(Value);
}

void TcxLookAndFeelController::MasterChanged(TcxLookAndFeel*, TcxLookAndFeelValues) {}

void TcxLookAndFeelController::MasterDestroying(TcxLookAndFeel*) {}

// ---------------------------------------------------------------------------

TcxLookAndFeel* RootLookAndFeel() { return g_root; }

int cxLookAndFeelControllerCount() { return g_controllerCount; }

void InitializeLookAndFeels()
{
    if (g_root)
        return;
    // Marked as root only after construction, so it does not register with itself.
    auto* root = new TcxLookAndFeel(nullptr);
    root->isRoot_ = true;
    root->UpdateCurrentValues();
    // A theme switched on or off changes which painter a native-style control gets.
    InitializeThemeManager();
    root->themeNotificator_ = std::make_unique<TdxThemeChangedNotificator>();
    root->themeNotificator_->OnThemeChanged = [root] { root->Changed({lfvNativeStyle}); };
    g_controllerCount = 0;
    g_root = root;
}

void FinalizeLookAndFeels()
{
    delete g_root;
    g_root = nullptr;
}

namespace {

struct LookAndFeelsUnit {
    LookAndFeelsUnit() { InitializeLookAndFeels(); }
    ~LookAndFeelsUnit() { FinalizeLookAndFeels(); }
} g_unit;

} // namespace
