#pragma once

#include <QString>

namespace kv::form {

// The names by which the program's windows are registered with, loaded from and found in
// the window registry. Each is also the window's object name, so a name written wrong
// anywhere is a window that is never found; one spelling here keeps them all the same.
inline const QString Background = QStringLiteral("frmBackground");
inline const QString Splash = QStringLiteral("frmSplash");
inline const QString SwitchBoard = QStringLiteral("frmSwitchBoard");
inline const QString Search = QStringLiteral("frmSearch");
inline const QString ArtistPopup = QStringLiteral("frmpopup");
// The find, filter and sort dialog of the grid screens.
inline const QString FindFilterSort = QStringLiteral("fSearch");
inline const QString Collection = QStringLiteral("frmCollection");
inline const QString Shopping = QStringLiteral("frmShopping");
inline const QString About = QStringLiteral("frmAbout");
inline const QString Options = QStringLiteral("frmPropApp");
inline const QString LocateFile = QStringLiteral("frmFindFile");
// The message window.
inline const QString Message = QStringLiteral("frmHelp");
inline const QString HelpBook = QStringLiteral("frmHelpBook");
inline const QString CollectionProperties = QStringLiteral("frmpropCollection");
inline const QString ItemProperties = QStringLiteral("frmPropAlbum");
inline const QString UserDetails = QStringLiteral("frmPropUser");
// The collections dialog of the collection screen.
inline const QString CollectionList = QStringLiteral("frmCollectionList");
inline const QString ConnectionProperties = QStringLiteral("frmPropConnection");

} // namespace kv::form
