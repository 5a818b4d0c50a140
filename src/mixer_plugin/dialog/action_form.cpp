// SPDX-License-Identifier: LGPL-2.1-or-later
#include "action_form.h"

#include "action_form_logic.h"
#include "ui_action_form.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>

#include <algorithm>

namespace faderix {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// One image per tree icon number: device, first destination, second destination, line, Volume control,
// Switch control or list item, List control.
QIcon treeIcon(const QStyle* style, int icon) {
    static constexpr QStyle::StandardPixmap kPixmaps[] = {
        QStyle::SP_ComputerIcon,      QStyle::SP_MediaVolume, QStyle::SP_DriveCDIcon,
        QStyle::SP_DirIcon,           QStyle::SP_MediaVolume, QStyle::SP_DialogApplyButton,
        QStyle::SP_FileDialogListView};
    if (icon < 0 || icon >= static_cast<int>(std::size(kPixmaps))) {
        return {};
    }
    return style->standardIcon(kPixmaps[icon]);
}

} // namespace

TActionForm::TActionForm(MixerBackend& backend, const ShowMixerError& showError, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TActionForm>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    ui_->IDLabel->hide();
    ui_->TreeView->setIconSize(QSize(16, 16));
    ui_->ListView->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    connect(ui_->TreeView, &QTreeWidget::currentItemChanged, this, [this] { TreeViewChange(); });
    connect(ui_->ActionCombo, qOverload<int>(&QComboBox::activated), this, [this] { ActionComboChange(); });
    connect(ui_->ListView, &QTreeWidget::currentItemChanged, this, [this] { ListViewSelectItem(); });
    connect(ui_->ListView, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* row) { ListViewChange(row); });
    connect(ui_->CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate(backend, showError);
}

TActionForm::~TActionForm() = default;

QTreeWidget* TActionForm::treeView() const {
    return ui_->TreeView;
}
QTreeWidget* TActionForm::listView() const {
    return ui_->ListView;
}
QComboBox* TActionForm::actionCombo() const {
    return ui_->ActionCombo;
}
QLabel* TActionForm::idLabel() const {
    return ui_->IDLabel;
}

QTreeWidgetItem* TActionForm::treeItemOf(int node) const {
    return node >= 0 && node < static_cast<int>(treeItems_.size()) ? treeItems_[node] : nullptr;
}

void TActionForm::FormCreate(MixerBackend& backend, const ShowMixerError& showError) {
    tree_ = buildMixerTree(backend, showError);
    treeItems_.clear();
    for (int i = 0; i < static_cast<int>(tree_.nodes.size()); ++i) {
        const MixerTreeNode& node = tree_.nodes[i];
        auto* item = node.parent < 0 ? new QTreeWidgetItem(ui_->TreeView)
                                     : new QTreeWidgetItem(treeItems_[node.parent]);
        item->setText(0, QString::fromStdString(node.caption));
        item->setIcon(0, treeIcon(style(), node.icon));
        item->setData(0, kNodeRole, i);
        treeItems_.push_back(item);
    }
    for (int i = 0; i < static_cast<int>(tree_.nodes.size()); ++i) {
        if (tree_.nodes[i].level == 0) {
            treeItems_[i]->setExpanded(true);
        }
    }
}

void TActionForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TActionForm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) {
        FormHide();
    }
}

void TActionForm::FormShow() {
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        resize(std::max(minimumWidth(), area.width() / 3), std::max(minimumHeight(), area.height() / 2));
        move(area.center() - rect().center());
    }
    if (EditedPreset != nullptr) {
        loadPresetIntoTree(tree_, *EditedPreset);
    }
    TreeViewChange();
    refillControlList();
    if (QTreeWidgetItem* first = ui_->ListView->topLevelItem(0)) {
        const QSignalBlocker blocker(ui_->ListView);
        ui_->ListView->setCurrentItem(first);
        ListViewSelectItem();
    }
}

void TActionForm::FormHide() {
    if (EditedPreset != nullptr) {
        *EditedPreset = presetFromTree(tree_);
    }
}

int TActionForm::selectedNode() const {
    const QTreeWidgetItem* item = ui_->TreeView->currentItem();
    return item ? item->data(0, kNodeRole).toInt() : -1;
}

void TActionForm::TreeViewChange() {
    const ActionComboState state = actionComboFor(tree_, selectedNode());
    const QSignalBlocker blocker(ui_->ActionCombo);
    ui_->ActionCombo->clear();
    for (const std::string& entry : state.entries) {
        ui_->ActionCombo->addItem(QString::fromStdString(entry));
    }
    ui_->ActionCombo->setCurrentIndex(state.selected);
    ui_->ActionCombo->setEnabled(state.enabled);
    ui_->IDLabel->setText(QString::fromStdString(state.idLabel.value_or("ID")));
    ui_->IDLabel->setVisible(state.idLabel.has_value());
}

void TActionForm::ActionComboChange() {
    chooseAction(tree_, selectedNode(), ui_->ActionCombo->currentIndex());
    refillControlList();
}

void TActionForm::refillControlList() {
    Refreshing = true;
    ui_->ListView->clear();
    for (const ControlRow& row : controlRows(tree_)) {
        auto* item = new QTreeWidgetItem(ui_->ListView);
        item->setText(0, QString::fromStdString(row.control));
        item->setText(1, QString::fromStdString(row.action));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.checked ? Qt::Checked : Qt::Unchecked);
    }
    Refreshing = false;
}

void TActionForm::selectNode(int node) {
    if (QTreeWidgetItem* item = treeItemOf(node)) {
        const QSignalBlocker blocker(ui_->TreeView);
        ui_->TreeView->setCurrentItem(item);
        ui_->TreeView->scrollToItem(item);
    }
    TreeViewChange();
}

void TActionForm::ListViewSelectItem() {
    const QTreeWidgetItem* row = ui_->ListView->currentItem();
    if (row == nullptr) {
        return;
    }
    const int node = nodeForRow(tree_, row->text(0).toStdString());
    if (node >= 0) {
        selectNode(node);
    }
}

void TActionForm::ListViewChange(QTreeWidgetItem* changed) {
    if (Refreshing) {
        return;
    }
    std::vector<ControlRow> rows;
    int changedRow = -1;
    for (int i = 0; i < ui_->ListView->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ui_->ListView->topLevelItem(i);
        rows.push_back(
            {row->text(0).toStdString(), row->text(1).toStdString(), row->checkState(0) == Qt::Checked});
        if (row == changed) {
            changedRow = i;
        }
    }
    applyRowChecks(tree_, rows, changedRow);
    Refreshing = true;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        ui_->ListView->topLevelItem(i)->setCheckState(0, rows[i].checked ? Qt::Checked : Qt::Unchecked);
    }
    Refreshing = false;
}

} // namespace faderix
