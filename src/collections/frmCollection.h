#pragma once

#include "app/ScreenWindow.h"

namespace kv {

// The collections screen; in mode 12 it shows the connections.
class frmCollection : public ScreenWindow {
    Q_OBJECT
public:
    frmCollection();
};

} // namespace kv
