#pragma once

namespace kv {

// Screen codes: the screen shown inside the background window.
namespace screen {
constexpr int None = 0;
constexpr int Switchboard = 1;
constexpr int Search = 2;
constexpr int Details = 3;
constexpr int Collections = 4;
constexpr int ShoppingList = 5;
constexpr int ShopDirectory = 6;
constexpr int FeaturedShop = 7;
constexpr int OrderDirectShop = 8;
constexpr int PhoneOrder = 9;
constexpr int FaxOrder = 10;
constexpr int EmailOrder = 11;
constexpr int Connections = 12;
} // namespace screen

// The show and hide routines of each screen. They live in their own namespace because
// screens have members of the same names (the search screen's bDetails_Show shows a
// topic): a call says which one it means.
namespace nav {

// Moves from the old screen to the new one; windows shared by both stay shown. The
// result is that of the last show or hide routine called.
bool bShow_Form(int intOldScreen, int& intNewScreen);

bool bSwitch_Show();
bool bSearch_Show();
bool bDetails_Show();
bool bCollection_Show();
bool bConnection_Show();
bool bShopping_Show(int intPage);

bool bSwitch_Hide();
bool bSearch_Hide();
bool bCollection_Hide();
bool bShopping_Hide();
// 1 hides the switchboard, 2 the search screen; any other code does nothing.
bool bHide_Active(int intScreen);

} // namespace nav

// One step back; false when there is no step back from the current screen (the caller
// then goes to the switchboard).
bool Back_Screen();
// Goes to a screen from the current one.
bool Go_To_Screen(int intScreen);

} // namespace kv
