#pragma once

class QWidget;

namespace kv {

// Moves the window so that it is centred on its screen:
// left = (screen width - window width) / 2, top = (screen height - window height) / 2.
void Center_Form(QWidget* window);

} // namespace kv
