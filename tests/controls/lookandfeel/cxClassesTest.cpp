#include "controls/lookandfeel/cxClasses.h"

#include <gtest/gtest.h>

using namespace qv;

namespace {

class TLinkedComponent : public TcxComponent {
public:
    using TcxComponent::TcxComponent;
    void Design() { SetComponentState(csDesigning); }
    std::vector<TComponent*> links;

protected:
    void GetFakeComponentLinks(std::vector<TComponent*>& list) override { list = links; }
};

const TClassInfo kShape{L"TShape"};
const TClassInfo kCircle{L"TCircle", &kShape};
const TClassInfo kOtherCircle{L"TCIRCLE"};

} // namespace

TEST(CxClasses, InterfacedPersistentReportsItsOwner)
{
    TStrings owner;
    TcxInterfacedPersistent p(&owner);
    EXPECT_EQ(&owner, p.Owner());
    EXPECT_EQ(&owner, p.GetOwner());
    TcxInterfacedPersistent orphan(nullptr);
    EXPECT_EQ(nullptr, orphan.GetOwner());
}

TEST(CxClasses, ComponentLinksAreFilledAfterLoadingOnlyWhileDesigningAndOwned)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);

    auto* running = new TLinkedComponent(&owner);
    running->links = {a, b};
    running->Loaded();
    EXPECT_EQ(nullptr, running->FakeComponentLink1()) << "nothing at run time";

    TLinkedComponent unowned(nullptr);
    unowned.Design();
    unowned.links = {a};
    unowned.Loaded();
    EXPECT_EQ(nullptr, unowned.FakeComponentLink1());

    auto* designed = new TLinkedComponent(&owner);
    designed->Design();
    designed->links = {a, b};
    designed->Loaded();
    EXPECT_EQ(a, designed->FakeComponentLink1());
    EXPECT_EQ(b, designed->FakeComponentLink2());
    EXPECT_EQ(nullptr, designed->FakeComponentLink3()) << "missing entries are nil";

    // A linked component that goes is dropped from the links.
    delete a;
    EXPECT_EQ(nullptr, designed->FakeComponentLink1());
    EXPECT_EQ(b, designed->FakeComponentLink2());
}

TEST(CxClasses, RegisteredClassesKeepEachClassOnceAndRegisterWithTheFramework)
{
    {
        TcxRegisteredClasses list;
        list.RegisterClassItem(&kShape, L"Shape");
        list.RegisterClassItem(&kCircle, L"Circle");
        list.RegisterClassItem(&kShape, L"Shape again");
        ASSERT_EQ(2, list.Count());
        EXPECT_EQ(&kShape, list.Items(0));
        EXPECT_EQ(L"Shape", list.Descriptions(0));
        EXPECT_EQ(&kCircle, list.FindByClassName(L"tcircle"));
        EXPECT_EQ(&kCircle, list.FindByDescription(L"Circle"));
        EXPECT_EQ(nullptr, list.FindByDescription(L"circle"));
        EXPECT_EQ(L"Circle", list.GetDescriptionByClass(&kCircle));
        EXPECT_EQ(nullptr, GetPersistentClass(L"TShape")) << "this list does not register";
        list.UnregisterClassItem(&kShape);
        EXPECT_EQ(0, list.IndexOf(&kCircle));
        list.Clear();
        EXPECT_EQ(0, list.Count());
    }

    TcxRegisteredClasses registering(true);
    registering.RegisterClassItem(&kCircle, L"Circle");
    EXPECT_EQ(&kCircle, GetPersistentClass(L"TCircle"));
    EXPECT_EQ(&kCircle, FindPersistentClass(L"tcircle"));
    EXPECT_TRUE(kCircle.InheritsFrom(&kShape));
    EXPECT_FALSE(kShape.InheritsFrom(&kCircle));
    // Another class under a taken name is refused and not listed.
    EXPECT_THROW(registering.RegisterClassItem(&kOtherCircle, L"Other"), Exception);
    EXPECT_EQ(1, registering.Count());
    EXPECT_THROW(FindPersistentClass(L"TSquare"), EClassNotFound);
    try {
        FindPersistentClass(L"TSquare");
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(L"Class TSquare not found", e.Message());
    }
    UnregisterPersistentClass(&kCircle);
    EXPECT_EQ(nullptr, GetPersistentClass(L"TCircle"));
}
