#include "search_form.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

SearchForm::SearchForm(const QString& objectName, const QString& firstFrequency, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
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
    FreqLabel = addRow(0, "Label4", tr("Frequency (MHz):"), "FreqLabel", firstFrequency);
    UpdLabel = addRow(1, "Label1", tr("Updated:"), "UpdLabel", QStringLiteral("0"));
    AddLabel = addRow(2, "Label2", tr("New:"), "AddLabel", QStringLiteral("0"));
    BadLabel = addRow(3, "Label3", tr("Incorrect:"), "BadLabel", QStringLiteral("0"));
    CancelButton = new QPushButton(tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setDefault(true);
    layout->addWidget(CancelButton, 4, 0, 1, 2, Qt::AlignHCenter);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TTVSearchForm::TTVSearchForm(QWidget* parent)
    : SearchForm(QStringLiteral("TVSearchForm"), QStringLiteral("40"), parent) {}

TRadioSearchForm::TRadioSearchForm(QWidget* parent)
    : SearchForm(QStringLiteral("RadioSearchForm"), QStringLiteral("60"), parent) {}
