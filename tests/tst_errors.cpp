// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/errors.h"
#include "support/datarows.h"
#include "support/fakes.h"

#include <QTest>

#include <cerrno>

using namespace krumlix;

class ErrorsTest : public QObject {
    Q_OBJECT
private slots:
    // A raised error abandons the handler at the failing step; its text
    // reaches the message box and the program goes on after the handler.
    void raisedErrorIsShownAndTheProgramGoesOn() {
        test::RecordingMessageBox box;
        ErrorHandler handler(box);
        int steps = 0;
        handler.guard([&] {
            ++steps;
            throw KrumlixError::cannotOpenFile(QStringLiteral("setup.ini"));
            ++steps; // never reached
        });
        ++steps;
        QCOMPARE(steps, 2);
        QCOMPARE(box.texts, QStringList{QStringLiteral("Cannot open file setup.ini")});
        QCOMPARE(box.captions, QStringList{QStringLiteral("Krumlix")});

        handler.guard([&] { ++steps; });
        QCOMPARE(box.texts.size(), 1);
        QCOMPARE(steps, 3);
    }

    void texts_data() {
        test::columns<QString, QString>("actual", "expected");
        QTest::newRow("integer") << KrumlixError::notValidInteger(QStringLiteral("12a")).text()
                                 << "'12a' is not a valid integer value";
        QTest::newRow("empty integer")
            << KrumlixError::notValidInteger(QString()).text() << "'' is not a valid integer value";
        QTest::newRow("eof") << KrumlixError::readBeyondEnd().text() << "Read beyond end of file";
        QTest::newRow("ENOENT") << KrumlixError::fromErrno(ENOENT).text() << "File not found";
        QTest::newRow("EACCES") << KrumlixError::fromErrno(EACCES).text() << "File access denied";
        QTest::newRow("EROFS") << KrumlixError::fromErrno(EROFS).text() << "File access denied";
        QTest::newRow("EISDIR") << KrumlixError::fromErrno(EISDIR).text() << "File access denied";
        QTest::newRow("ENOSPC") << KrumlixError::fromErrno(ENOSPC).text() << "Disk full";
        QTest::newRow("EMFILE") << KrumlixError::fromErrno(EMFILE).text() << "Too many open files";
        QTest::newRow("EIO") << KrumlixError::fromErrno(EIO).text()
                             << QStringLiteral("I/O error %1").arg(EIO);
    }
    void texts() {
        const auto [actual, expected] = test::fetch<QString, QString>("actual", "expected");
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(ErrorsTest)
#include "tst_errors.moc"
