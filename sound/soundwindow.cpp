// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundwindow.h"

#include "platform/textfile.h"
#include "widgets/windowlook.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QShowEvent>

namespace krumlix {
namespace {

constexpr std::array<const char *, SoundEventCount> InitialFiles{
    "intro.wav",         "elephantdie.wav", "beedie.wav",     "miss.wav",
    "tarvildie.wav",     "timeout.wav",     "dygtig.wav",     "hardcore.wav",
    "ultrahardcore.wav", "highscore1.wav",  "highscore2.wav", "highscore310.wav"};

/// Row tops inside the editor group box; row 9 sits one pixel higher.
constexpr std::array<int, SoundEventCount> RowY{24,  40,  56,  72,  88,  104,
                                                120, 136, 151, 167, 183, 199};

QPushButton *smallButton(const QString &caption, QWidget *parent, const QRect &geometry) {
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TSound::TSound(AppContext &context, QWidget *parent) : GameDialog(parent), context_(context) {
    setObjectName(QStringLiteral("Sound"));
    applyWindowLook(this, QStringLiteral("Krumlix - choose sounds"), QSize(466, 332));

    GroupBox1 = new QGroupBox(QStringLiteral("Sound Scheme Editor"), this);
    GroupBox1->setGeometry(9, 8, 445, 249);
    for (int e = 1; e <= SoundEventCount; ++e) {
        const auto i = static_cast<std::size_t>(e - 1);
        const int y = RowY[i];
        chooseButtons_[i] =
            smallButton(QStringLiteral("Choose file..."), GroupBox1, QRect(8, y, 80, 17));
        playButtons_[i] =
            smallButton(QStringLiteral("Play"), GroupBox1, QRect(89, y, 30, e == 11 ? 18 : 17));
        enableBoxes_[i] = new QCheckBox(
            QString::fromLatin1(SoundEventNames[i].data(), SoundEventNames[i].size()), GroupBox1);
        enableBoxes_[i]->setGeometry(125, y, e == 9 ? 148 : 132, 17);
        enableBoxes_[i]->setChecked(true);
        // File names are shown as they are named, whatever they hold.
        nameLabels_[i] = new QLabel(GroupBox1);
        nameLabels_[i]->setTextFormat(Qt::PlainText);
        nameLabels_[i]->setGeometry(278, y + 2, 0, 13);
        // The path holders lie below the visible part of the group box.
        pathHolders_[i] = new QLabel(GroupBox1);
        pathHolders_[i]->setTextFormat(Qt::PlainText);
        pathHolders_[i]->setGeometry(61, 272 + 16 * (e - 1), 300, 13);
        pathHolders_[i]->hide();
        connect(chooseButtons_[i], &QPushButton::clicked, this,
                [this, e] { context_.errors.guard([this, e] { chooseFile(e); }); });
        connect(playButtons_[i], &QPushButton::clicked, this, [this, e] { playRow(e); });
        setPath(e, QByteArray(InitialFiles[i]));
        showFileName(e);
    }
    Button13 = smallButton(QStringLiteral("Save scheme as..."), GroupBox1, QRect(8, 217, 111, 17));
    connect(Button13, &QPushButton::clicked, this,
            [this] { context_.errors.guard([this] { Button13Click(); }); });

    GroupBox2 = new QGroupBox(QStringLiteral("Sound Setup"), this);
    GroupBox2->setGeometry(9, 260, 445, 61);
    Button15 = new QPushButton(QStringLiteral("OK"), GroupBox2);
    Button15->setGeometry(25, 22, 75, 25);
    Button15->setDefault(true);
    connect(Button15, &QPushButton::clicked, this, &TSound::Button15Click);
    CheckBox1 = new QCheckBox(QStringLiteral("Sound on"), GroupBox2);
    CheckBox1->setGeometry(126, 24, 84, 17);
    CheckBox1->setChecked(true);
    connect(CheckBox1, &QCheckBox::toggled, this, &TSound::CheckBox1Click);

    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setGeometry(219, 23, 198, 21);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItem(QStringLiteral("default.snd"));
    // The box takes the keys as typed: a completion would turn "d" into a
    // name the player did not type, and Enter into accepting it.
    ComboBox1->setCompleter(nullptr);
    QPalette palette = ComboBox1->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::black);
    ComboBox1->setPalette(palette);
    // Every edit the player makes loads, and so does every pick from the
    // list; text set by the program loads nothing.
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
            [this] { context_.errors.guard([this] { ComboBox1Change(); }); });
    connect(ComboBox1, &QComboBox::activated, this,
            [this] { context_.errors.guard([this] { ComboBox1Change(); }); });
    ComboBox1->installEventFilter(this);

    OpenDialog1 = std::make_unique<DialogFileChooser>(this, DialogFileChooser::Mode::Open,
                                                      QStringLiteral("Sound files (*.wav)"));
    SaveDialog1 = std::make_unique<DialogFileChooser>(this, DialogFileChooser::Mode::Save,
                                                      QStringLiteral("Sound files (*.snd)"),
                                                      QStringLiteral("snd"));
    Button15->setFocus();
}

TSound::~TSound() = default;

void TSound::setPath(int e, const QByteArray &path) {
    paths_[static_cast<std::size_t>(e - 1)] = path;
    context_.platform.sound.preload(e, playable(path));
    pathHolders_[static_cast<std::size_t>(e - 1)]->setText(QString::fromLocal8Bit(path));
}

QByteArray TSound::fileNamePart(const QByteArray &path) {
    // Paths of either kind of system: after the last slash, backslash or colon.
    qsizetype cut = -1;
    for (char separator : {'/', '\\', ':'})
        cut = std::max(cut, path.lastIndexOf(separator));
    return path.mid(cut + 1);
}

void TSound::showFileName(int e) {
    QLabel *label = nameLabel(e);
    label->setText(QString::fromLocal8Bit(fileNamePart(path(e))));
    label->resize(label->fontMetrics().horizontalAdvance(label->text()), label->height());
}

void TSound::FitFileNameLabel(QLabel *label) {
    QString text = label->text();
    const QFontMetrics metrics = label->fontMetrics();
    if (metrics.horizontalAdvance(text) > NameLabelMaxWidth && text.size() > 3) {
        // The name loses its last four characters to "...", then one more
        // character at a time until it fits: the longest start that fits
        // with "..." behind it, found by halving (a name may be thousands
        // of characters long).
        auto shortened = [&text](qsizetype kept) {
            return text.left(kept) + QStringLiteral("...");
        };
        qsizetype fits = 0;                  // "..." alone is taken even if it were too wide
        qsizetype tooWide = text.size() - 3; // kept characters known not to fit
        while (tooWide - fits > 1) {
            const qsizetype middle = fits + (tooWide - fits) / 2;
            if (metrics.horizontalAdvance(shortened(middle)) <= NameLabelMaxWidth)
                fits = middle;
            else
                tooWide = middle;
        }
        text = shortened(fits);
    }
    label->setText(text);
    label->resize(metrics.horizontalAdvance(text), label->height());
}

void TSound::PlayEventSound(int e) {
    if (!CheckBox1->isChecked() || !enableBox(e)->isChecked())
        return;
    PlaySoundFile(path(e));
}

QByteArray TSound::playable(const QByteArray &path) const {
    // The shipped settings name the sounds beside the game by their bare
    // names, so that the game folder can be moved as a whole.
    const QString name = QString::fromLocal8Bit(path);
    if (path.isEmpty() || QFileInfo(name).isAbsolute())
        return path;
    return QDir(context_.shared.ProgramDir).filePath(name).toLocal8Bit();
}

void TSound::PlaySoundFile(const QByteArray &path) {
    context_.shared.SoundPath = path;
    context_.platform.sound.play(playable(path));
}

void TSound::StopSound() {
    context_.platform.sound.stop();
}

void TSound::CheckBox1Click() {
    StopSound();
    const bool on = CheckBox1->isChecked();
    for (int e = 1; e <= SoundEventCount; ++e) {
        enableBox(e)->setEnabled(on);
        nameLabel(e)->setEnabled(on);
    }
}

void TSound::chooseFile(int e) {
    OpenDialog1->startFolder = context_.shared.ProgramDir;
    if (OpenDialog1->execute())
        setPath(e, QDir::toNativeSeparators(OpenDialog1->fileName).toLocal8Bit());
    showFileName(e);
    FitFileNameLabel(nameLabel(e));
}

void TSound::playRow(int e) {
    PlaySoundFile(path(e));
}

QString TSound::inProgramDir(const QString &name) const {
    return QFileInfo(name).isAbsolute() ? name : QDir(context_.shared.ProgramDir).filePath(name);
}

void TSound::ComboBox1Enter() {
    const QStringList names =
        QDir(context_.shared.ProgramDir)
            .entryList({QStringLiteral("*.snd")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    // Replacing the current item would replace the text as well: the text,
    // the caret and the selection are put back as they were.
    QLineEdit *edit = ComboBox1->lineEdit();
    const QString text = edit->text();
    const int caret = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = edit->selectionLength();
    for (int i = 0; i < names.size(); ++i) {
        if (i < ComboBox1->count())
            ComboBox1->setItemText(i, names.at(i));
        else
            ComboBox1->addItem(names.at(i));
    }
    if (edit->text() != text)
        setSchemeText(text);
    if (selectionStart >= 0 && selectionLength > 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(caret);
}

void TSound::ComboBox1Change() {
    const QString name = ComboBox1->currentText();
    if (name.isEmpty())
        return;
    const QList<QByteArray> lines = readTextLines(inProgramDir(name), name);
    for (int e = 1; e <= SoundEventCount; ++e)
        setPath(e, lineAt(lines, e - 1));
    for (int e = 1; e <= SoundEventCount; ++e)
        enableBox(e)->setChecked(toInteger(lineAt(lines, 11 + e)) != 0);
    for (int e = 1; e <= SoundEventCount; ++e) {
        showFileName(e);
        FitFileNameLabel(nameLabel(e));
    }
}

void TSound::Button13Click() {
    // The dialog shows the game folder, where the scheme is written and
    // where the scheme list looks for it; only the name it remembers is
    // offered again.
    SaveDialog1->startFolder = context_.shared.ProgramDir;
    if (!SaveDialog1->fileName.isEmpty())
        SaveDialog1->fileName = QFileInfo(SaveDialog1->fileName).fileName();
    if (!SaveDialog1->execute() || SaveDialog1->fileName.isEmpty())
        return;
    // Wherever the player browsed to, the scheme goes beside the game,
    // where the scheme list looks for it.
    const QString name = QFileInfo(SaveDialog1->fileName).fileName();
    QList<QByteArray> lines;
    for (int e = 1; e <= SoundEventCount; ++e)
        lines << path(e);
    for (int e = 1; e <= SoundEventCount; ++e)
        lines << (enableBox(e)->isChecked() ? "1" : "0");
    writeTextLines(QDir(context_.shared.ProgramDir).filePath(name), lines);
    setSchemeText(name);
}

void TSound::setSchemeText(const QString &text) {
    const QSignalBlocker blocker(ComboBox1);
    ComboBox1->setEditText(text);
}

void TSound::FormActivate() {
    setSchemeText(QStringLiteral("Current settings"));
    for (int e = 1; e <= SoundEventCount; ++e)
        FitFileNameLabel(nameLabel(e));
}

void TSound::showEvent(QShowEvent *event) {
    GameDialog::showEvent(event);
    if (event->spontaneous()) // restored after a minimise: left as it was
        return;
    FormActivate();
    Button15->setFocus();
}

bool TSound::eventFilter(QObject *watched, QEvent *event) {
    if (watched != ComboBox1)
        return GameDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
        // Only the player enters the box, with Tab, a click or a shortcut;
        // the window coming back after a message box or the box's own list
        // closing is no entry.
        switch (static_cast<QFocusEvent *>(event)->reason()) {
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::MouseFocusReason:
        case Qt::ShortcutFocusReason:
            ComboBox1Enter();
            break;
        default:
            break;
        }
        break;
    case QEvent::Wheel:
        // The wheel picks no scheme: turning it over the window would load
        // one scheme after another.
        return true;
    default:
        break;
    }
    return GameDialog::eventFilter(watched, event);
}

} // namespace krumlix
