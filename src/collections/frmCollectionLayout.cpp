// Placing the collection screen's controls, and which of them each mode shows.
#include "app/Navigation.h"
#include "collections/DataGrid.h"
#include "collections/frmCollection.h"
#include "platform/AppContext.h"
#include "platform/qt/ImageButton.h"
#include "titles/TitleViewer.h"

#include <QAction>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QScrollArea>

namespace kv {

namespace {

constexpr int kSmallestWidth = 640;
constexpr int kSmallestHeight = 480;

} // namespace

// The screen has one layout, for the background window on a screen of at least 640 x 480.
void frmCollection::warnOfSmallScreen() {
    const Constants& c = ctx().constants;
    int width = c.intScreenWidth, height = c.intScreenHeight;
    if ((width <= 0 || height <= 0) && QGuiApplication::primaryScreen()) {
        width = QGuiApplication::primaryScreen()->geometry().width();
        height = QGuiApplication::primaryScreen()->geometry().height();
    }
    if (width > 0 && height > 0 && (width < kSmallestWidth || height < kSmallestHeight)) {
        ctx().messages().beep();
        ctx().messages().show(QStringLiteral("Resolution not catered for"), mb::OKOnly | mb::Exclamation);
    }
}

// In the screen area's 600 x 335 logical pixels: the list on the left, the details on the
// right with the buttons beneath them.
void frmCollection::arrange() {
    const bool collections = m_mode != screen::Connections;
    ImgMain->setGeometry(rect());
    Shape3->setGeometry(6, 6, 290, 32);
    imgIcon->setGeometry(12, 10, 24, 24);
    LblCollection->setGeometry(42, 10, 218, 24);
    imgDrop->move(266, 10);
    lstCollection->setGeometry(12, 38, 278, 180);

    const QRect grid = collections ? QRect(6, 44, 290, 285) : QRect(6, 6, 290, 323);
    Shape1->setGeometry(grid);
    TDBGrid1->setGeometry(grid.x() + 6, grid.y() + 6, 248, grid.height() - 12);
    imgUp->move(grid.x() + 260, grid.y() + 6);
    imgDn->move(grid.x() + 260, grid.bottom() - 6 - imgDn->height() + 1);

    Shape2->setGeometry(302, 6, 292, 251);
    imgtabdetails->move(308, 12);
    imgtabtracks->move(308 + imgtabdetails->width() + 4, 12);
    const int top = collections ? 42 : 12;
    lblTitle->setGeometry(308, top, 280, 22);
    detailsArea->setGeometry(308, top + 24, 280, 251 + 6 - (top + 24) - 6);
    MvrDetails->setGeometry(308, 42, 280, 209);

    // Two rows of buttons under the details, the mode's own in order.
    const QList<ImageButton*> buttons =
        collections ? QList<ImageButton*>{imgSearch, imgFilter, imgSort, imgPrint, imgEdit, imgRemove, imgCollections}
                    : QList<ImageButton*>{imgSearch, imgFilter, imgSort, imgActivate, imgEdit, imgRemove, imgNew};
    for (int k = 0; k < buttons.size(); ++k)
        buttons[k]->move(302 + (k % 4) * 74, 263 + (k / 4) * 34);

    for (QWidget* w : std::initializer_list<QWidget*>{Shape1, Shape2, Shape3})
        w->lower();
    ImgMain->lower();
    lstCollection->raise();
}

void frmCollection::showModeControls() {
    const bool collections = m_mode != screen::Connections;
    for (QWidget* w : std::initializer_list<QWidget*>{LblCollection, imgIcon, imgCollections, imgDrop, imgPrint,
                                                       imgtabdetails, imgtabtracks, Shape3})
        w->setVisible(collections);
    for (QWidget* w : std::initializer_list<QWidget*>{imgActivate, imgNew})
        w->setVisible(!collections);
    mnuPop2Activate->setVisible(!collections);
    mnuPop2Sep1->setVisible(!collections);
    lstCollection->hide();
    // The connection's text shows where the details do; the tracks page is for recordings.
    const bool tracks = collections && m_detailTab == 1;
    MvrDetails->setVisible(tracks);
    detailsArea->setVisible(!tracks);
    lblTitle->setVisible(!tracks);
    TDBGrid1->setAccessibleName(collections ? QStringLiteral("Recordings in the collection")
                                            : QStringLiteral("Connections"));
    imgEdit->setAccessibleName(collections ? QStringLiteral("Edit the recording")
                                           : QStringLiteral("Edit the connection"));
    imgRemove->setAccessibleName(collections ? QStringLiteral("Remove the recording")
                                             : QStringLiteral("Remove the connection"));
}

} // namespace kv
