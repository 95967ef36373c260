// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <utility>

namespace krumlix {

class MessageBox;

/// A failing file operation or number conversion. It abandons the handler
/// that raised it; the error handler shows its text to the player.
class KrumlixError : public std::exception {
public:
    explicit KrumlixError(QString text) : text_(std::move(text)), utf8_(text_.toUtf8()) {}
    const QString &text() const { return text_; }
    const char *what() const noexcept override { return utf8_.constData(); }

    static KrumlixError cannotOpenFile(const QString &name);
    static KrumlixError notValidInteger(const QString &text);
    static KrumlixError fileNotFound();
    static KrumlixError readBeyondEnd();
    /// The text for a system error number (errno) of a file operation.
    static KrumlixError fromErrno(int error);

private:
    QString text_;
    QByteArray utf8_;
};

/// The application's standard error handler: runs a handler and, when it
/// raises a KrumlixError, shows the text in a message box (caption
/// "Krumlix", one OK button). The program goes on with the state reached.
class ErrorHandler {
public:
    explicit ErrorHandler(MessageBox &messages) : messages_(messages) {}

    void report(const KrumlixError &error);

    template <typename Handler> void guard(Handler &&handler) {
        try {
            std::forward<Handler>(handler)();
        } catch (const KrumlixError &error) {
            report(error);
        }
    }

private:
    MessageBox &messages_;
};

} // namespace krumlix
