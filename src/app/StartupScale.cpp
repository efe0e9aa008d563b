#include "app/StartupScale.h"

#include "platform/qt/ScreenProbe.h"
#include "settings/WindowSize.h"

#include <cmath>

namespace kv {

namespace {
constexpr char kScaleVariable[] = "QT_SCALE_FACTOR";
} // namespace

QByteArray composedScaleFactor(const std::optional<QByteArray>& userValue, int percent) {
    double user = 1.0;
    if (userValue) {
        bool ok = false;
        const double value = userValue->trimmed().toDouble(&ok);
        if (ok && std::isfinite(value) && value > 0) user = value;
    }
    return QByteArray::number(user * percent / 100.0, 'g', 6);
}

StartupScale::StartupScale(int argc, char** argv)
    : StartupScale(Inputs{[] { return peekWindowSizeSetting(); },
                          [argc, argv] { return probeAvailableScreenSize(argc, argv); }}) {}

StartupScale::StartupScale(const Inputs& inputs) {
    const int choice = inputs.storedChoice ? inputs.storedChoice() : kWindowSizeAutomatic;
    if (choice != kWindowSizeAutomatic) {
        m_percent = choice;
    } else {
        const std::optional<QSize> screen =
            inputs.availableScreen ? inputs.availableScreen() : std::nullopt;
        m_percent = screen ? intAutomaticWindowSize(*screen) : 100;
    }
    apply();
}

StartupScale::~StartupScale() { restoreEnvironment(); }

void StartupScale::apply() {
    if (m_percent == 100) return;
    if (qEnvironmentVariableIsSet(kScaleVariable)) m_userValue = qgetenv(kScaleVariable);
    qputenv(kScaleVariable, composedScaleFactor(m_userValue, m_percent));
    m_changed = true;
}

void StartupScale::restoreEnvironment() {
    if (!m_changed) return;
    m_changed = false;
    if (m_userValue)
        qputenv(kScaleVariable, *m_userValue);
    else
        qunsetenv(kScaleVariable);
}

} // namespace kv
