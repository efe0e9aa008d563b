#include "about/frmAbout.h"

#include "about/AboutPages.h"
#include "about/MyAboutIni.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/qt/WindowUtil.h"
#include "print/CPrint.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

namespace kv {

namespace {

constexpr int kTwipsPerPixel = 15;
// The credits picture starts this tall before it is cut to the text.
constexpr int kCreditsStartTwips = 8000;
constexpr int kPageWidth = 430;
constexpr int kPageHeight = 240;
constexpr int kScrollWidth = 16;
const QMarginsF kPictureMargins(10, 8, 10, 8);

const QString kQuestionnaire = QStringLiteral("KVQ32.EXE");

QLabel* picturePage(QWidget* parent, const QString& name, const QString& accessible) {
    auto* label = named(new QLabel(parent), name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(accessible);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Korvanda"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));
    SSTab1->setAccessibleName(QStringLiteral("About Korvanda pages"));

    QWidget* product = productTab();
    // The publisher tab.
    auto* publisher = new QWidget;
    picFileProd = picturePage(publisher, QStringLiteral("picFileProd"), QStringLiteral("About the publisher"));
    auto* publisherLayout = new QVBoxLayout(publisher);
    publisherLayout->addWidget(picFileProd, 0, Qt::AlignTop | Qt::AlignHCenter);

    QWidget* credits = creditsTab();

    // The designer tab.
    auto* designer = new QWidget;
    picDesigner = picturePage(designer, QStringLiteral("picDesigner"), QStringLiteral("About the design"));
    auto* designerLayout = new QVBoxLayout(designer);
    designerLayout->addWidget(picDesigner, 0, Qt::AlignTop | Qt::AlignHCenter);

    SSTab1->addTab(product, QStringLiteral("Korvanda"));
    SSTab1->addTab(publisher, QStringLiteral("TALV Ltd"));
    SSTab1->addTab(credits, QStringLiteral("Credits"));
    SSTab1->addTab(designer, QStringLiteral("Design"));

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdQuestionaire, &QPushButton::clicked, this, &frmAbout::cmdQuestionaire_Click);
    connect(VScroll1, &QScrollBar::valueChanged, this, [this](int value) { PicCredits->move(0, -value); });

    // Loading.
    PicIcon->hide();
    Center_Form_When_Shown(this);
    lblVerText->setText(buildText());
    Fill_User_Info();
    Fill_Page_Publisher();
    Fill_Page_Credits();
    Fill_Page_Designer();
}

// The product tab: the program, its notices and whom this copy is licensed to.
QWidget* frmAbout::productTab() {
    auto* product = new QWidget;
    PicIcon = named(new QLabel(product), QStringLiteral("PicIcon"));
    lblProgName = named(new QLabel(QStringLiteral("Korvanda"), product), QStringLiteral("lblProgName"));
    QFont big = lblProgName->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    lblProgName->setFont(big);
    Label1 = named(new QLabel(QStringLiteral("Version 1.0"), product), QStringLiteral("Label1"));
    lblVerText = named(new QLabel(QStringLiteral("Build:"), product), QStringLiteral("lblVerText"));
    Label2 = named(new QLabel(QStringLiteral("Copyright \u00A9 TALV Ltd. All rights reserved."), product),
                   QStringLiteral("Label2"));
    Label3 = named(new QLabel(QStringLiteral("This program and its catalogue are protected by copyright law. "
                                             "Copying either of them, or any part of them, without permission "
                                             "is not allowed."),
                              product),
                   QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    lblProduct = named(new QLabel(QStringLiteral("This copy is licensed to:"), product), QStringLiteral("lblProduct"));
    QFont bold = lblProduct->font();
    bold.setBold(true);
    lblProduct->setFont(bold);
    lblName = named(new QLabel(product), QStringLiteral("lblName"));
    lblAddress = named(new QLabel(product), QStringLiteral("lblAddress"));
    lblCityStateZip = named(new QLabel(product), QStringLiteral("lblCityStateZip"));
    for (QLabel* user : {lblName, lblAddress, lblCityStateZip})
        user->setTextFormat(Qt::PlainText);
    lblName->setAccessibleName(QStringLiteral("Licensed to"));
    lblAddress->setAccessibleName(QStringLiteral("Address"));
    lblCityStateZip->setAccessibleName(QStringLiteral("City, state and zip code"));
    cmdQuestionaire =
        named(new QPushButton(QStringLiteral("&Questionnaire"), product), QStringLiteral("cmdQuestionaire"));

    auto* productLayout = new QVBoxLayout(product);
    productLayout->addWidget(lblProgName);
    productLayout->addWidget(Label1);
    productLayout->addWidget(lblVerText);
    productLayout->addSpacing(8);
    productLayout->addWidget(Label2);
    productLayout->addWidget(Label3);
    productLayout->addSpacing(8);
    productLayout->addWidget(lblProduct);
    productLayout->addWidget(lblName);
    productLayout->addWidget(lblAddress);
    productLayout->addWidget(lblCityStateZip);
    productLayout->addStretch(1);
    auto* questionRow = new QHBoxLayout;
    questionRow->addStretch(1);
    questionRow->addWidget(cmdQuestionaire);
    productLayout->addLayout(questionRow);
    return product;
}

// The credits tab: a tall picture that slides inside its container as the bar moves.
QWidget* frmAbout::creditsTab() {
    auto* credits = new QWidget;
    picContainer = named(new QFrame(credits), QStringLiteral("picContainer"));
    picContainer->setFixedSize(kPageWidth - kScrollWidth, kPageHeight);
    PicCredits = picturePage(picContainer, QStringLiteral("PicCredits"), QStringLiteral("Credits"));
    VScroll1 = named(new QScrollBar(Qt::Vertical, credits), QStringLiteral("VScroll1"));
    VScroll1->setFixedSize(kScrollWidth, kPageHeight);
    VScroll1->setAccessibleName(QStringLiteral("Scroll the credits"));
    auto* creditsLayout = new QHBoxLayout(credits);
    creditsLayout->setSpacing(0);
    creditsLayout->addStretch(1);
    creditsLayout->addWidget(picContainer, 0, Qt::AlignTop);
    creditsLayout->addWidget(VScroll1, 0, Qt::AlignTop);
    creditsLayout->addStretch(1);
    return credits;
}

QString frmAbout::buildText() {
    return QStringLiteral("Build :") + QString::number(KV_VERSION_MAJOR) + QLatin1Char('.') +
           QString::number(KV_VERSION_MINOR) + QLatin1Char('.') + QString::number(KV_VERSION_REVISION);
}

void frmAbout::Fill_User_Info() {
    const AboutUserInfo user = readAboutUserInfo(myAboutIniFile());
    lblName->setText(user.Name);
    lblAddress->setText(user.Address);
    lblCityStateZip->setText(user.City + QStringLiteral(", ") + user.State + QStringLiteral("  ") + user.ZipCode);
}

int frmAbout::typesetInto(QLabel* picture, const QList<PagePiece>& page, int minHeight, double pointSize) {
    const qreal ratio = std::max<qreal>(1.0, qApp->devicePixelRatio());
    const int width = picture == PicCredits ? picContainer->width() : kPageWidth;
    int height = minHeight;
    for (;;) {
        QImage image(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        CPrint cp;
        cp.Initialize_PictureBox(font(), image, kPictureMargins);
        QFont face(QStringLiteral("MS Sans Serif"));
        face.setPointSizeF(pointSize);
        face.setBold(false);
        cp.setActiveFont(face);
        cp.setDefaultFont(face);
        typesetPage(cp, page);
        const int used = int(std::ceil(cp.CurrentY() + kPictureMargins.top() + kPictureMargins.bottom()));
        cp.Done_Printing();
        if (used > height) {
            // The text runs past the picture: set it again on one that holds it all.
            height = used;
            continue;
        }
        const int shown = picture == PicCredits ? used : height;
        picture->setPixmap(QPixmap::fromImage(image.copy(0, 0, image.width(), int(shown * ratio))));
        picture->setFixedSize(width, shown);
        picture->setAccessibleDescription(pagePlainText(page));
        return used;
    }
}

bool frmAbout::Fill_Page_Publisher() {
    return guarded("Fill_Page_Publisher", [&] { typesetInto(picFileProd, publisherPage(), kPageHeight, 9); });
}

bool frmAbout::Fill_Page_Designer() {
    return guarded("Fill_Page_Designer", [&] { typesetInto(picDesigner, designerPage(), kPageHeight, 9); });
}

bool frmAbout::Fill_Page_Credits() {
    return guarded("Fill_Page_Credits", [&] {
        const int used = typesetInto(PicCredits, creditsPage(), kCreditsStartTwips / kTwipsPerPixel, 8);
        PicCredits->move(0, 0);
        VScroll1->setMinimum(0);
        VScroll1->setMaximum(std::max(0, used - picContainer->height()));
        VScroll1->setSingleStep(10);
        VScroll1->setPageStep(100);
        VScroll1->setValue(0);
    });
}

void frmAbout::cmdQuestionaire_Click() {
    // Without the questionnaire program, or when it cannot start, nothing happens.
    const QString path = QDir(ctx().appFolder).filePath(kQuestionnaire);
    IShell* shell = ctx().services.shell.get();
    if (!shell || !QFileInfo::exists(path)) return;
    shell->startProgram(path, ctx().appFolder);
}

} // namespace kv
