#include "radio_page.h"

#include "ui_radio_page.h"

#include "components/mixer_presets.h"
#include "platform/win/clock.h"

namespace {
constexpr std::uint32_t kMuteSettleMs = 200;
} // namespace

RadioPage::RadioPage(Clock& clock, MixerPresets& presets, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::RadioPage>()), clock_(clock), presets_(presets) {
    ui->setupUi(this);
}

RadioPage::~RadioPage() = default;

void RadioPage::RadioTabSheetShow() {}

void RadioPage::leavePage() {
    presets_.ActionPreset(kPresetRadioMute);
    clock_.Sleep(kMuteSettleMs);
}

bool RadioPage::hasTunerDevice() const {
    return false;
}
