#include "titles/TitleLinks.h"

#include "platform/AppContext.h"
#include "titles/TitleViewer.h"

#include <QPointer>

namespace kv {

namespace {

void notFound() {
    ctx().messages().show(kRecordingNotFound, mb::OKOnly | mb::Exclamation);
}

} // namespace

void handleSearchViewerLink(TitleLinkEvent& event, const OpenArtistPopup& openArtistPopup) {
    if (event.hotspot || event.linkType != kLinkArtist || !openArtistPopup) return;
    event.handled = true;
    openArtistPopup(event.target);
}

void handlePopupViewerLink(TitleLinkEvent& event, TitleViewer* searchViewer,
                           const ClosePopup& closePopup, const OpenArtistPopup& openArtistPopup) {
    event.handled = true;
    if (!event.hotspot && event.linkType == kLinkRecording) {
        if (searchViewer && searchViewer->jumpToContext(event.target)) {
            if (closePopup) closePopup();
        } else {
            notFound();
        }
    } else if (!event.hotspot && event.linkType == kLinkArtist && openArtistPopup) {
        openArtistPopup(event.target);
    } else {
        notFound();
    }
}

QMetaObject::Connection connectSearchViewerLinks(TitleViewer* viewer,
                                                 OpenArtistPopup openArtistPopup) {
    return QObject::connect(viewer, &TitleViewer::linkClicked, viewer,
                            [open = std::move(openArtistPopup)](TitleLinkEvent& event) {
                                handleSearchViewerLink(event, open);
                            });
}

QMetaObject::Connection connectPopupViewerLinks(TitleViewer* popupViewer, TitleViewer* searchViewer,
                                                ClosePopup closePopup,
                                                OpenArtistPopup openArtistPopup) {
    return QObject::connect(popupViewer, &TitleViewer::linkClicked, popupViewer,
                            [search = QPointer<TitleViewer>(searchViewer),
                             close = std::move(closePopup),
                             open = std::move(openArtistPopup)](TitleLinkEvent& event) {
                                handlePopupViewerLink(event, search, close, open);
                            });
}

} // namespace kv
