#include "platform/com/com_object.h"
#include "platform/com/hresult.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct IAnimal : IUnknown {
    static constexpr Guid IID = Guid::of("{11111111-2222-3333-4444-555555555555}");
    virtual int legs() = 0;
};
struct IDog : IAnimal {
    using Parent = IAnimal;
    static constexpr Guid IID = Guid::of("{11111111-2222-3333-4444-666666666666}");
    virtual const char* bark() = 0;
};
struct IOwner : IUnknown {
    static constexpr Guid IID = Guid::of("{11111111-2222-3333-4444-777777777777}");
    virtual int pets() = 0;
};

struct INothing : IUnknown {
    static constexpr Guid IID = Guid::of("{00000000-0000-0000-0000-000000000001}");
};

class Dog final : public ComObject<IDog, IOwner> {
public:
    explicit Dog(int* destroyed) : destroyed_(destroyed) {}
    int legs() override { return 4; }
    const char* bark() override { return "woof"; }
    int pets() override { return 0; }

private:
    ~Dog() override { ++*destroyed_; }
    int* destroyed_;
};

} // namespace

TEST(Guid, ParsesAndPrintsTheBracedForm) {
    const auto guid = Guid::parse("{33d9a762-90c8-11d0-BD43-00A0C911CE86}");
    ASSERT_TRUE(guid.has_value());
    EXPECT_EQ(guid->data1, 0x33D9A762u);
    EXPECT_EQ(guid->data2, 0x90C8u);
    EXPECT_EQ(guid->data3, 0x11D0u);
    EXPECT_EQ(guid->data4[0], 0xBD);
    EXPECT_EQ(guid->data4[7], 0x86);
    EXPECT_EQ(guid->toString(), "{33D9A762-90C8-11D0-BD43-00A0C911CE86}");
    EXPECT_EQ(Guid::parse("33D9A762-90C8-11D0-BD43-00A0C911CE86"), guid);
}

TEST(Guid, RejectsMalformedText) {
    for (const char* bad :
         {"", "{}", "{33D9A762-90C8-11D0-BD43-00A0C911CE8}", "{33D9A762+90C8-11D0-BD43-00A0C911CE86}",
          "{33D9A762-90C8-11D0-BD43-00A0C911CE8G}", "{33D9A762-90C8-11D0-BD43-00A0C911CE86"}) {
        EXPECT_FALSE(Guid::parse(bad).has_value()) << bad;
    }
    EXPECT_TRUE(Guid{}.isNull());
}

TEST(ResultCodes, HaveTheirTextsAndErrnoCodesCarryTheSystemText) {
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(SUCCEEDED(VFW_S_NOPREVIEWPIN));
    EXPECT_EQ(FormatMessage(E_NOINTERFACE), "No such interface supported.");
    EXPECT_EQ(FormatMessage(VFW_E_NOT_CONNECTED),
              "The operation cannot be performed because the pins are not connected.");
    const HRESULT noSpace = HResultFromErrno(ENOSPC);
    EXPECT_TRUE(FAILED(noSpace));
    EXPECT_TRUE(IsErrnoResult(noSpace));
    EXPECT_FALSE(IsErrnoResult(E_FAIL));
    EXPECT_EQ(FormatMessage(noSpace), "No space left on device");
    EXPECT_EQ(FormatMessage(MakeHResult(0x80991234u)), "Unknown error 0x80991234.");
}

TEST(ComObject, LooksUpEveryInterfaceAndItsParentsAndCountsReferences) {
    int destroyed = 0;
    {
        RefPtr<IDog> dog = MakeCom<Dog>(&destroyed);
        RefPtr<IAnimal> animal = query<IAnimal>(dog);
        ASSERT_TRUE(animal);
        EXPECT_EQ(animal->legs(), 4);
        RefPtr<IOwner> owner = query<IOwner>(animal);
        ASSERT_TRUE(owner);
        RefPtr<IUnknown> a = query<IUnknown>(dog);
        RefPtr<IUnknown> b = query<IUnknown>(owner);
        EXPECT_EQ(a.get(), b.get()) << "identity must not depend on the interface asked through";

        EXPECT_FALSE(query<INothing>(dog));
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(dog->QueryInterface(INothing::IID, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(dog->QueryInterface(IDog::IID, nullptr), E_POINTER);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1) << "the last release destroys the object exactly once";
}

TEST(RefPtr, OutParametersAdoptAndCopiesShare) {
    int destroyed = 0;
    RefPtr<IDog> dog = MakeCom<Dog>(&destroyed);
    IDog* raw = nullptr;
    EXPECT_EQ(CopyOut(dog.get(), &raw), S_OK);
    RefPtr<IDog> adopted = RefPtr<IDog>::adopt(raw);
    dog = nullptr;
    EXPECT_EQ(destroyed, 0);
    RefPtr<IDog> copy = adopted;
    adopted.reset();
    EXPECT_EQ(destroyed, 0);
    IDog** slot = copy.put();
    EXPECT_EQ(destroyed, 1) << "put() releases what was held";
    EXPECT_EQ(*slot, nullptr);
    EXPECT_EQ((CopyOut<IDog, IDog>(nullptr, &raw)), E_FAIL);
    EXPECT_EQ((CopyOut<IDog, IDog>(nullptr, nullptr)), E_POINTER);
}
