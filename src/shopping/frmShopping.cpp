#include "shopping/frmShopping.h"

#include "platform/qt/ImageButton.h"

namespace kv {

frmShopping::frmShopping() : ScreenWindow(QStringLiteral("frmShopping")) {
    imgPhone = new ImageButton(0, 0, this);
    imgPhone->setObjectName(QStringLiteral("imgPhone"));
    imgPhone->hide();
}

} // namespace kv
