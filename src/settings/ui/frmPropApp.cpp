#include "settings/ui/frmPropApp.h"

#include "core/ErrorReport.h"
#include "platform/FormNames.h"
#include "platform/qt/DialogButtons.h"
#include "platform/qt/WindowUtil.h"
#include "settings/Help.h"
#include "settings/HelpContexts.h"
#include "settings/Options.h"
#include "settings/SearchScreenHook.h"
#include "settings/WindowSize.h"
#include "settings/ui/frmMailSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kv {

frmPropApp::frmPropApp(QWidget* parent) : QDialog(parent) {
    setObjectName(form::Options);
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    SSTab1 = named(new QTabWidget(this), "SSTab1");
    SSTab1->addTab(createSearchPage(), QStringLiteral("Search"));
    SSTab1->addTab(createGeneralPage(), QStringLiteral("General"));
    SSTab1->addTab(createBrowserPage(), QStringLiteral("Browser"));

    const DialogButtonRow buttons = dialogButtonRow(this, QStringLiteral("Ok"));
    cmdOK = buttons.ok;
    cmdCancel = buttons.cancel;
    cmdHelp = buttons.help;
    layOutDialog(this, SSTab1, buttons);

    connect(btnBrowse, &QPushButton::clicked, this, &frmPropApp::btnBrowse_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmPropApp::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdHelp, &QPushButton::clicked, this, [] { Show_Help_Context(help::Options); });
    connect(cmdMail, &QPushButton::clicked, this, [this] { Show_Mail_Settings(this); });
    connect(chkToolTips, &QCheckBox::toggled, this, [this] { setToolTips(); });

    Form_Load();
}

// One frame per search type.
QWidget* frmPropApp::createSearchPage() {
    auto* searchPage = new QWidget;
    auto* frames = new QHBoxLayout;
    const char* frameNames[3] = {"fraArtists", "fraAlbum", "fraTracks"};
    const char* frameTitles[3] = {"Artists", "Album", "Tracks"};
    const char* optNames[3] = {"optArtistAuto", "optAlbumAuto", "optTrackAuto"};
    QGroupBox** frameSlots[3] = {&fraArtists, &fraAlbum, &fraTracks};
    std::array<QRadioButton*, 2>* optSlots[3] = {&optArtistAuto, &optAlbumAuto, &optTrackAuto};
    for (int t = 0; t < 3; ++t) {
        auto* frame =
            named(new QGroupBox(QString::fromLatin1(frameTitles[t]), searchPage), frameNames[t]);
        auto* box = new QVBoxLayout(frame);
        for (int i = 0; i < 2; ++i) {
            auto* opt = new QRadioButton(i == 0 ? QStringLiteral("Search as you Type")
                                                : QStringLiteral("Click 'Go' to search"),
                                         frame);
            opt->setObjectName(
                QStringLiteral("%1_%2").arg(QString::fromLatin1(optNames[t])).arg(i));
            (*optSlots[t])[i] = opt;
            box->addWidget(opt);
        }
        chkQuick[t] = new QCheckBox(QStringLiteral("Quick search"), frame);
        chkQuick[t]->setObjectName(QStringLiteral("chkQuick_%1").arg(t));
        box->addSpacing(4);
        box->addWidget(chkQuick[t]);
        box->addStretch(1);
        *frameSlots[t] = frame;
        frames->addWidget(frame);
    }
    chkComps = named(new QCheckBox(QStringLiteral("Include compilations in results"), searchPage),
                     "chkComps");
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addLayout(frames);
    searchLayout->addWidget(chkComps);
    searchLayout->addStretch(1);
    return searchPage;
}

QWidget* frmPropApp::createGeneralPage() {
    auto* generalPage = new QWidget;
    chkIntro = named(new QCheckBox(QStringLiteral("Run Intro animation"), generalPage), "chkIntro");
    chkToolTips = named(new QCheckBox(QStringLiteral("Show Tips"), generalPage), "chkToolTips");
    fraCollection =
        named(new QGroupBox(QStringLiteral("Collection Contents"), generalPage), "fraCollection");
    chkColTip =
        named(new QCheckBox(QStringLiteral("Show collection name"), fraCollection), "chkColTip");
    chkQuickAdd = named(new QCheckBox(QStringLiteral("Quick Add"), fraCollection), "chkQuickAdd");
    chkDelConfirm =
        named(new QCheckBox(QStringLiteral("Confirm Delete"), fraCollection), "chkDelConfirm");
    auto* collectionLayout = new QVBoxLayout(fraCollection);
    collectionLayout->addWidget(chkColTip);
    collectionLayout->addWidget(chkQuickAdd);
    collectionLayout->addWidget(chkDelConfirm);
    auto* generalLayout = new QVBoxLayout(generalPage);
    generalLayout->addWidget(chkIntro);
    generalLayout->addWidget(chkToolTips);
    generalLayout->addWidget(fraCollection);
    cmdMail = named(new QPushButton(QStringLiteral("Mail Settings..."), generalPage), "cmdMail");
    generalLayout->addWidget(cmdMail, 0, Qt::AlignLeft);

    lblWindowSize = named(new QLabel(QStringLiteral("Window size"), generalPage), "lblWindowSize");
    cboWindowSize = named(new QComboBox(generalPage), "cboWindowSize");
    for (int choice : kWindowSizeChoices)
        cboWindowSize->addItem(strWindowSizeText(choice), choice);
    lblWindowSize->setBuddy(cboWindowSize);
    // Qt takes its scale when the program starts; a running program cannot change it.
    lblWindowSizeNote = named(new QLabel(generalPage), "lblWindowSizeNote");
    lblWindowSizeNote->setWordWrap(true);
    connect(cboWindowSize, &QComboBox::currentIndexChanged, this, [this] { windowSizeNote(); });
    windowSizeNote();
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(lblWindowSize);
    sizeRow->addWidget(cboWindowSize);
    sizeRow->addStretch(1);
    generalLayout->addLayout(sizeRow);
    generalLayout->addWidget(lblWindowSizeNote);
    generalLayout->addStretch(1);
    return generalPage;
}

QWidget* frmPropApp::createBrowserPage() {
    auto* browserPage = new QWidget;
    fraBrowser = named(new QGroupBox(QStringLiteral("Browser"), browserPage), "fraBrowser");
    lblName = named(new QLabel(QStringLiteral("Browser Name"), fraBrowser), "lblName");
    txtName = named(new QLineEdit(fraBrowser), "txtName");
    LblBrowser = named(new QLabel(QStringLiteral("Default Browser"), fraBrowser), "LblBrowser");
    txtBrowser = named(new QLineEdit(fraBrowser), "txtBrowser");
    btnBrowse = named(new QPushButton(QStringLiteral("Browse"), fraBrowser), "btnBrowse");
    lblName->setBuddy(txtName);
    LblBrowser->setBuddy(txtBrowser);
    auto* browserGrid = new QGridLayout(fraBrowser);
    browserGrid->addWidget(lblName, 0, 0);
    browserGrid->addWidget(txtName, 0, 1, 1, 2);
    browserGrid->addWidget(LblBrowser, 1, 0);
    browserGrid->addWidget(txtBrowser, 1, 1);
    browserGrid->addWidget(btnBrowse, 1, 2);
    browserGrid->setColumnStretch(1, 1);
    auto* browserLayout = new QVBoxLayout(browserPage);
    browserLayout->addWidget(fraBrowser);
    browserLayout->addStretch(1);
    return browserPage;
}

const std::array<QRadioButton*, 2>& frmPropApp::optAuto(int searchType) const {
    return searchType == 0 ? optArtistAuto : searchType == 1 ? optAlbumAuto : optTrackAuto;
}

QString frmPropApp::browserFilter() {
    return QStringLiteral("Browser ") + QStringLiteral(" (*.EXE)| *.EXE") + QLatin1Char('|') +
           QStringLiteral("All (*.*)| *.*");
}

void frmPropApp::Form_Load() {
    const ProgramOptions& o = ctx().options;
    m_oldQuick = o.QuickSearch;
    m_oldAuto = o.AutoSearch;
    m_oldComps = o.bIncludeCompilations;
    for (int t = 0; t < 3; ++t) {
        chkQuick[t]->setChecked(o.QuickSearch[t]);
        optAuto(t)[o.AutoSearch[t] ? 0 : 1]->setChecked(true);
    }
    chkComps->setChecked(o.bIncludeCompilations);
    chkQuickAdd->setChecked(o.bQuickAdd);
    chkDelConfirm->setChecked(o.bConfirmDelete);
    chkToolTips->setChecked(o.bToolTips);
    chkIntro->setChecked(o.bPlayIntro);
    chkColTip->setChecked(o.bCollectionTips);
    txtBrowser->setText(o.strBrowserPath);
    txtName->setText(o.strBrowserName);
    cboWindowSize->setCurrentIndex(std::max(0, cboWindowSize->findData(o.intWindowSize)));
    setToolTips();
}

void frmPropApp::setToolTips() {
    const bool on = chkToolTips->isChecked();
    auto tip = [on](QWidget* w, const char* text) {
        w->setToolTip(on ? QString::fromLatin1(text) : QString());
    };
    for (int t = 0; t < 3; ++t) {
        tip(optAuto(t)[0], "Search on every key you type");
        tip(optAuto(t)[1], "Search only when you press Enter or click Go");
        tip(chkQuick[t], "Move to the first matching name instead of narrowing the list");
    }
    tip(chkComps, "List artists who appear only on compilation albums");
    tip(chkIntro, "Play the animations on the start screen");
    tip(chkToolTips, "Show these tips");
    tip(chkColTip, "Show a collection's name when the pointer rests on its picture");
    tip(chkQuickAdd, "Add recordings to a collection without opening their details");
    tip(chkDelConfirm, "Ask before a recording is removed from a collection");
    tip(txtName, "The name of your web browser");
    tip(txtBrowser, "The program file of your web browser");
    tip(btnBrowse, "Choose the browser's program file");
    tip(cmdMail, "Choose how your e-mailed orders are sent");
    tip(cboWindowSize, "How large Korvanda is drawn; Automatic suits it to your screen");
}

void frmPropApp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        Center_Form(this);
    }
}

void frmPropApp::btnBrowse_Click() {
    IFileDialogs* files = ctx().services.files.get();
    if (!files) return;
    const QString chosen = files->openFile(this, QStringLiteral("Default Browser"), browserFilter(),
                                           QFileInfo(txtBrowser->text()).path());
    if (chosen.isEmpty()) return;
    txtBrowser->setText(chosen);
    txtName->setText(QFileInfo(chosen).completeBaseName());
}

void frmPropApp::cmdOK_Click() {
    guarded("cmdOK_Click", [&] {
        ProgramOptions& o = ctx().options;
        for (int t = 0; t < 3; ++t) {
            o.QuickSearch[t] = chkQuick[t]->isChecked();
            o.AutoSearch[t] = optAuto(t)[0]->isChecked();
        }
        o.bIncludeCompilations = chkComps->isChecked();
        o.bQuickAdd = chkQuickAdd->isChecked();
        o.bConfirmDelete = chkDelConfirm->isChecked();
        o.bToolTips = chkToolTips->isChecked();
        o.bPlayIntro = chkIntro->isChecked();
        o.bCollectionTips = chkColTip->isChecked();
        o.strBrowserPath = txtBrowser->text();
        o.strBrowserName = txtName->text();
        o.intWindowSize = cboWindowSize->currentData().toInt();

        // Only a search whose own settings changed needs running again; before the first
        // choice of search type there is none.
        const SearchScreenHook& search = ctx().slot<SearchScreenHook>();
        const int t = search.SearchType ? search.SearchType() : -1;
        if (t >= 0 && t <= 2 && search.refresh_Search &&
            (o.QuickSearch[t] != m_oldQuick[t] || o.AutoSearch[t] != m_oldAuto[t] ||
             o.bIncludeCompilations != m_oldComps))
            search.refresh_Search();

        bSave_Options();
    });
    accept();
}

bool Show_Options() {
    QWidget* owner = qobject_cast<QWidget*>(ctx().forms.loaded(form::Background));
    frmPropApp dialog(owner);
    const int result =
        ctx().services.dialogs ? ctx().services.dialogs->exec(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}

void frmPropApp::windowSizeNote() {
    // Qt takes its scale when the program starts; a running program cannot change it.
    const int now = ctx().constants.intWindowScale;
    QString note =
        QStringLiteral("Now %1. A new size is used the next time Korvanda starts.")
            .arg(strWindowSizeText(now));
    const int choice = cboWindowSize->currentData().toInt();
    const QScreen* s = screen();
    if (s && !bWindowSizeFits(choice, now, s->availableGeometry().size()))
        note += QStringLiteral(" At %1 Korvanda is larger than this screen and will not fit on it.")
                    .arg(strWindowSizeText(choice));
    lblWindowSizeNote->setText(note);
}

} // namespace kv
