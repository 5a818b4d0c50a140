#include "tv_page.h"

#include "ui_tv_page.h"

#include "components/mixer_presets.h"
#include "platform/win/clock.h"
#include "view/video_target.h"

namespace {
constexpr int kSignalIntervalMs = 1000;
constexpr std::uint32_t kMuteSettleMs = 200;
} // namespace

TVPage::TVPage(Clock& clock, MixerPresets& presets, QWidget* parent)
    : QWidget(parent), TVSignalTimer(new QTimer(this)), ui(std::make_unique<Ui::TVPage>()), clock_(clock),
      presets_(presets) {
    ui->setupUi(this);
    TVSignalTimer->setObjectName(QStringLiteral("TVSignalTimer"));
    TVSignalTimer->setInterval(kSignalIntervalMs);
}

TVPage::~TVPage() = default;

void TVPage::TVTabSheetShow() {
    DetachVideo();
    TVSignalTimer->start();
    presets_.ActionPreset(kPresetTVUnmute);
}

void TVPage::leavePage() {
    presets_.ActionPreset(kPresetTVMute);
    // The mixer settles before the tuner or the graph is touched.
    clock_.Sleep(kMuteSettleMs);
    TVSignalTimer->stop();
}

bool TVPage::hasVideoCaptureDevice() const {
    return false;
}

void TVPage::TVChanUpDownChangingEx(bool, int) {}

int TVPage::TVChanUpDownPosition() const {
    return 0;
}
