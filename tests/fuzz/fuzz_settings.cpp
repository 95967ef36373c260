// SPDX-License-Identifier: GPL-3.0-or-later
// "setup.ini" from any bytes: the line splitter and the number reader on
// their own, then the file applied to the windows. A file that applies
// whole is saved and applied again and must give the same settings.
#include "fuzzwindows.h"
#include "platform/textfile.h"
#include "settings/settingsfile.h"

using namespace krumlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = fuzz::input(data, size);

    const QList<QByteArray> lines = splitTextLines(bytes);
    qsizetype kept = 0;
    for (const QByteArray &line : lines) {
        KRUMLIX_REQUIRE(!line.contains('\r') && !line.contains('\n'));
        kept += line.size();
        try {
            const std::int32_t value = toInteger(line);
            // What it accepts reads back the same from its plain decimal form.
            KRUMLIX_REQUIRE(toInteger(QByteArray::number(value)) == value);
            KRUMLIX_REQUIRE(line.toLongLong() == value);
        } catch (const KrumlixError &error) {
            KRUMLIX_REQUIRE(
                error.text() ==
                QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(line)));
        }
    }
    // Only line ends are dropped.
    KRUMLIX_REQUIRE(kept + bytes.count('\r') + bytes.count('\n') == bytes.size());

    test::GameWindows &w = fuzz::windows();
    fuzz::writeGameFile(QLatin1String(SettingsFileName), bytes);
    int applied = 0;
    try {
        applySettingsFile(w.context, &applied);
    } catch (const KrumlixError &error) {
        KRUMLIX_REQUIRE(applied < SettingsLineCount);
        // The first line that is no number, the lines before it applied.
        KRUMLIX_REQUIRE(error.text() == QStringLiteral("'%1' is not a valid integer value")
                                            .arg(QString::fromLatin1(lineAt(lines, applied))));
        return 0;
    }
    KRUMLIX_REQUIRE(applied == SettingsLineCount);
    const QList<QByteArray> settings = currentSettingsLines(w.context);
    KRUMLIX_REQUIRE(settings.size() == SettingsLineCount);
    saveSettingsFile(w.context);
    applySettingsFile(w.context);
    KRUMLIX_REQUIRE(currentSettingsLines(w.context) == settings);
    return 0;
}
