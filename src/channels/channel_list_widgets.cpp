// SPDX-License-Identifier: GPL-2.0-or-later
#include "channel_list_widgets.h"

#include "components/up_down.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>

#include <utility>

namespace {

template <typename T> T* Find(QWidget* page, const char* name) {
    return name ? page->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

ChannelListWidgets::ChannelListWidgets(QWidget* page, const ChannelListKind& kind,
                                       std::function<bool()> pageVisible)
    : QObject(page), page_(page), kind_(kind), pageVisible_(std::move(pageVisible)) {
    const ChannelListControlNames& names = kind.controls;
    list_ = Find<QListWidget>(page, names.list);
    nameEdit_ = Find<QLineEdit>(page, names.nameEdit);
    freqEdit_ = Find<QLineEdit>(page, names.freqEdit);
    freqUpDown_ = Find<UpDown>(page, names.freqUpDown);
    tunningLabel_ = Find<QLabel>(page, names.tunningLabel);
    nameShow_ = Find<QLineEdit>(page, names.nameShow);
    upDown_ = Find<UpDown>(page, names.upDown);
    standardPicker_ = Find<QComboBox>(page, names.standardPicker);
}

void ChannelListWidgets::bind(ChannelListEditor& editor) {
    editor_ = &editor;
    const ChannelListControlNames& names = kind_.controls;
    if (list_) {
        connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!updating_) {
                // A mouse press that moved the selection is followed by its click, which has nothing to add.
                selectedByPress_ = QGuiApplication::mouseButtons() != Qt::NoButton;
                editor_->list().select(row);
                editor_->select();
            }
        });
        // A click on the entry already selected selects it again, and so retunes it.
        connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
            if (std::exchange(selectedByPress_, false) || updating_ ||
                list_->row(item) != editor_->list().selectedIndex()) {
                return;
            }
            editor_->select();
        });
        connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
            const int row = list_->row(item);
            if (!updating_ && row >= 0 && row < editor_->list().count()) {
                editor_->list().at(row).enabled = item->checkState() == Qt::Checked;
            }
        });
    }
    if (nameEdit_) {
        connect(nameEdit_, &QLineEdit::textChanged, this,
                [this](const QString& text) { editor_->nameEditChange(text); });
    }
    if (freqEdit_) {
        connect(freqEdit_, &QLineEdit::returnPressed, this, [this] { editor_->freqEditKeyDown(kEnterKey); });
        freqEdit_->installEventFilter(this);
    }
    connectStepper(freqUpDown_, [this](StepDirection d) { editor_->freqUpDownChangingEx(d); });
    connectStepper(upDown_, [this](StepDirection d) { editor_->step(d); });
    connectButton(Find<QAbstractButton>(page_, names.addButton), [this] { editor_->addEntry(); });
    connectButton(Find<QAbstractButton>(page_, names.delButton), [this] { editor_->deleteEntry(); });
    connectButton(Find<QAbstractButton>(page_, names.upButton), [this] { editor_->moveUp(); });
    connectButton(Find<QAbstractButton>(page_, names.downButton), [this] { editor_->moveDown(); });
    connectButton(Find<QAbstractButton>(page_, names.sortFreqButton), [this] { editor_->sortByFrequency(); });
    connectButton(Find<QAbstractButton>(page_, names.sortNameButton), [this] { editor_->sortByName(); });
    if (standardPicker_) {
        const QSignalBlocker blocker(standardPicker_);
        standardPicker_->clear();
        for (const VideoStandardRow& standard : AnalogVideoStandardTable) {
            standardPicker_->addItem(QString::fromLatin1(standard.name), standard.value);
        }
        standardPicker_->setCurrentIndex(-1);
        connect(standardPicker_, &QComboBox::activated, this, [this] { editor_->standardChange(); });
    }
}

void ChannelListWidgets::connectStepper(UpDown* stepper, std::function<void(StepDirection)> handler) {
    if (stepper) {
        connect(stepper, &UpDown::changingEx, this, [handler = std::move(handler)](bool up) {
            handler(up ? StepDirection::Up : StepDirection::Down);
        });
    }
}

void ChannelListWidgets::connectButton(QAbstractButton* button, std::function<void()> handler) {
    if (button) {
        connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] { handler(); });
    }
}

bool ChannelListWidgets::eventFilter(QObject* watched, QEvent* event) {
    if (watched == freqEdit_ && event->type() == QEvent::FocusOut && editor_) {
        // Leaving the edit means focus going to another control of the window. Switching to another window
        // or opening the edit's context menu keeps it the active control, and must not retune.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            editor_->freqEditExit();
        }
    }
    return QObject::eventFilter(watched, event);
}

void ChannelListWidgets::showEntries(const ChannelList& list) {
    if (!list_) {
        return;
    }
    updating_ = true;
    list_->clear();
    for (const ChannelEntry& entry : list.entries()) {
        auto* item = new QListWidgetItem(entry.name, list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.enabled ? Qt::Checked : Qt::Unchecked);
    }
    list_->setCurrentRow(list.selectedIndex());
    updating_ = false;
}

void ChannelListWidgets::showEntryName(int index, const QString& name) {
    if (list_ && index >= 0 && index < list_->count()) {
        updating_ = true;
        list_->item(index)->setText(name);
        updating_ = false;
    }
}

void ChannelListWidgets::showSelection(int index) {
    if (list_) {
        updating_ = true;
        list_->setCurrentRow(index);
        updating_ = false;
    }
}

void ChannelListWidgets::setDescriptionText(const QString& text) {
    if (nameEdit_ && nameEdit_->text() != text) {
        nameEdit_->setText(text);
    }
}

void ChannelListWidgets::setNameShowText(const QString& text) {
    if (nameShow_) {
        nameShow_->setText(text);
    }
}

QString ChannelListWidgets::frequencyText() const {
    return freqEdit_ ? freqEdit_->text() : QString();
}

void ChannelListWidgets::setFrequencyText(const QString& text) {
    if (freqEdit_) {
        freqEdit_->setText(text);
    }
}

void ChannelListWidgets::setTunningText(const QString& text) {
    if (tunningLabel_) {
        tunningLabel_->setText(text);
    }
}

void ChannelListWidgets::selectStandard(std::int32_t value) {
    if (standardPicker_) {
        const QSignalBlocker blocker(standardPicker_);
        standardPicker_->setCurrentIndex(AnalogVideoStandardRow(value).value_or(-1));
    }
}

std::optional<std::int32_t> ChannelListWidgets::selectedStandard() const {
    if (!standardPicker_ || standardPicker_->currentIndex() < 0) {
        return std::nullopt;
    }
    return standardPicker_->currentData().toInt();
}

void ChannelListWidgets::showPicture(const ChannelEntry& entry) {
    if (pictureShower_) {
        pictureShower_(entry);
    }
}
