#pragma once

// The look the screens inside the background window share: their grids, lists, pop-up
// menus and the translucent panels behind groups of controls, and how an image button of
// a screen is made. One place, so the screens cannot drift apart.

#include <QString>

class QFrame;
class QWidget;

namespace kv {

class ImageButton;

namespace screenStyle {
// A grid (or a table view inside an unbound grid) on the dark ground.
extern const char* const Grid;
// A drop-down list standing over the screen.
extern const char* const List;
extern const char* const Menu;
// The translucent panel behind a group of controls.
extern const char* const Panel;
// A scroll area that lets the backdrop show through.
extern const char* const ScrollArea;
} // namespace screenStyle

// A translucent panel that lets clicks through to what is beneath.
QFrame* screenPanel(QWidget* parent, const char* name);

// An image button of a screen, its pictures by number above the resource base: its control
// name, what a screen reader calls it, and the tip a pointer resting on it shows.
ImageButton* screenButton(QWidget* parent, const char* name, int normal, int pressed,
                          const QString& accessibleName, const QString& tip);

} // namespace kv
