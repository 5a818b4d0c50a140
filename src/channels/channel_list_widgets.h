// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Binds the controls of one channel list (found below a page by the names in the kind table) to its editor:
// the controls show the list, and the user's actions run the editor's handlers. Programmatic changes of the
// controls never run a handler, except the description edit, whose handler runs on every change of its text.

#include "channel_list_editor.h"
#include "channel_list_view.h"

#include <QObject>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QWidget;
class UpDown;

class ChannelListWidgets final : public QObject, public ChannelListView {
public:
    // pageVisible answers whether the list's page is the one shown.
    ChannelListWidgets(QWidget* page, const ChannelListKind& kind, std::function<bool()> pageVisible);

    // Connects the controls to the editor; call once the editor exists. Fills the standard picker.
    void bind(ChannelListEditor& editor);
    // Moves the page's picture sliders to an entry's values; the picture controls set this up.
    void setPictureShower(std::function<void(const ChannelEntry&)> shower) {
        pictureShower_ = std::move(shower);
    }

    void showEntries(const ChannelList& list) override;
    void showEntryName(int index, const QString& name) override;
    void showSelection(int index) override;
    void setDescriptionText(const QString& text) override;
    void setNameShowText(const QString& text) override;
    QString frequencyText() const override;
    void setFrequencyText(const QString& text) override;
    void setTunningText(const QString& text) override;
    bool isPageVisible() const override { return pageVisible_ && pageVisible_(); }
    void selectStandard(std::int32_t value) override;
    std::optional<std::int32_t> selectedStandard() const override;
    void showPicture(const ChannelEntry& entry) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A stepper's arrows give a direction; its position means nothing.
    void connectStepper(UpDown* stepper, std::function<void(StepDirection)> handler);
    void connectButton(QAbstractButton* button, std::function<void()> handler);

    QListWidget* list_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* freqEdit_ = nullptr;
    UpDown* freqUpDown_ = nullptr;
    QLabel* tunningLabel_ = nullptr;
    QLineEdit* nameShow_ = nullptr;
    UpDown* upDown_ = nullptr;
    QComboBox* standardPicker_ = nullptr;
    QWidget* page_;
    const ChannelListKind& kind_;
    std::function<bool()> pageVisible_;
    std::function<void(const ChannelEntry&)> pictureShower_;
    ChannelListEditor* editor_ = nullptr;
    // Set while the list widget is changed from here, so its signals do not run handlers.
    bool updating_ = false;
    // Set when the selection moved under a mouse press, cleared by the click that ends it.
    bool selectedByPress_ = false;
};
