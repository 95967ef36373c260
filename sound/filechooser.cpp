// SPDX-License-Identifier: GPL-3.0-or-later
#include "filechooser.h"

#include <QFileDialog>

namespace krumlix {

DialogFileChooser::DialogFileChooser(QWidget *parent, Mode mode, const QString &filter,
                                     const QString &defaultSuffix)
    : dialog_(new QFileDialog(parent)) {
    dialog_->setNameFilter(filter);
    dialog_->setDefaultSuffix(defaultSuffix);
    if (mode == Mode::Save) {
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        dialog_->setFileMode(QFileDialog::AnyFile);
        // A scheme of the same name is replaced without asking.
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog_->setAcceptMode(QFileDialog::AcceptOpen);
        // The chosen file need not exist.
        dialog_->setFileMode(QFileDialog::AnyFile);
    }
}

DialogFileChooser::~DialogFileChooser() = default; // the parent owns the dialog

bool DialogFileChooser::execute() {
    if (!fileName.isEmpty())
        dialog_->selectFile(fileName);
    if (dialog_->exec() != QDialog::Accepted || dialog_->selectedFiles().isEmpty())
        return false;
    fileName = dialog_->selectedFiles().constFirst();
    return true;
}

} // namespace krumlix
