#include "framework/Classes.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

// Counts its destructions and remembers what it was told of.
class TProbe : public TComponent {
public:
    TProbe(TComponent* owner, int* destroyed) : TComponent(owner), destroyed_(destroyed) {}
    ~TProbe() override
    {
        if (destroyed_)
            ++*destroyed_;
    }
    std::vector<TComponent*> removed;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        if (op == TOperation::opRemove)
            removed.push_back(c);
    }

private:
    int* destroyed_;
};

} // namespace

TEST(Components, OwnerFreesWhatItOwnsAndForgetsWhatGoesFirst)
{
    int destroyed = 0;
    auto owner = new TProbe(nullptr, nullptr);
    auto a = new TProbe(owner, &destroyed);
    auto b = new TProbe(owner, &destroyed);
    ASSERT_EQ(2, owner->ComponentCount());
    delete a;
    EXPECT_EQ(1, owner->ComponentCount());
    EXPECT_EQ(b, owner->Component(0));
    delete owner;
    EXPECT_EQ(2, destroyed);
}

TEST(Components, FindComponentIgnoresLetterCaseAndEmptyNames)
{
    TComponent owner(nullptr);
    auto dialog = new TComponent(&owner);
    dialog->SetName(L"FileName");
    new TComponent(&owner);  // unnamed
    EXPECT_EQ(dialog, owner.FindComponent(L"filename"));
    EXPECT_EQ(nullptr, owner.FindComponent(L"Help"));
    EXPECT_EQ(nullptr, owner.FindComponent(L""));
}

TEST(Components, FreeNotificationTellsTheWatcherOnceAndBothWays)
{
    TProbe watcher(nullptr, nullptr);
    auto watched = new TProbe(nullptr, nullptr);
    watcher.FreeNotification(watched);
    watcher.FreeNotification(watched);  // asking twice is one request
    delete watched;
    ASSERT_EQ(1u, watcher.removed.size());
    EXPECT_EQ(watched, watcher.removed[0]);

    // The request binds both ways: a watcher that goes first is announced too, and
    // forgotten, so the watched one cannot call it later.
    auto early = new TProbe(nullptr, nullptr);
    auto target = new TProbe(nullptr, nullptr);
    early->FreeNotification(target);
    delete early;
    EXPECT_EQ(1u, target->removed.size());
    delete target;
}

TEST(Components, DestroyingStateReachesOwnedComponents)
{
    struct TSeen : TComponent {
        TSeen(TComponent* o, bool* seen) : TComponent(o), seen_(seen) {}
        ~TSeen() override { *seen_ = IsDestroying(); }
        bool* seen_;
    };
    bool seen = false;
    auto owner = new TComponent(nullptr);
    new TSeen(owner, &seen);
    delete owner;
    EXPECT_TRUE(seen);
}

TEST(Persistent, AssignFromAnUnrelatedClassIsAConversionError)
{
    TStrings lines;
    TComponent other(nullptr);
    EXPECT_THROW(lines.Assign(&other), EConvertError);
    EXPECT_THROW(lines.Assign(static_cast<const TPersistent*>(nullptr)), EConvertError);
    TStrings source;
    source.Add(L"a");
    lines.Assign(&source);
    EXPECT_EQ(1, lines.Count());
}

TEST(Strings, TextSplitsOnEveryLineEndAndBatchesNotifications)
{
    TStrings s;
    int changes = 0;
    s.OnChange = [&](TObject*) { ++changes; };
    s.SetText(L"a\r\nb\nc\rd");
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c", L"d"}), s.Items());
    EXPECT_EQ(L"a\r\nb\r\nc\r\nd\r\n", s.Text());
    changes = 0;
    s.BeginUpdate();
    s.Clear();
    s.Add(L"x");
    s.Add(L"y");
    EXPECT_EQ(0, changes);
    s.EndUpdate();
    EXPECT_EQ(1, changes);
    EXPECT_THROW(s.Delete(5), Exception);
}
