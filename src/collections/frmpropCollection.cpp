#include "collections/frmpropCollection.h"

#include "collections/CollectionIcon.h"
#include "core/ErrorReport.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace kv {

namespace {

constexpr int kGeneralTab = 0;
constexpr int kCategoriesTab = 1;
constexpr int kIconBox = 52;

} // namespace

frmpropCollection::frmpropCollection(QWidget* parent) : QDialog(parent) {
    setObjectName(form::CollectionProperties);
    setWindowTitle(QStringLiteral("Collection"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    SSTProps = named(new QTabWidget(this), QStringLiteral("SSTProps"));

    auto* general = new QWidget;
    lblName =
        named(new QLabel(QStringLiteral("Collection Name"), general), QStringLiteral("lblName"));
    txtName = named(new QLineEdit(general), QStringLiteral("txtName"));
    txtName->setMaxLength(50);
    lblNotes = named(new QLabel(QStringLiteral("Notes"), general), QStringLiteral("lblNotes"));
    txtNotes = named(new QPlainTextEdit(general), QStringLiteral("txtNotes"));
    txtNotes->setTabChangesFocus(true);
    lblIcon =
        named(new QLabel(QStringLiteral("Collection Icon"), general), QStringLiteral("lblIcon"));
    imgIcon = named(new QLabel(general), QStringLiteral("imgIcon"));
    imgIcon->setFixedSize(kIconBox, kIconBox);
    imgIcon->setAlignment(Qt::AlignCenter);
    imgIcon->setFrameShape(QFrame::StyledPanel);
    imgIcon->setFrameShadow(QFrame::Sunken);
    cmdIcon = named(new QPushButton(QStringLiteral("Change"), general), QStringLiteral("cmdIcon"));
    cmdIcon->setAccessibleName(QStringLiteral("Change the icon"));
    imgIcon->setAccessibleName(QStringLiteral("Collection Icon"));
    lblName->setBuddy(txtName);
    lblNotes->setBuddy(txtNotes);

    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(imgIcon);
    iconRow->addWidget(cmdIcon, 0, Qt::AlignBottom);
    iconRow->addStretch(1);
    auto* generalGrid = new QGridLayout(general);
    generalGrid->addWidget(lblName, 0, 0);
    generalGrid->addWidget(txtName, 0, 1);
    generalGrid->addWidget(lblNotes, 1, 0, Qt::AlignTop);
    generalGrid->addWidget(txtNotes, 1, 1);
    generalGrid->addWidget(lblIcon, 2, 0, Qt::AlignTop);
    generalGrid->addLayout(iconRow, 2, 1);
    generalGrid->setColumnStretch(1, 1);
    generalGrid->setRowStretch(1, 1);

    auto* categories = new QWidget;
    auto* categoryGrid = new QGridLayout(categories);
    for (int i = 1; i <= 5; ++i) {
        lblUDF[i] = named(new QLabel(QStringLiteral("User Category %1").arg(i), categories),
                          QStringLiteral("lblUDF_%1").arg(i));
        txtUDF[i] = named(new QLineEdit(categories), QStringLiteral("txtUDF_%1").arg(i));
        txtUDF[i]->setMaxLength(50);
        chkUDF[i] = named(new QCheckBox(QStringLiteral("enabled"), categories),
                          QStringLiteral("chkUDF_%1").arg(i));
        lblUDF[i]->setBuddy(txtUDF[i]);
        chkUDF[i]->setAccessibleName(QStringLiteral("User Category %1 enabled").arg(i));
        categoryGrid->addWidget(lblUDF[i], i - 1, 0);
        categoryGrid->addWidget(txtUDF[i], i - 1, 1);
        categoryGrid->addWidget(chkUDF[i], i - 1, 2);
    }
    categoryGrid->setColumnStretch(1, 1);
    categoryGrid->setRowStretch(5, 1);

    SSTProps->addTab(general, QStringLiteral("General"));
    SSTProps->addTab(categories, QStringLiteral("User Defined Categories"));

    const DialogButtonRow buttons = dialogButtonRow(this);
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    layOutDialog(this, SSTProps, buttons);
    Center_Form_When_Shown(this);
    resize(440, 330);

    connect(cmdIcon, &QPushButton::clicked, this, &frmpropCollection::cmdIcon_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmpropCollection::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmpropCollection::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this,
            [] { Show_Help_Context(help::CollectionProperties); });
    // The close box cancels like the Cancel button.
    connect(this, &QDialog::rejected, this, [this] { Accepted = false; });
}

QString frmpropCollection::iconFilter() {
    return QStringLiteral("Icon (*.ICO)|*.ICO|All (*.*)| *.*");
}

void frmpropCollection::setIconPicture(const QPixmap& picture) {
    m_icon = picture;
    if (picture.isNull()) {
        imgIcon->clear();
        return;
    }
    const int side = kIconBox - 4;
    const QSize logical = picture.deviceIndependentSize().toSize();
    imgIcon->setPixmap(logical.width() > side || logical.height() > side
                           ? fitIcon(picture, side, imgIcon->devicePixelRatioF())
                           : picture);
}

void frmpropCollection::cmdIcon_Click() {
    IFileDialogs* files = ctx().services.files.get();
    if (!files) return;
    const QString chosen =
        files->openFile(this, QStringLiteral("Select Icon File"), iconFilter(),
                        m_iconFile.isEmpty() ? QString() : QFileInfo(m_iconFile).path());
    if (chosen.isEmpty()) return;
    QPixmap picture;
    const int error = loadIconFile(chosen, picture);
    if (error == err::InvalidPicture) {
        ctx().messages().show(QStringLiteral("This is not a valid Icon file"),
                              mb::OKOnly | mb::Exclamation);
        return;
    }
    if (error != 0) {
        ctx().messages().show(errorDescription(error), mb::OKOnly | mb::Exclamation);
        return;
    }
    setIconPicture(picture);
    IconDirty = true;
    m_iconFile = QFileInfo(chosen).absoluteFilePath();
}

bool frmpropCollection::bValidate_Entry() {
    return guarded("bValidate_Entry", [&] {
        // Only the empty text is refused; a name of blanks is a name.
        if (txtName->text().isEmpty()) {
            ctx().messages().show(QStringLiteral("Please enter a name for the collection"),
                                  mb::OKOnly | mb::Exclamation);
            if (SSTProps->currentIndex() != kGeneralTab) SSTProps->setCurrentIndex(kGeneralTab);
            txtName->setFocus();
            return false;
        }
        for (int i = 1; i <= 5; ++i) {
            if (chkUDF[i]->isChecked() && txtUDF[i]->text().isEmpty()) {
                ctx().messages().show(
                    QStringLiteral("User Field ") + QString::number(i) +
                        QStringLiteral(" is enabled - Please enter a title for this field"),
                    mb::OKOnly | mb::Exclamation);
                if (SSTProps->currentIndex() == kGeneralTab)
                    SSTProps->setCurrentIndex(kCategoriesTab);
                txtUDF[i]->setFocus();
                return false;
            }
        }
        return true;
    });
}

void frmpropCollection::cmdOK_Click() {
    if (!bValidate_Entry()) return;
    Accepted = true;
    accept();
}

void frmpropCollection::cmdCancel_Click() {
    Accepted = false;
    reject();
}

} // namespace kv
