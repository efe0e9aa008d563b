#pragma once

#include "app/ScreenWindow.h"

namespace kv {

class ImageButton;

// The shopping screen: the shopping list, the shop directory, the shop pages and the
// ordering pages, one page (screen code 5 to 11) at a time.
class frmShopping : public ScreenWindow {
    Q_OBJECT
public:
    frmShopping();
    // The telephone-order button; its tag holds the page the telephone page was opened from.
    ImageButton* imgPhone;
};

} // namespace kv
