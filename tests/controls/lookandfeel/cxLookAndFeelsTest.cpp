#include "controls/lookandfeel/cxLookAndFeelPainters.h"
#include "controls/lookandfeel/cxLookAndFeels.h"
#include "controls/lookandfeel/LookAndFeelTestSupport.h"

#include "framework/Exceptions.h"
#include "framework/Forms.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace qv;
using qvtest::Listens;
using qvtest::TRecordingListener;

namespace {

using Calls = std::vector<TRecordingListener::Call>;

TcxLookAndFeelValues Values(std::initializer_list<TcxLookAndFeelValue> v) { return TcxLookAndFeelValues(v); }

// Each test starts and ends with a root that nothing has changed.
class LookAndFeel : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, RootLookAndFeel());
        ASSERT_TRUE(RootLookAndFeel()->AssignedValues().Empty());
        ASSERT_EQ(0, cxLookAndFeelControllerCount());
    }
    void TearDown() override
    {
        if (RootLookAndFeel())
            RootLookAndFeel()->Reset();
    }
};

} // namespace

TEST_F(LookAndFeel, NewOneInheritsTheRootDefaultsAndListensToTheRoot)
{
    TcxLookAndFeel lf(nullptr);
    EXPECT_EQ(lfUltraFlat, lf.Kind());
    EXPECT_FALSE(lf.NativeStyle());
    EXPECT_TRUE(lf.AssignedValues().Empty());
    EXPECT_FALSE(lf.IsKindStored());
    EXPECT_FALSE(lf.IsNativeStyleStored());
    EXPECT_EQ(nullptr, lf.Master());
    EXPECT_FALSE(lf.IsRoot());
    EXPECT_TRUE(RootLookAndFeel()->IsRoot());
    EXPECT_TRUE(Listens(RootLookAndFeel(), &lf));

    TStrings owner;
    TcxLookAndFeel owned(&owner);
    EXPECT_EQ(&owner, owned.GetOwner());
}

TEST_F(LookAndFeel, ControllerChangesReachEveryListenerExceptWhereTheKindIsLocal)
{
    TcxLookAndFeel plain(nullptr), local(nullptr), child(nullptr);
    local.WriteKind(lfFlat);
    child.SetMaster(&plain);
    TRecordingListener onPlain, onLocal, onChild;
    plain.AddChangeListener(&onPlain);
    local.AddChangeListener(&onLocal);
    child.AddChangeListener(&onChild);
    int changedEvents = 0;
    plain.OnChanged = [&](TcxLookAndFeel* sender, TcxLookAndFeelValues values) {
        EXPECT_EQ(&plain, sender);
        EXPECT_EQ(Values({lfvKind}), values);
        EXPECT_EQ(1u, onPlain.changed.size()) << "listeners are told before OnChanged";
        ++changedEvents;
    };

    {
        TcxLookAndFeelController controller(nullptr);
        EXPECT_EQ(1, cxLookAndFeelControllerCount());
        controller.SetKind(lfStandard);
        EXPECT_TRUE(RootLookAndFeel()->IsKindStored());
        EXPECT_TRUE(controller.IsKindStored());

        EXPECT_EQ(lfStandard, plain.Kind());
        EXPECT_EQ(lfStandard, child.Kind());
        EXPECT_EQ(lfFlat, local.Kind());
        ASSERT_EQ(1u, onPlain.changed.size());
        EXPECT_EQ(&plain, onPlain.changed[0].sender);
        EXPECT_EQ(Values({lfvKind}), onPlain.changed[0].values);
        ASSERT_EQ(1u, onChild.changed.size());
        EXPECT_EQ(Values({lfvKind}), onChild.changed[0].values);
        EXPECT_TRUE(onLocal.changed.empty()) << "a locally assigned kind does not follow";
        EXPECT_EQ(1, changedEvents);

        plain.OnChanged = nullptr;
        controller.SetNativeStyle(true);
        EXPECT_TRUE(plain.NativeStyle());
        EXPECT_TRUE(local.NativeStyle());
        ASSERT_EQ(1u, onLocal.changed.size());
        EXPECT_EQ(Values({lfvNativeStyle}), onLocal.changed[0].values);
    }
    // The last controller gone, the root forgets what it was told.
    EXPECT_EQ(0, cxLookAndFeelControllerCount());
    EXPECT_TRUE(RootLookAndFeel()->AssignedValues().Empty());
    EXPECT_EQ(lfUltraFlat, plain.Kind());
    EXPECT_FALSE(plain.NativeStyle());
    ASSERT_EQ(3u, onPlain.changed.size());
    EXPECT_EQ(Values({lfvKind, lfvNativeStyle}), onPlain.changed[2].values);

    for (auto* lf : {&plain, &local, &child})
        lf->RemoveChangeListener(lf == &plain ? &onPlain : lf == &local ? &onLocal : &onChild);
}

TEST_F(LookAndFeel, OnlyTheLastOfSeveralControllersResetsTheRoot)
{
    auto first = std::make_unique<TcxLookAndFeelController>(nullptr);
    auto second = std::make_unique<TcxLookAndFeelController>(nullptr);
    EXPECT_EQ(2, cxLookAndFeelControllerCount());
    first->SetKind(lfFlat);
    EXPECT_EQ(lfFlat, second->Kind());
    first.reset();
    EXPECT_EQ(lfFlat, RootLookAndFeel()->Kind());
    second.reset();
    EXPECT_EQ(lfUltraFlat, RootLookAndFeel()->Kind());

    // Only the root takes a controller as listener.
    TcxLookAndFeelController controller(nullptr);
    TcxLookAndFeel lf(nullptr);
    lf.AddChangeListener(&controller);
    EXPECT_TRUE(lf.Listeners().empty());
    EXPECT_EQ(1, cxLookAndFeelControllerCount());
}

TEST_F(LookAndFeel, SettingTheValueItAlreadyHasAssignsItButTellsNobody)
{
    TcxLookAndFeel lf(nullptr);
    TRecordingListener listener;
    lf.AddChangeListener(&listener);
    int events = 0;
    lf.OnChanged = [&](TcxLookAndFeel*, TcxLookAndFeelValues) { ++events; };

    lf.WriteKind(lfUltraFlat);
    lf.WriteNativeStyle(false);
    EXPECT_EQ(Values({lfvKind, lfvNativeStyle}), lf.AssignedValues());
    EXPECT_TRUE(lf.IsKindStored());
    EXPECT_TRUE(lf.IsNativeStyleStored());
    EXPECT_TRUE(listener.changed.empty());
    EXPECT_EQ(0, events);

    lf.WriteKind(lfStandard);
    ASSERT_EQ(1u, listener.changed.size());
    EXPECT_EQ(Values({lfvKind}), listener.changed[0].values);

    // Forgetting the local values brings back the inherited ones, and says which changed.
    lf.Reset();
    EXPECT_TRUE(lf.AssignedValues().Empty());
    EXPECT_EQ(lfUltraFlat, lf.Kind());
    ASSERT_EQ(2u, listener.changed.size());
    EXPECT_EQ(Values({lfvKind}), listener.changed[1].values);
    lf.WriteAssignedValues({});
    EXPECT_EQ(2u, listener.changed.size()) << "no change, no call";
    EXPECT_EQ(2, events);
}

TEST_F(LookAndFeel, ListenerLeavingDuringTheCallDoesNotMakeTheNextOneBeSkipped)
{
    TcxLookAndFeel lf(nullptr);
    TRecordingListener first, second, third;
    first.onChanged = [&](TcxLookAndFeel* sender) { sender->RemoveChangeListener(&first); };
    lf.AddChangeListener(&first);
    lf.AddChangeListener(&second);
    lf.AddChangeListener(&third);
    lf.AddChangeListener(&second);
    EXPECT_EQ(3u, lf.Listeners().size()) << "a listener is added once";

    lf.WriteKind(lfFlat);
    EXPECT_EQ(1u, first.changed.size());
    EXPECT_EQ(1u, second.changed.size());
    EXPECT_EQ(1u, third.changed.size());
    EXPECT_FALSE(Listens(&lf, &first));

    lf.WriteKind(lfStandard);
    EXPECT_EQ(1u, first.changed.size());
    EXPECT_EQ(2u, second.changed.size());
    lf.RemoveChangeListener(&second);
    lf.RemoveChangeListener(&third);
}

TEST_F(LookAndFeel, EveryListenerPresentAtTheStartIsToldOnceWhateverTheOthersDo)
{
    TcxLookAndFeel lf(nullptr);
    TRecordingListener first, second, third, newcomer;
    auto told = [&] {
        return std::to_string(first.changed.size()) + std::to_string(second.changed.size()) +
            std::to_string(third.changed.size()) + std::to_string(newcomer.changed.size());
    };
    auto reset = [&] {
        for (TRecordingListener* l : {&first, &second, &third, &newcomer}) {
            lf.RemoveChangeListener(l);
            l->changed.clear();
            l->onChanged = nullptr;
        }
        lf.AddChangeListener(&first);
        lf.AddChangeListener(&second);
        lf.AddChangeListener(&third);
    };

    // Leaves and brings another in its place: the next one is still told.
    reset();
    first.onChanged = [&](TcxLookAndFeel* sender) {
        sender->RemoveChangeListener(&first);
        sender->AddChangeListener(&newcomer);
    };
    lf.WriteKind(lfFlat);
    EXPECT_EQ("1110", told()) << "first, second, third, newcomer";

    // Adds one: told once, the newcomer not at all.
    reset();
    second.onChanged = [&](TcxLookAndFeel* sender) { sender->AddChangeListener(&newcomer); };
    lf.WriteKind(lfStandard);
    EXPECT_EQ("1110", told());

    // Removes a later one: that one is skipped, nobody is told twice.
    reset();
    first.onChanged = [&](TcxLookAndFeel* sender) { sender->RemoveChangeListener(&second); };
    lf.WriteKind(lfUltraFlat);
    EXPECT_EQ("1010", told());

    reset();
    for (TRecordingListener* l : {&first, &second, &third})
        lf.RemoveChangeListener(l);
}

TEST_F(LookAndFeel, MasterChainFollowsTheMasterAndKeepsLocalValues)
{
    TcxLookAndFeel master(nullptr), lf(nullptr);
    lf.WriteNativeStyle(true);
    lf.SetMaster(&master);
    EXPECT_EQ(&master, lf.Master());
    EXPECT_TRUE(Listens(&master, &lf));
    EXPECT_FALSE(Listens(RootLookAndFeel(), &lf));

    TRecordingListener listener;
    lf.AddChangeListener(&listener);
    master.WriteKind(lfStandard);
    master.WriteNativeStyle(false);
    EXPECT_EQ(lfStandard, lf.Kind());
    EXPECT_TRUE(lf.NativeStyle());
    ASSERT_EQ(1u, listener.changed.size()) << "the native style is local";
    EXPECT_EQ(Values({lfvKind}), listener.changed[0].values);

    // Back to the root: the kind changes again.
    lf.SetMaster(nullptr);
    EXPECT_EQ(lfUltraFlat, lf.Kind());
    EXPECT_TRUE(Listens(RootLookAndFeel(), &lf));
    EXPECT_FALSE(Listens(&master, &lf));
    ASSERT_EQ(2u, listener.changed.size());

    // Itself, or the root while the root is already the master: nothing.
    lf.SetMaster(&lf);
    lf.SetMaster(RootLookAndFeel());
    EXPECT_EQ(nullptr, lf.Master());
    EXPECT_EQ(2u, listener.changed.size());

    // A cycle would pass changes around for ever: refused, nothing changed.
    master.SetMaster(&lf);
    EXPECT_THROW(lf.SetMaster(&master), Exception);
    EXPECT_EQ(nullptr, lf.Master());
    EXPECT_TRUE(Listens(RootLookAndFeel(), &lf));
    master.SetMaster(nullptr);
    lf.RemoveChangeListener(&listener);
}

TEST_F(LookAndFeel, AssignCopiesTheLocalValuesAndTheMasterWithOneNotification)
{
    TcxLookAndFeel master(nullptr), source(nullptr), target(nullptr);
    master.WriteNativeStyle(true);
    source.SetMaster(&master);
    source.WriteKind(lfFlat);
    TRecordingListener listener;
    target.AddChangeListener(&listener);

    target.Assign(&source);
    EXPECT_EQ(&master, target.Master());
    EXPECT_EQ(Values({lfvKind}), target.AssignedValues());
    EXPECT_EQ(lfFlat, target.Kind());
    EXPECT_TRUE(target.NativeStyle());
    ASSERT_EQ(1u, listener.changed.size());
    EXPECT_EQ(Values({lfvKind, lfvNativeStyle}), listener.changed[0].values);

    // From the root: its values, and the root as master.
    target.Assign(RootLookAndFeel());
    EXPECT_EQ(nullptr, target.Master());
    EXPECT_TRUE(target.AssignedValues().Empty());

    // Anything else is the framework's conversion error and changes nothing.
    target.WriteKind(lfStandard);
    TStrings strings;
    EXPECT_THROW(target.Assign(&strings), EConvertError);
    EXPECT_THROW(target.Assign(nullptr), EConvertError);
    EXPECT_EQ(lfStandard, target.Kind());
    target.RemoveChangeListener(&listener);
}

TEST_F(LookAndFeel, DestructionInAnyOrderLeavesNoDanglingListener)
{
    auto top = std::make_unique<TcxLookAndFeel>(nullptr);
    auto middle = std::make_unique<TcxLookAndFeel>(nullptr);
    auto bottom = std::make_unique<TcxLookAndFeel>(nullptr);
    top->WriteKind(lfStandard);
    middle->SetMaster(top.get());
    bottom->SetMaster(middle.get());
    TRecordingListener watcher;
    top->AddChangeListener(&watcher);
    EXPECT_EQ(lfStandard, bottom->Kind());

    // The master goes first: its dependants fall back to the root.
    TcxLookAndFeel* topAddress = top.get();
    top.reset();
    ASSERT_EQ(1u, watcher.destroying.size());
    EXPECT_EQ(topAddress, watcher.destroying[0]);
    EXPECT_EQ(nullptr, middle->Master());
    EXPECT_TRUE(Listens(RootLookAndFeel(), middle.get()));
    EXPECT_EQ(lfUltraFlat, middle->Kind());
    EXPECT_EQ(lfUltraFlat, bottom->Kind());
    EXPECT_EQ(middle.get(), bottom->Master());

    // The dependant goes first: its master forgets it.
    ILookAndFeelListener* bottomFace = bottom.get();
    bottom.reset();
    EXPECT_FALSE(qvtest::ListHas<ILookAndFeelListener>(middle->Listeners(), bottomFace));
    EXPECT_TRUE(middle->Listeners().empty());
    ILookAndFeelListener* middleFace = middle.get();
    middle.reset();
    EXPECT_FALSE(qvtest::ListHas<ILookAndFeelListener>(RootLookAndFeel()->Listeners(), middleFace));

    // A dependant that goes while its master tells of its own destruction is not
    // told afterwards.
    auto master = std::make_unique<TcxLookAndFeel>(nullptr);
    auto* victim = new TcxLookAndFeel(nullptr);
    victim->SetMaster(master.get());
    struct Deleter : TRecordingListener {
        TcxLookAndFeel** target = nullptr;
        void MasterDestroying(TcxLookAndFeel*) override
        {
            delete *target;
            *target = nullptr;
        }
    } deleter;
    deleter.target = &victim;
    master->RemoveChangeListener(victim);
    master->AddChangeListener(&deleter);
    master->AddChangeListener(victim);
    master.reset();
    EXPECT_EQ(nullptr, victim);
}

TEST_F(LookAndFeel, SystemColourChangeTellsEveryLookAndFeelPrimaryNotifiersFirst)
{
    TcxSystemPaletteChangedListener* listener = TcxSystemPaletteChangedListener::Instance();
    ASSERT_NE(nullptr, listener);
    ASSERT_TRUE(IsWindow(listener->WindowHandle()));

    TcxLookAndFeel a(nullptr), b(nullptr);
    b.WriteKind(lfStandard);
    b.WriteNativeStyle(false);
    TRecordingListener onA, onB;
    a.AddChangeListener(&onA);
    b.AddChangeListener(&onB);
    std::vector<std::string> order;
    TcxSystemPaletteChangedNotifier normal(false), primary(true);
    normal.OnColorsChanged = [&] { order.push_back("normal"); };
    primary.OnColorsChanged = [&] { order.push_back("primary:" + std::to_string(onA.changed.size())); };
    EXPECT_TRUE(qvtest::ListHas(listener->PrimaryNotifiers(), &primary));
    EXPECT_TRUE(qvtest::ListHas(listener->Notifiers(), &normal));

    EXPECT_EQ(0, SendMessageW(listener->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0));
    // Told by its own notifier, and again through the root, which is told as well.
    ASSERT_FALSE(onA.changed.empty());
    for (const auto& call : onA.changed)
        EXPECT_EQ(Values({lfvNativeStyle}), call.values);
    ASSERT_EQ(1u, onB.changed.size()) << "its own notifier; a local value does not follow the root";
    EXPECT_EQ(Values({lfvNativeStyle}), onB.changed[0].values);
    EXPECT_EQ((std::vector<std::string>{"primary:0", "normal"}), order)
        << "the primary notifier runs before the look-and-feels";
    EXPECT_EQ(lfStandard, b.Kind());

    // Other messages get the default handling only.
    EXPECT_EQ(DefWindowProcW(listener->WindowHandle(), WM_GETTEXTLENGTH, 0, 0),
              SendMessageW(listener->WindowHandle(), WM_GETTEXTLENGTH, 0, 0));
    const size_t told = onA.changed.size();
    SendMessageW(listener->WindowHandle(), WM_GETTEXTLENGTH, 0, 0);
    EXPECT_EQ(told, onA.changed.size());
    a.RemoveChangeListener(&onA);
    b.RemoveChangeListener(&onB);
}

TEST_F(LookAndFeel, ColourChangeHandlerErrorReachesTheApplicationAndTheWindowStays)
{
    TcxSystemPaletteChangedListener* listener = TcxSystemPaletteChangedListener::Instance();
    ASSERT_NE(nullptr, listener);
    std::wstring reported;
    auto previous = Application->OnException;
    Application->OnException = [&](TObject*, const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const Exception& e) {
            reported = e.Message();
        }
    };
    {
        TcxSystemPaletteChangedNotifier failing(true);
        failing.OnColorsChanged = [] { throw Exception(L"palette trouble"); };
        SendMessageW(listener->WindowHandle(), WM_SYSCOLORCHANGE, 0, 0);
    }
    Application->OnException = previous;
    EXPECT_EQ(L"palette trouble", reported);
    EXPECT_EQ(listener, TcxSystemPaletteChangedListener::Instance());
    EXPECT_TRUE(IsWindow(listener->WindowHandle()));
}

TEST_F(LookAndFeel, HiddenWindowGoesWithTheLastNotifierAndTheRootWithShutDown)
{
    TcxSystemPaletteChangedListener* listener = TcxSystemPaletteChangedListener::Instance();
    ASSERT_NE(nullptr, listener);
    const HWND wnd = listener->WindowHandle();
    // The process-wide owners of notifiers: the painters' images and the root.
    FinalizeLookAndFeelPainters();
    EXPECT_TRUE(listener->PrimaryNotifiers().empty());
    ASSERT_EQ(1u, listener->Notifiers().size()) << "the root's";

    auto lf = std::make_unique<TcxLookAndFeel>(nullptr);
    FinalizeLookAndFeels();
    EXPECT_EQ(nullptr, RootLookAndFeel());
    EXPECT_EQ(listener, TcxSystemPaletteChangedListener::Instance()) << "one notifier is still alive";
    EXPECT_EQ(lfUltraFlat, lf->Kind());
    lf->WriteKind(lfFlat);
    lf->Reset();
    EXPECT_EQ(lfUltraFlat, lf->Kind()) << "no root: the defaults";
    EXPECT_FALSE(lf->NativeStyle());
    {
        TcxLookAndFeelController controller(nullptr);
        controller.SetKind(lfStandard);
        EXPECT_EQ(lfUltraFlat, controller.Kind());
    }
    lf.reset();
    EXPECT_EQ(nullptr, TcxSystemPaletteChangedListener::Instance());
    EXPECT_FALSE(IsWindow(wnd));

    InitializeLookAndFeels();
    InitializeLookAndFeelPainters();
    ASSERT_NE(nullptr, RootLookAndFeel());
    ASSERT_NE(nullptr, TcxSystemPaletteChangedListener::Instance());
    EXPECT_TRUE(IsWindow(TcxSystemPaletteChangedListener::Instance()->WindowHandle()));
    TcxLookAndFeel again(nullptr);
    EXPECT_TRUE(Listens(RootLookAndFeel(), &again));
}
