// SPDX-License-Identifier: GPL-2.0-or-later
#include "search_form.h"

#include "frequency_text.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <utility>

SearchForm::SearchForm(const QString& objectName, const FrequencySearchParameters& parameters, Clock& clock,
                       QWidget* parent)
    // On top like the main window, which would otherwise hide the dialog that blocks it.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      parameters_(parameters), clock_(clock) {
    setObjectName(objectName);
    setWindowTitle(QStringLiteral("Searching..."));
    setModal(true);
    auto* layout = new QGridLayout(this);
    auto addRow = [&](int row, const char* name, const QString& caption, const char* valueName,
                      const QString& value) {
        auto* label = new QLabel(caption, this);
        label->setObjectName(QString::fromLatin1(name));
        auto* shown = new QLabel(value, this);
        shown->setObjectName(QString::fromLatin1(valueName));
        layout->addWidget(label, row, 0);
        layout->addWidget(shown, row, 1);
        return shown;
    };
    // The band's first frequency in whole MHz until the sweep shows its own: "40" or "88".
    FreqLabel = addRow(0, "Label4", tr("Frequency (MHz):"), "FreqLabel",
                       QString::number(parameters.firstFreq / 1000000));
    UpdLabel = addRow(1, "Label1", tr("Updated:"), "UpdLabel", QStringLiteral("0"));
    AddLabel = addRow(2, "Label2", tr("New:"), "AddLabel", QStringLiteral("0"));
    BadLabel = addRow(3, "Label3", tr("Incorrect:"), "BadLabel", QStringLiteral("0"));
    // Wide enough for "800.00" in any font, so the dialog does not resize while it sweeps.
    FreqLabel->setMinimumWidth(FreqLabel->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")));
    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setDefault(true);
    layout->addWidget(CancelButton, 4, 0, 1, 2, Qt::AlignHCenter);
    connect(CancelButton, &QPushButton::clicked, this, &SearchForm::CancelButtonClick);
}

std::optional<SearchResult> SearchForm::ShowModal(SearchTuner& tuner, ChannelList& list,
                                                  std::function<void()> listChanged) {
    if (isVisible() || running()) {
        return std::nullopt;
    }
    tuner_ = &tuner;
    list_ = &list;
    listChanged_ = std::move(listChanged);
    result_.reset();
    // Cleared here rather than when the sweep starts, so an Escape pressed as the dialog appears counts.
    cancel_ = false;
    // Centred on the screen, not over the window that opened it.
    adjustSize();
    if (const QScreen* shownOn = screen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(shownOn->availableGeometry().center());
        move(placed.topLeft());
    }
    exec();
    tuner_ = nullptr;
    list_ = nullptr;
    listChanged_ = nullptr;
    return std::exchange(result_, std::nullopt);
}

void SearchForm::FormActivate() {
    if (!tuner_ || running()) {
        return;
    }
    SearchTuner& tuner = *std::exchange(tuner_, nullptr);
    clearedShown_ = false;
    search_.emplace(parameters_, tuner, clock_, *this);
    result_ = search_->run(*list_);
    // The close is posted, so the modal show returns from its own event loop.
    QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

void SearchForm::CancelButtonClick() {
    cancel_ = true;
}

void SearchForm::showFrequency(std::int32_t hz) {
    FreqLabel->setText(FormatFrequencyMHz(hz, QLocale()));
    if (!clearedShown_) {
        clearedShown_ = true;
        if (listChanged_) {
            listChanged_();
        }
    }
}

void SearchForm::found(const SearchFind&) {
    if (listChanged_) {
        listChanged_();
    }
}

void SearchForm::showCounts(const SearchCounts& counts) {
    UpdLabel->setText(QString::number(counts.updated));
    AddLabel->setText(QString::number(counts.added));
    BadLabel->setText(QString::number(counts.incorrect));
}

bool SearchForm::processPending() {
    QCoreApplication::processEvents();
    return !cancel_;
}

void SearchForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QMetaObject::invokeMethod(this, &SearchForm::FormActivate, Qt::QueuedConnection);
}

void SearchForm::closeEvent(QCloseEvent* event) {
    // A sweep closes its dialog when it ends; closing under it asks it to end.
    if (running() || tuner_) {
        event->ignore();
        CancelButtonClick();
        return;
    }
    QDialog::closeEvent(event);
}

void SearchForm::reject() {
    if (running() || tuner_) {
        CancelButtonClick();
        return;
    }
    QDialog::reject();
}

TTVSearchForm::TTVSearchForm(Clock& clock, QWidget* parent)
    : SearchForm(QStringLiteral("TVSearchForm"), kTVSearch, clock, parent) {}

TRadioSearchForm::TRadioSearchForm(Clock& clock, QWidget* parent)
    : SearchForm(QStringLiteral("RadioSearchForm"), kRadioSearch, clock, parent) {}
