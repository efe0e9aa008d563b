#include "app/frmSplash.h"

#include "core/RecordHelpers.h"
#include "platform/AppContext.h"
#include "platform/FormNames.h"
#include "platform/qt/ImageButton.h"
#include "platform/qt/WindowUtil.h"

#include <QCoreApplication>
#include <QWindow>

namespace kv {

namespace {
// The classic layout unit: 15 twips to a pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;
constexpr int kStepTwips = 100;
} // namespace

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(form::Splash);
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_clip = new QWidget(this);
    imgMain = new QLabel(m_clip);
    imgMain->setObjectName(QStringLiteral("imgMain"));
    const QPixmap picture = resourcePicture(ctx().constants.lngResourceBase + 100, this);
    imgMain->setPixmap(picture);
    const QSize size = picture.isNull() ? QSize(480, 300) : picture.deviceIndependentSize().toSize();
    imgMain->resize(size);
    m_clip->resize(size);
    setFixedSize(size);
    Center_Form(this);
}

void frmSplash::setOwnerWindow(QWidget* owner) {
    // A transient owner, not a parent: the splash must stay enabled while the owner is
    // taken out of use during the animation.
    if (!owner)
        return;
    owner->winId();
    winId();
    if (windowHandle() && owner->windowHandle())
        windowHandle()->setTransientParent(owner->windowHandle());
}

bool frmSplash::PlayWave(const QByteArray& wave, int flags) {
    ISound* sound = ctx().services.sound.get();
    return sound && sound->play(wave, flags | ISound::Memory);
}

void frmSplash::RemoveSplash(int stepDelayMs) {
    AppContext& a = ctx();
    {
        BusyScope busy;
        show();
        repaint();
        QByteArray loop, closing;
        if (IResources* r = a.services.resources.get()) {
            loop = r->wave(10054);
            closing = r->wave(10056);
        }
        // Narrow the window around its centre; the picture slides so it appears to be
        // covered from both sides.
        const int fullWidth = width();
        const int step = std::max(1, kStepTwips / kTwipsPerPixel);
        const QPoint origin = pos();
        bool first = true;
        for (int shown = fullWidth; shown > 0; shown -= step) {
            if (first) {
                PlayWave(loop, ISound::Async | ISound::Loop);
                first = false;
            }
            const int left = (fullWidth - shown) / 2;
            setFixedWidth(shown);
            move(origin.x() + left, origin.y());
            m_clip->resize(shown, height());
            imgMain->move(-left, 0);
            QCoreApplication::processEvents();
            if (stepDelayMs > 0)
                Pause(float(stepDelayMs) / 1000.0f);
        }
        // Playing the closing sound also stops the looping one.
        PlayWave(closing, ISound::Sync);
        hide();
    }
    a.forms.unload(form::Splash);
    a.busy().reset();
}

} // namespace kv
