#pragma once

#include <QString>
#include <QWidget>

namespace kv {

// Moves the window so that it is centred on its screen:
// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void Center_Form(QWidget* window);
// Centres a dialog on the screen when it is first shown (its size is known only then).
void Center_Form_When_Shown(QWidget* window);

// Gives a new widget its control name (the name the program's code and tests find it by).
template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

} // namespace kv
