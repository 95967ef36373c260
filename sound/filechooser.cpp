// SPDX-License-Identifier: GPL-3.0-or-later
#include "filechooser.h"

#include <QFileDialog>

namespace krumlix {

DialogFileChooser::DialogFileChooser(QWidget *parent, Mode mode, const QString &filter,
                                     const QString &defaultSuffix)
    : parent_(parent), mode_(mode), filter_(filter), defaultSuffix_(defaultSuffix) {}

QFileDialog *DialogFileChooser::dialog() {
    if (dialog_)
        return dialog_;
    dialog_ = new QFileDialog(parent_);
    dialog_->setNameFilter(filter_);
    dialog_->setDefaultSuffix(defaultSuffix_);
    // The chosen file need not exist.
    dialog_->setFileMode(QFileDialog::AnyFile);
    if (mode_ == Mode::Save) {
        dialog_->setAcceptMode(QFileDialog::AcceptSave);
        // A scheme of the same name is replaced without asking.
        dialog_->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    }
    return dialog_;
}

DialogFileChooser::~DialogFileChooser() = default; // the parent owns the dialog

bool DialogFileChooser::execute() {
    QFileDialog *files = dialog();
    // Never the folder Qt remembers from the last dialog of any program.
    if (!startFolder.isEmpty())
        files->setDirectory(startFolder);
    if (!fileName.isEmpty())
        files->selectFile(fileName);
    if (files->exec() != QDialog::Accepted || files->selectedFiles().isEmpty())
        return false;
    fileName = files->selectedFiles().constFirst();
    return true;
}

} // namespace krumlix
