// Placing the search screen's controls: layout class 0, in the screen area's 600 x 335
// logical pixels, for the search (mode 2) and for the recording details (mode 3).
#include "app/Navigation.h"
#include "platform/qt/ImageButton.h"
#include "search/UnboundGrid.h"
#include "search/frmSearch.h"
#include "titles/TitleViewer.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>

namespace kv {

namespace {

const QString kPlaceholder[searchType::Count] = {QStringLiteral("Artist's name"), QStringLiteral("Album title"),
                                                 QStringLiteral("Track title"), QStringLiteral("Catalogue number")};

} // namespace

void frmSearch::arrange(int mode) {
    const bool details = mode == screen::Details;
    imgMain->setGeometry(rect());

    for (QWidget* w : std::initializer_list<QWidget*>{Shape1, Shape2, Shape3, txtKeyword, imgGo, lblHits1, imgMUp,
                                                      imgMDn, TDBGrid1, lblAlbum, LblHits2, imgRUp, imgRDn, TDBGrid2,
                                                      imgDetails, imgSType[0], imgSType[1], imgSType[2]})
        w->setVisible(!details);
    imgSType[searchType::CatalogueNumbers]->setVisible(!details && catalogueNumbersOffered());
    for (QWidget* w : std::initializer_list<QWidget*>{Shape4, Shape5, imgSearch})
        w->setVisible(details);

    if (details)
        arrangeDetails();
    else
        arrangeSearch();
    cboReleases->setGeometry(0, 0, picDrop->width() - imgDrop->width() - 2, picDrop->height());
    imgDrop->move(picDrop->width() - imgDrop->width(), (picDrop->height() - imgDrop->height()) / 2);
    // The panels lie under every control, on the backdrop.
    for (QWidget* w : std::initializer_list<QWidget*>{Shape1, Shape2, Shape3, Shape4, Shape5})
        w->lower();
    imgMain->lower();
}

// Three panels: the keywords on the left, the recordings top right, the shown recording
// under them.
void frmSearch::arrangeSearch() {
    Shape1->setGeometry(6, 6, 196, 323);
    int x = 12;
    for (int t = 0; t < searchType::CatalogueNumbers; ++t) {
        imgSType[t]->move(x, 12);
        x += imgSType[t]->width() + 2;
    }
    // The catalogue-number tab, when the title offers it, opens a second row of tabs.
    const int dy = imgSType[searchType::CatalogueNumbers]->isVisibleTo(this) ? 28 : 0;
    imgSType[searchType::CatalogueNumbers]->move(12, 40);
    txtKeyword->setGeometry(12, 44 + dy, 152, 26);
    imgGo->move(168, 44 + dy);
    lblHits1->setGeometry(14, 74 + dy, 130, 18);
    imgMUp->move(150, 73 + dy);
    imgMDn->move(174, 73 + dy);
    TDBGrid1->setGeometry(12, 96 + dy, 184, 227 - dy);

    Shape2->setGeometry(208, 6, 386, 114);
    lblAlbum->setGeometry(216, 9, 160, 24);
    LblHits2->setGeometry(380, 12, 134, 18);
    imgRUp->move(520, 11);
    imgRDn->move(544, 11);
    TDBGrid2->setGeometry(214, 34, 374, 80);

    Shape3->setGeometry(208, 126, 386, 203);
    MvrDetails->setGeometry(214, 132, 374, 124);
    picDrop->setGeometry(214, 262, 176, 26);
    imgUp->move(394, 265);
    imgDown->move(418, 265);
    LblReleases->setGeometry(446, 262, 142, 26);
    imgIcon->setGeometry(214, 296, 24, 24);
    picCollections->setGeometry(244, 294, 54, 28);
    imgGot_it->move(304, 294);
    imgWant_it->move(304 + imgGot_it->width() + 4, 294);
    imgDetails->move(588 - imgDetails->width(), 294);
}

// The recording over the whole width, its releases and collections beneath.
void frmSearch::arrangeDetails() {
    Shape4->setGeometry(6, 6, 588, 252);
    MvrDetails->setGeometry(12, 12, 576, 240);
    Shape5->setGeometry(6, 264, 588, 65);
    imgIcon->setGeometry(14, 271, 24, 24);
    picDrop->setGeometry(44, 270, 236, 26);
    imgUp->move(284, 273);
    imgDown->move(308, 273);
    LblReleases->setGeometry(336, 270, 250, 26);
    imgSearch->move(12, 299);
    picCollections->setGeometry(110, 298, 200, 28);
    imgWant_it->move(588 - imgWant_it->width(), 299);
    imgGot_it->move(imgWant_it->x() - imgGot_it->width() - 6, 299);
}

void frmSearch::arrangePanel(int type) {
    if (type < 0 || type >= searchType::Count)
        return;
    txtKeyword->setPlaceholderText(kPlaceholder[type]);
    showTypeButtons();
}

void frmSearch::showTypeButtons() {
    for (int t = 0; t < searchType::Count; ++t) {
        if (t == m_searchType)
            imgSType[t]->showPressed();
        else
            imgSType[t]->showNormal();
    }
}

void frmSearch::CenterColCaption() {
    for (UnboundGrid* grid : {TDBGrid1, TDBGrid2})
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            grid->model()->setHeaderData(c, Qt::Horizontal, int(Qt::AlignCenter), Qt::TextAlignmentRole);
}

} // namespace kv
