// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>
#include <map>

class QWidget;

namespace krumlix {

/// The clicks of the game's labels and pictures. A click is a left press on
/// the control followed by a left release over it; a double-click is the
/// second press of a quick pair, and the release that ends it is no click.
/// So a double-click runs the click once and then the double-click once, as
/// two quick clicks do, and a release away from the control or a press of
/// another button does nothing.
class ClickWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    /// `doubleClick` may be empty: the second press of a pair then does
    /// nothing.
    void watch(QWidget *control, std::function<void()> click,
               std::function<void()> doubleClick = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Control {
        std::function<void()> click;
        std::function<void()> doubleClick;
        bool pressed = false;
    };
    std::map<QObject *, Control> controls_;
};

} // namespace krumlix
