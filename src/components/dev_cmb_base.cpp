// SPDX-License-Identifier: GPL-2.0-or-later
#include "dev_cmb_base.h"

#include "platform/com/text_cut.h"

#include <QSignalBlocker>

const DevicePickerKind kAudioCapturePicker = {CLSID_AudioInputDeviceCategory, false};
const DevicePickerKind kVideoCapturePicker = {CLSID_VideoInputDeviceCategory, false};
const DevicePickerKind kTVTunerPicker = {AM_KSCATEGORY_TVTUNER, false};
const DevicePickerKind kTVAudioPicker = {AM_KSCATEGORY_TVAUDIO, false};
const DevicePickerKind kVideoCrossbarPicker = {AM_KSCATEGORY_CROSSBAR, false};
const DevicePickerKind kVideoCompressionPicker = {CLSID_VideoCompressorCategory, true};
const DevicePickerKind kAudioCompressionPicker = {CLSID_AudioCompressorCategory, true};

namespace {

// Names are kept as the platform kept them: at most 127 bytes.
constexpr std::size_t kMaxNameBytes = 127;

std::string ReadFriendlyName(IMoniker* moniker, bool& ok) {
    RefPtr<IPropertyBag> bag;
    std::string name;
    ok = SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IPropertyBag::IID,
                                          reinterpret_cast<void**>(bag.put()))) &&
         bag && SUCCEEDED(bag->Read("FriendlyName", &name));
    return name;
}

// Every device of the category, fetched one at a time; result is the last call's code.
template <typename Visit>
HRESULT ForEachDevice(const DeviceEnumFactory& factory, const Guid& category, Visit visit) {
    RefPtr<ICreateDevEnum> devEnum;
    HRESULT hr = factory ? factory(devEnum.put()) : E_POINTER;
    if (FAILED(hr) || !devEnum) {
        return FAILED(hr) ? hr : E_FAIL;
    }
    RefPtr<IEnumMoniker> monikers;
    hr = devEnum->CreateClassEnumerator(category, monikers.put(), 0);
    if (hr != S_OK || !monikers) {
        return hr;
    }
    monikers->Reset();
    IMoniker* fetched = nullptr;
    while (monikers->Next(1, &fetched, nullptr) == S_OK) {
        RefPtr<IMoniker> moniker = RefPtr<IMoniker>::adopt(fetched);
        if (!visit(moniker)) {
            break;
        }
    }
    return hr;
}

} // namespace

DevicePickerCombo::DevicePickerCombo(const DevicePickerKind& kind, QWidget* parent, DeviceEnumFactory factory)
    : QComboBox(parent), kind_(kind), factory_(std::move(factory)) {
    Init();
}

DevicePickerCombo::~DevicePickerCombo() {
    releaseEntries();
}

void DevicePickerCombo::releaseEntries() {
    monikers_.clear();
}

QString DevicePickerCombo::ListedName(const std::string& friendlyName) {
    return QString::fromUtf8(friendlyName.data(),
                             static_cast<qsizetype>(CutLength(friendlyName, kMaxNameBytes)));
}

void DevicePickerCombo::Init() {
    const QSignalBlocker blocker(this);
    releaseEntries();
    clear();
    setEditable(false);
    if (kind_.noCompressionFirst) {
        addItem(QString::fromLatin1(kNoCompression));
        monikers_.emplace_back();
    }
    ForEachDevice(factory_, kind_.category, [this](const RefPtr<IMoniker>& moniker) {
        bool ok = false;
        const std::string name = ReadFriendlyName(moniker.get(), ok);
        if (ok) {
            addItem(ListedName(name));
            monikers_.push_back(moniker);
        }
        return true;
    });
    if (count() == 0) {
        setEditable(true);
        setCurrentIndex(-1);
        setEditText(QString::fromLatin1(kNotAvailable));
        setEnabled(false);
    } else {
        setCurrentIndex(0);
        setEnabled(true);
    }
}

void DevicePickerCombo::useDevices(DeviceEnumFactory factory) {
    factory_ = std::move(factory);
    Init();
}

void DevicePickerCombo::SetDevice(const QString& name) {
    if (count() == 0) {
        return;
    }
    const int index = findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        setCurrentIndex(index);
    }
}

QString DevicePickerCombo::GetDevice() const {
    return currentIndex() >= 0 ? itemText(currentIndex()) : QString::fromLatin1(kNotAvailable);
}

IMoniker* DevicePickerCombo::GetMoniker() const {
    const int index = currentIndex();
    return index >= 0 && static_cast<std::size_t>(index) < monikers_.size()
               ? monikers_[static_cast<std::size_t>(index)].get()
               : nullptr;
}

void DevicePickerCombo::SetMoniker(IMoniker* moniker) {
    if (!moniker) {
        return;
    }
    for (std::size_t i = 0; i < monikers_.size(); ++i) {
        if (monikers_[i] && monikers_[i]->IsEqual(moniker) == S_OK) {
            setCurrentIndex(static_cast<int>(i));
            return;
        }
    }
}

HRESULT DevicePickerCombo::FindByName(const Guid& iid, void** object, const QString& name) {
    if (!object) {
        return E_POINTER;
    }
    *object = nullptr;
    const std::string wanted = name.toStdString();
    HRESULT found = S_FALSE;
    bool matched = false;
    // A name longer than the list keeps is also looked for by the text the list shows, so the entry the user
    // picked is the device that is made; a device bearing exactly that text still comes first.
    RefPtr<IMoniker> cut;
    const HRESULT listed = ForEachDevice(factory_, kind_.category, [&](const RefPtr<IMoniker>& moniker) {
        bool ok = false;
        const std::string friendly = ReadFriendlyName(moniker.get(), ok);
        if (ok && friendly == wanted) {
            found = moniker->BindToObject(nullptr, nullptr, iid, object);
            matched = true;
            return false;
        }
        if (ok && !cut && friendly.size() > kMaxNameBytes && ListedName(friendly) == name) {
            cut = moniker;
        }
        return true;
    });
    if (!matched && cut) {
        return cut->BindToObject(nullptr, nullptr, iid, object);
    }
    return matched ? found : listed;
}
