// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace krumlix {

/// Fixed notation with two decimals and the user's decimal separator, no
/// thousands separator: "0,00" under a comma locale.
inline QString fixed2(double value, const QLocale &locale = QLocale()) {
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'f', 2);
}

} // namespace krumlix
