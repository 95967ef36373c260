// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;
class QFileDialog;

namespace krumlix {

/// A file dialog that keeps the name last chosen in it, as the sound window
/// uses them. `execute` shows it; on true `fileName` holds the choice.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual bool execute() = 0;
    QString fileName;
    /// The folder the dialog shows, unless `fileName` names a file in
    /// another folder.
    QString startFolder;
};

/// The standard dialog of the desktop, for opening or for saving.
class DialogFileChooser final : public FileChooser {
public:
    enum class Mode { Open, Save };
    /// `filter` as "Sound files (*.wav)"; `defaultSuffix` is added to a typed
    /// name without one.
    DialogFileChooser(QWidget *parent, Mode mode, const QString &filter,
                      const QString &defaultSuffix = QString());
    ~DialogFileChooser() override;
    bool execute() override;

private:
    // Made on first use: a file dialog watches the file system from threads
    // of its own, which the game need not start until a player asks.
    QFileDialog *dialog();

    QWidget *parent_;
    Mode mode_;
    QString filter_;
    QString defaultSuffix_;
    QFileDialog *dialog_ = nullptr;
};

} // namespace krumlix
