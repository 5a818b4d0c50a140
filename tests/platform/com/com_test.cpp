// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/com/com_object.h"
#include "platform/com/hresult.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ios>
#include <set>
#include <string>
#include <utility>
#include <vector>

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
    // Codes below 0x10000000 keep their leading zeros, and an unknown success code is no errno code.
    EXPECT_EQ(FormatMessage(MakeHResult(0x00041234u)), "Unknown error 0x00041234.");
    EXPECT_EQ(FormatMessage(MakeHResult(0x00FF0002u)), "Unknown error 0x00FF0002.");
}

TEST(ResultCodes, EveryListedCodeHasItsOwnText) {
    const std::vector<std::pair<HRESULT, std::string>> texts = {
        {S_OK, "The operation completed successfully."},
        {S_FALSE, "The operation completed, but not fully."},
        {E_NOTIMPL, "Not implemented."},
        {E_NOINTERFACE, "No such interface supported."},
        {E_POINTER, "Invalid pointer."},
        {E_ABORT, "Operation aborted."},
        {E_FAIL, "Unspecified error."},
        {E_UNEXPECTED, "Catastrophic failure."},
        {E_ACCESSDENIED, "Access is denied."},
        {E_HANDLE, "The handle is invalid."},
        {E_OUTOFMEMORY, "Not enough storage is available to complete this operation."},
        {E_INVALIDARG, "The parameter is incorrect."},
        {VFW_S_STATE_INTERMEDIATE, "The state transition has not completed."},
        {VFW_S_NOPREVIEWPIN, "Preview was rendered through the Smart Tee filter, because the capture filter "
                             "does not have a preview pin."},
        {VFW_E_INVALIDMEDIATYPE, "The specified media type is invalid."},
        {VFW_E_NEED_OWNER, "This object requires an owner window."},
        {VFW_E_ALREADY_CONNECTED,
         "The operation cannot be performed because the pins are already connected."},
        {VFW_E_NO_ACCEPTABLE_TYPES, "There is no common media type between these pins."},
        {VFW_E_INVALID_DIRECTION, "The pin is in the wrong direction for this operation."},
        {VFW_E_NOT_CONNECTED, "The operation cannot be performed because the pins are not connected."},
        {VFW_E_NOT_FOUND, "An object or name was not found."},
        {VFW_E_CANNOT_CONNECT,
         "No combination of intermediate filters could be found to make the connection."},
        {VFW_E_CANNOT_RENDER, "No combination of filters could be found to render the stream."},
        {VFW_E_WRONG_STATE, "The operation could not be performed because the filter is in the wrong state."},
        {VFW_E_NOT_STOPPED, "The operation could not be performed because the filter is not stopped."},
        {VFW_E_UNKNOWN_FILE_TYPE, "The media type of this file is not recognized."},
        {VFW_E_UNSUPPORTED_STREAM, "Cannot play back the file. The format is not supported."},
        {VFW_E_NO_AUDIO_HARDWARE, "Cannot play back the audio stream: no audio hardware is available."},
        {VFW_E_FILE_TOO_SHORT, "The file is too short."},
        {VFW_E_NOT_RUNNING, "The operation could not be performed because the filter is not running."},
        {VFW_E_TIMEOUT, "The operation timed out."},
        {VFW_E_DDRAW_CAPS_NOT_SUITABLE, "The display is not suitable for video."},
        {VFW_E_NOT_IN_GRAPH, "The operation cannot be performed on a filter that is not in a graph."},
    };
    std::set<HRESULT> codes;
    for (const auto& [code, text] : texts) {
        EXPECT_EQ(FormatMessage(code), text) << std::hex << code;
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), texts.size()) << "two names share one code";
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
