// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filechooser.h"
#include "platform/appcontext.h"
#include "soundevent.h"
#include "widgets/gamedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <memory>

namespace krumlix {

/// The sound window: a wave file and an enable for each of the twelve
/// events, the "Sound on" switch, and sound schemes. Its controls are the
/// live sound settings.
class TSound : public GameDialog {
    Q_OBJECT
public:
    TSound(AppContext &context, QWidget *parent);
    ~TSound() override;

    /// Plays event `e` (1..12) when sound is on and the event enabled.
    void PlayEventSound(int e);
    void PlaySoundFile(const QByteArray &path);
    void StopSound();

    void CheckBox1Click();
    void chooseFile(int e); ///< "Choose file..." of row e
    void playRow(int e);    ///< "Play" of row e
    void ComboBox1Enter();  ///< refresh the scheme list
    void ComboBox1Change(); ///< load the scheme named in the box
    void Button13Click();   ///< "Save scheme as..."
    void FormActivate();
    void Button15Click() { close(); }

    /// The path holder of event e: the full path, verbatim bytes.
    const QByteArray &path(int e) const { return paths_.at(static_cast<std::size_t>(e - 1)); }
    void setPath(int e, const QByteArray &path);
    /// Shows the file-name part of event e's path in its name label.
    void showFileName(int e);
    /// Shortens a name label to at most 160 pixels.
    static void FitFileNameLabel(QLabel *label);
    /// The file-name part of a path: after its last separator or colon.
    static QByteArray fileNamePart(const QByteArray &path);

    QCheckBox *enableBox(int e) const { return enableBoxes_.at(static_cast<std::size_t>(e - 1)); }
    QLabel *nameLabel(int e) const { return nameLabels_.at(static_cast<std::size_t>(e - 1)); }
    QPushButton *chooseButton(int e) const {
        return chooseButtons_.at(static_cast<std::size_t>(e - 1));
    }
    QPushButton *playButton(int e) const {
        return playButtons_.at(static_cast<std::size_t>(e - 1));
    }

    QGroupBox *GroupBox1 = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QCheckBox *CheckBox1 = nullptr; ///< "Sound on"
    QComboBox *ComboBox1 = nullptr; ///< the scheme box
    QPushButton *Button13 = nullptr;
    QPushButton *Button15 = nullptr;
    std::unique_ptr<FileChooser> OpenDialog1;
    std::unique_ptr<FileChooser> SaveDialog1;

    static constexpr int NameLabelMaxWidth = 160;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString inProgramDir(const QString &name) const;
    /// A path as the player gives it, relative ones taken in ProgramDir.
    QByteArray playable(const QByteArray &path) const;
    void setSchemeText(const QString &text);

    AppContext &context_;
    std::array<QByteArray, SoundEventCount> paths_;
    std::array<QLabel *, SoundEventCount> pathHolders_{};
    std::array<QCheckBox *, SoundEventCount> enableBoxes_{};
    std::array<QLabel *, SoundEventCount> nameLabels_{};
    std::array<QPushButton *, SoundEventCount> chooseButtons_{};
    std::array<QPushButton *, SoundEventCount> playButtons_{};
};

} // namespace krumlix
