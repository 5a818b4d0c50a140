// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A drop-down list of the devices of one category, by friendly name, keeping each device's moniker. The seven
// device pickers are this one control with a row of the picker table each; compressor pickers start with
// "<no compression>", which stands for recording without a compressor.

#include "platform/com/ref_ptr.h"
#include "platform/devices/device_enum.h"

#include <QComboBox>

#include <functional>
#include <vector>

struct DevicePickerKind {
    Guid category;
    // "<no compression>" first, with no moniker.
    bool noCompressionFirst;
};

extern const DevicePickerKind kAudioCapturePicker;
extern const DevicePickerKind kVideoCapturePicker;
extern const DevicePickerKind kTVTunerPicker;
extern const DevicePickerKind kTVAudioPicker;
extern const DevicePickerKind kVideoCrossbarPicker;
extern const DevicePickerKind kVideoCompressionPicker;
extern const DevicePickerKind kAudioCompressionPicker;

inline constexpr const char* kNotAvailable = "<not available>";
inline constexpr const char* kNoCompression = "<no compression>";

// Makes the system device enumerator; tests hand in enumerators over their own providers.
using DeviceEnumFactory = std::function<HRESULT(ICreateDevEnum**)>;

class DevicePickerCombo : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString DefaultDevice READ GetDevice WRITE SetDevice)

public:
    DevicePickerCombo(const DevicePickerKind& kind, QWidget* parent, DeviceEnumFactory factory);
    ~DevicePickerCombo() override;

    // Lists the category's devices present now and selects the first; with none, shows "<not available>"
    // disabled. Runs when the control is made.
    void Init();
    // Takes its devices from factory from now on, and lists them afresh. Forms make their pickers with the
    // system's enumerator; a page given another one hands it over here.
    void useDevices(DeviceEnumFactory factory);
    // Selects the first entry named exactly name; otherwise the selection stays.
    void SetDevice(const QString& name);
    // The selected entry's name, "<not available>" when nothing is selected.
    QString GetDevice() const;
    // The selected entry's moniker, still owned by the entry; null without selection or for "<no
    // compression>".
    IMoniker* GetMoniker() const;
    // Selects the first entry whose moniker is equal to moniker; otherwise the selection stays.
    void SetMoniker(IMoniker* moniker);

    // Enumerates the category afresh and makes the object (interface iid) of the device named exactly name.
    // The last enumeration result when no device has that name, with object null.
    HRESULT FindByName(const Guid& iid, void** object, const QString& name);
    template <typename T> HRESULT FindByName(T** object, const QString& name) {
        return FindByName(T::IID, reinterpret_cast<void**>(object), name);
    }
    // FindByName with the control's current text.
    template <typename T> HRESULT GetBaseFilter(T** object) {
        return FindByName(T::IID, reinterpret_cast<void**>(object), currentText());
    }

    // A friendly name as listed: cut to 127 bytes of UTF-8 without splitting a character.
    static QString ListedName(const std::string& friendlyName);

private:
    void releaseEntries();

    const DevicePickerKind& kind_;
    DeviceEnumFactory factory_;
    // One per entry, in entry order; null for "<no compression>".
    std::vector<RefPtr<IMoniker>> monikers_;
};

// Compressor pickers name their property DefaultCodec and its accessors GetCodec / SetCodec.
class CodecPickerCombo : public DevicePickerCombo {
    Q_OBJECT
    Q_PROPERTY(QString DefaultCodec READ GetCodec WRITE SetCodec)

public:
    using DevicePickerCombo::DevicePickerCombo;
    QString GetCodec() const { return GetDevice(); }
    void SetCodec(const QString& name) { SetDevice(name); }
};
