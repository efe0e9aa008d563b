#pragma once

#include "app/ScreenWindow.h"

#include <QLabel>

namespace kv {

class ImageButton;

// The first screen: the product's front page with one large button for each part of the
// program and two panes in which the intro clips play.
class frmSwitchBoard : public ScreenWindow {
    Q_OBJECT
public:
    frmSwitchBoard();

    void Show_me() override;
    // The intro clips, when "Play Intro" is on.
    void Switch_Effects();

    QLabel* imgMain;
    QLabel* picProper;
    QWidget* picVid1;
    QWidget* picVid2;
    ImageButton* imgSearch;
    ImageButton* imgCollection;
    ImageButton* imgShopping;
    ImageButton* imgConnections;
};

// The back colour of the video panes: red 16, green 16, blue 14.
inline constexpr unsigned kVideoPaneColour = 0x10100E;

} // namespace kv
