#pragma once

#include <QWidget>

namespace kv {

class TitleViewer;

inline const QString kArtistNotFound = QStringLiteral("Sorry could not find that Artist");
inline const QString kPopupCaption = QStringLiteral("Artist's recordings");

// Where the pop-up stood when it last closed (zero until it has closed once). Lives in the
// context, so it lasts for the run and every test starts without one.
struct PopupPosition {
    int Top = 0;
    int Left = 0;
    int Width = 0;
    int Height = 0;
};
PopupPosition& popupPosition();

// The artist's recordings pop-up: a window of its own beside the main window with one
// viewer, mvSecondary, on the catalogue title. Recording links close it and take the
// search screen's viewer to the recording; artist links show another artist.
class frmpopup : public QWidget {
    Q_OBJECT
public:
    explicit frmpopup(QWidget* owner = nullptr);

    // Shows the artist's page (the link target, a context string). When the page is
    // missing: "Sorry could not find that Artist", and the pop-up closes.
    bool Show_Artist(const QString& artistContext);

    TitleViewer* mvSecondary;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void placeFirstTime();
    bool m_placed = false;
};

// Opens the pop-up (loading it on first use) for an artist.
bool bShow_ArtistPopup(const QString& artistContext);
// Registers the pop-up window with the program's windows (once).
void registerArtistPopup();

} // namespace kv
