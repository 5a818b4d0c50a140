// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "../mixer_backend.h"
#include "../mixer_model.h"
#include "../preset.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class TActionForm;
}

namespace faderix {

// The modal dialog in which the user edits one preset. It edits the tree entries and writes the result
// back into `EditedPreset` when it is hidden, however it was closed.
class TActionForm final : public QDialog {
    Q_OBJECT

public:
    TActionForm(MixerBackend& backend, const ShowMixerError& showError, QWidget* parent = nullptr);
    ~TActionForm() override;

    void setEditedPreset(Preset* preset) { EditedPreset = preset; }
    const MixerTree& mixerTree() const { return tree_; }

    // Handlers with the dialog's own names; the Qt events and signals below call them.
    void FormCreate(MixerBackend& backend, const ShowMixerError& showError);
    void FormShow();
    void FormHide();
    void TreeViewChange();
    void ActionComboChange();
    void ListViewSelectItem();
    void ListViewChange(QTreeWidgetItem* row);

    // Widgets, for hosts of the form (tests) that drive it like a user.
    QTreeWidget* treeView() const;
    QTreeWidget* listView() const;
    QComboBox* actionCombo() const;
    QLabel* idLabel() const;
    QTreeWidgetItem* treeItemOf(int node) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int selectedNode() const;
    void refillControlList();
    void selectNode(int node);

    std::unique_ptr<Ui::TActionForm> ui_;
    MixerTree tree_;
    std::vector<QTreeWidgetItem*> treeItems_; // by node index
    Preset* EditedPreset = nullptr;
    bool Refreshing = false;
};

} // namespace faderix
