#include "collections/frmPropAlbum.h"

#include "collections/CollectionStore.h"
#include "collections/NRCollections.h"
#include "core/ErrorReport.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

constexpr int kMyDetailsTab = 1;
constexpr int kLeft = 12;
constexpr int kBoxWidth = 380;
constexpr int kNotesLabelHeight = 18;
constexpr int kNotesHeight = 76;

QLineEdit* fixedBox(QWidget* parent, const char* name) {
    auto* box = named(new QLineEdit(parent), QString::fromLatin1(name));
    // Shown from the stored item and never written back, and it looks it.
    box->setReadOnly(true);
    QPalette look = box->palette();
    look.setColor(QPalette::Base, look.color(QPalette::Window));
    box->setPalette(look);
    return box;
}

} // namespace

frmPropAlbum::frmPropAlbum(QWidget* parent) : QDialog(parent) {
    setObjectName(form::ItemProperties);
    setWindowTitle(QStringLiteral("Collection Item"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    collectionStore().bItemDialogLoaded = true;

    SSTab1 = named(new QTabWidget(this), QStringLiteral("SSTab1"));

    auto* recording = new QWidget;
    lblTitle = named(new QLabel(QStringLiteral("Title"), recording), QStringLiteral("lblTitle"));
    txtTitle = fixedBox(recording, "txtTitle");
    Label1 = named(new QLabel(QStringLiteral("Artist"), recording), QStringLiteral("Label1"));
    txtArtist = fixedBox(recording, "txtArtist");
    lblCatNumber = named(new QLabel(QStringLiteral("Catalogue Number"), recording),
                         QStringLiteral("lblCatNumber"));
    txtCatNumber = fixedBox(recording, "txtCatNumber");
    lblReleaseDate = named(new QLabel(QStringLiteral("Release Date"), recording),
                           QStringLiteral("lblReleaseDate"));
    txtReleaseDate = fixedBox(recording, "txtReleaseDate");
    lblMedium =
        named(new QLabel(QStringLiteral("Release Format"), recording), QStringLiteral("lblMedium"));
    txtMedium = fixedBox(recording, "txtMedium");
    lblLabel = named(new QLabel(QStringLiteral("Label"), recording), QStringLiteral("lblLabel"));
    txtLabel = fixedBox(recording, "txtLabel");
    // The labels name their boxes for screen readers; a form layout does not pair them.
    lblTitle->setBuddy(txtTitle);
    Label1->setBuddy(txtArtist);
    lblCatNumber->setBuddy(txtCatNumber);
    lblReleaseDate->setBuddy(txtReleaseDate);
    lblMedium->setBuddy(txtMedium);
    lblLabel->setBuddy(txtLabel);
    auto* form = new QFormLayout(recording);
    form->addRow(lblTitle, txtTitle);
    form->addRow(Label1, txtArtist);
    form->addRow(lblCatNumber, txtCatNumber);
    form->addRow(lblReleaseDate, txtReleaseDate);
    form->addRow(lblMedium, txtMedium);
    form->addRow(lblLabel, txtLabel);

    // The user-field rows are placed by Setup_UDFinput, so this page has no layout.
    m_myDetails = new QWidget;
    for (int i = 1; i <= 5; ++i) {
        LblUDF[i] = named(new QLabel(m_myDetails), QStringLiteral("LblUDF_%1").arg(i));
        txtUDF[i] = named(new QLineEdit(m_myDetails), QStringLiteral("txtUDF_%1").arg(i));
        txtUDF[i]->setMaxLength(255);
        LblUDF[i]->setBuddy(txtUDF[i]);
        LblUDF[i]->setGeometry(kLeft, 0, kBoxWidth,
                               twipsToPixels(kFirstBoxTwips - kFirstLabelTwips));
        txtUDF[i]->setGeometry(kLeft, 0, kBoxWidth, txtUDF[i]->sizeHint().height());
        LblUDF[i]->hide();
        txtUDF[i]->hide();
    }
    lblNotes = named(new QLabel(QStringLiteral("Notes"), m_myDetails), QStringLiteral("lblNotes"));
    txtNotes = named(new QPlainTextEdit(m_myDetails), QStringLiteral("txtNotes"));
    txtNotes->setTabChangesFocus(true);
    lblNotes->setBuddy(txtNotes);
    placeNotes(kFirstLabelTwips);
    const int lowestNotes = twipsToPixels(kFirstLabelTwips + 5 * kRowStepTwips);
    m_myDetails->setMinimumSize(kLeft * 2 + kBoxWidth,
                                lowestNotes + kNotesLabelHeight + kNotesHeight + 10);

    SSTab1->addTab(recording, QStringLiteral("Recording Details"));
    SSTab1->addTab(m_myDetails, QStringLiteral("My Details"));
    SSTab1->setTabEnabled(kMyDetailsTab, false);

    const DialogButtonRow buttons = dialogButtonRow(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    layOutDialog(this, SSTab1, buttons);
    Center_Form_When_Shown(this);

    connect(cmdOK, &QPushButton::clicked, this, [this] {
        Accepted = true;
        accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        Accepted = false;
        reject();
    });
    connect(this, &QDialog::rejected, this, [this] { Accepted = false; });
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::ItemProperties); });
}

frmPropAlbum::~frmPropAlbum() {
    collectionStore().bItemDialogLoaded = false;
}

void frmPropAlbum::Setup_UDFinput(const QString& key) {
    guarded("Setup_UDFinput", [&] {
        const CCollection* collection = RCollections().item(key);
        if (!collection) raiseError(err::ObjectNotSet);
        setWindowTitle(QStringLiteral("Details in - ") + collection->strTitle);
        int labelTop = kFirstLabelTwips;
        int boxTop = kFirstBoxTwips;
        for (int i = 1; i <= 5; ++i) {
            if (collection->UDFvisible(i)) {
                LblUDF[i]->move(kLeft, twipsToPixels(labelTop));
                LblUDF[i]->setText(collection->UDFTitle(i));
                txtUDF[i]->move(kLeft, twipsToPixels(boxTop));
                LblUDF[i]->show();
                txtUDF[i]->show();
                labelTop += kRowStepTwips;
                boxTop += kRowStepTwips;
            } else {
                LblUDF[i]->hide();
                txtUDF[i]->hide();
            }
        }
        placeNotes(labelTop);
        SSTab1->setTabEnabled(kMyDetailsTab, collection->anyUDFvisible());
    });
}

void frmPropAlbum::placeNotes(int labelTwips) {
    const int top = twipsToPixels(labelTwips);
    lblNotes->setGeometry(kLeft, top, kBoxWidth, kNotesLabelHeight - 2);
    txtNotes->setGeometry(kLeft, top + kNotesLabelHeight, kBoxWidth, kNotesHeight);
}

void frmPropAlbum::setThisCollection(const QString& key) {
    if (key != m_thisCollection) Setup_UDFinput(key);
    m_thisCollection = key;
}

} // namespace kv
