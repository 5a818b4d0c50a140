// SPDX-License-Identifier: GPL-2.0-or-later
#include "open_dialog.h"

#include <QFileDialog>

namespace {

struct FilterEntry {
    const char* label;
    const char* patterns;
};

// "*.*" names every file; here a file name need not have a dot for that.
constexpr FilterEntry kOpenFilters[] = {
    {"*.*", "*"},
    {"Audio files", "*.mp? *.wav *.mid *.wma"},
    {"Video files", "*.mpg *.mpeg *.avi *.wmv"},
    {"Windows Media", "*.wm? *.as?"},
};

QString FilterText() {
    QStringList filters;
    for (const FilterEntry& entry : kOpenFilters) {
        filters << QStringLiteral("%1 (%2)").arg(QLatin1String(entry.label), QLatin1String(entry.patterns));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

bool QtOpenDialog::Execute(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilter(FilterText());
    dialog.setDefaultSuffix(QStringLiteral("avi"));
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    Files = dialog.selectedFiles();
    FileName = Files.first();
    return true;
}
