// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace krumlix {

/// Fixed notation with two decimals and `point` as the decimal separator:
/// the digits 0-9 whatever the locale, no thousands separator, `minus` in
/// front of a negative value.
inline QString fixed2(double value, const QString &point, const QString &minus) {
    QString text = QString::number(value < 0 ? -value : value, 'f', 2);
    text.replace(QLatin1Char('.'), point);
    return value < 0 ? minus + text : text;
}

/// Fixed notation with two decimals and the user's decimal separator, as
/// "0,00" under a comma locale. The digits are 0-9 in every locale, as the
/// clock and the score show them.
inline QString fixed2(double value, const QLocale &locale = QLocale()) {
    return fixed2(value, locale.decimalPoint(), locale.negativeSign());
}

} // namespace krumlix
