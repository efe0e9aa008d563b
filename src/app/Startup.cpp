#include "app/Startup.h"

#include "app/frmBackground.h"
#include "app/frmSplash.h"
#include "db/CatalogueTemplate.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

namespace kv {

void measureScreen() {
    Constants& c = ctx().constants;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        c.intScreenWidth = screen->geometry().width();
        c.intScreenHeight = screen->geometry().height();
    }
}

void Init_Constants(const QString& applicationFolder) {
    AppContext& a = ctx();
    Constants& c = a.constants;
    c.intLayoutClass = 0;
    c.lngResourceBase = 10000;
    c.strDBPassword = db::kCataloguePassword;
    c.strDBUser = db::kCatalogueUser;
    c.strCatalogueTitle = QStringLiteral("Korvanda");
    c.strCatalogueIDCode = db::kCatalogueIDCode;
    c.dblCatalogueVersion = db::kCatalogueVersion;
    c.strTitleMarkerFile = QStringLiteral("Korva.$$$");
    c.rectScreenArea = QRect(16, 57, 600, 335);

    if (!applicationFolder.isEmpty())
        a.appFolder = applicationFolder;
    else if (a.appFolder.isEmpty())
        a.appFolder = QCoreApplication::applicationDirPath();
    a.appFolder = QDir::cleanPath(a.appFolder);
    if (a.userDataFolder.isEmpty())
        a.userDataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (a.services.help)
        a.services.help->setHelpFile(a.appFolder + QStringLiteral("/Korvanda.hlp"));
}

void Set_Settings_App(const QString& name) {
    const QString trimmed = name.trimmed();
    ctx().constants.strSettingsApp = trimmed.isEmpty() ? QStringLiteral("Korvanda") : trimmed;
}

void placeBackground(QWidget* background) {
    const Constants& c = ctx().constants;
    if (c.intScreenWidth == 640) {
        background->move(0, 0);
        return;
    }
    const QSize size = background->frameGeometry().size();
    background->move((c.intScreenWidth - size.width()) / 2, (c.intScreenHeight - size.height()) / 2);
}

bool Main_Startup(const StartupPlan& plan) {
    AppContext& a = ctx();
    bool bSuccess = true;
    a.busy().setBusy();

    measureScreen();
    Init_Constants();
    Set_Settings_App(QStringLiteral("TALV_Ltd"));

    auto* background = a.forms.get<frmBackground>(form::Background);
    auto* splash = a.forms.get<frmSplash>(form::Splash);
    if (!background || !splash)
        bSuccess = false;
    if (bSuccess) {
        splash->setOwnerWindow(background);
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();
    }

    for (const StartupStep& step : plan.steps) {
        if (!bSuccess)
            break;
        bSuccess = step.run ? step.run() : false;
    }

    if (bSuccess) {
        a.forms.load(form::Search); // loaded hidden; absent until registered
        background->Show_me();
        a.forms.load(form::SwitchBoard);
        if (plan.showFirstScreen)
            bSuccess = plan.showFirstScreen();
    }

    if (!bSuccess) {
        a.messages().beep();
        a.messages().show(QStringLiteral("System Failed to start"), mb::OKOnly);
        a.services.process->endNow(1);
    }

    // Finishing: the splash animates in front while the main windows wait out of use.
    QWidget* switchboard = qobject_cast<QWidget*>(a.forms.loaded(form::SwitchBoard));
    background->setEnabled(false);
    if (switchboard)
        switchboard->setEnabled(false);
    splash->show();
    splash->raise();
    placeBackground(background);
    splash->RemoveSplash(plan.splashStepDelayMs);
    background->setEnabled(true);
    if (switchboard)
        switchboard->setEnabled(true);
    background->raise();
    background->activateWindow();
    if (plan.switchEffects)
        plan.switchEffects();
    a.busy().reset();
    return true;
}

} // namespace kv
