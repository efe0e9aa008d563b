#pragma once

// What a click on a link does in the two catalogue viewers: the search screen's viewer and
// the artist's recordings pop-up. The windows own the viewers; they connect them here and
// supply the pop-up's opening and closing.

#include <QMetaObject>
#include <QString>
#include <functional>

namespace kv {

class TitleViewer;
struct TitleLinkEvent;

using OpenArtistPopup = std::function<void(const QString& artistContext)>;
using ClosePopup = std::function<void()>;

inline const QString kRecordingNotFound = QStringLiteral("Sorry could not find that recording");

// Search screen's viewer: an artist link (type 2) opens the artist's recordings pop-up
// for its target and is handled. Other links are left to the viewer, which follows them.
void handleSearchViewerLink(TitleLinkEvent& event, const OpenArtistPopup& openArtistPopup);

// Pop-up's viewer: a recording link (type 1) makes the search screen's viewer jump to the
// recording and closes the pop-up (when that recording cannot be found the pop-up stays
// and says so); an artist link (type 2) opens the pop-up for that artist; anything else
// shows "Sorry could not find that recording". Every click is handled. `closePopup` must
// not destroy the pop-up at once (hide it, or delete it later): the click is still being
// delivered.
void handlePopupViewerLink(TitleLinkEvent& event, TitleViewer* searchViewer,
                           const ClosePopup& closePopup, const OpenArtistPopup& openArtistPopup);

QMetaObject::Connection connectSearchViewerLinks(TitleViewer* viewer,
                                                 OpenArtistPopup openArtistPopup);
QMetaObject::Connection connectPopupViewerLinks(TitleViewer* popupViewer, TitleViewer* searchViewer,
                                                ClosePopup closePopup,
                                                OpenArtistPopup openArtistPopup);

} // namespace kv
