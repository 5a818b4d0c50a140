#pragma once
// The two frequency search dialogs, created hidden at start. The sweep itself joins them with the frequency
// search issue; both dialogs already carry their caption, labels and Cancel button.

#include <QDialog>

class QLabel;
class QPushButton;

class SearchForm : public QDialog {
    Q_OBJECT
public:
    QLabel* FreqLabel = nullptr;
    QLabel* UpdLabel = nullptr;
    QLabel* AddLabel = nullptr;
    QLabel* BadLabel = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    SearchForm(const QString& objectName, const QString& firstFrequency, QWidget* parent);
};

class TTVSearchForm final : public SearchForm {
    Q_OBJECT
public:
    explicit TTVSearchForm(QWidget* parent = nullptr);
};

class TRadioSearchForm final : public SearchForm {
    Q_OBJECT
public:
    explicit TRadioSearchForm(QWidget* parent = nullptr);
};
