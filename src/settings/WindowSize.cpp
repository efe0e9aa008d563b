#include "settings/WindowSize.h"

#include "settings/Options.h"
#include "settings/SettingsStore.h"

#include <algorithm>

namespace kv {

QString strWindowSizeText(int choice) {
    if (choice == kWindowSizeAutomatic) return QStringLiteral("Automatic");
    return QStringLiteral("%1%").arg(choice);
}

bool bTextToWindowSize(const QString& text, int& choice) {
    QString t = text.trimmed();
    if (t.compare(QLatin1String("Automatic"), Qt::CaseInsensitive) == 0) {
        choice = kWindowSizeAutomatic;
        return true;
    }
    if (t.endsWith(QLatin1Char('%'))) t = t.chopped(1).trimmed();
    bool ok = false;
    const int percent = t.toInt(&ok);
    if (!ok || percent == kWindowSizeAutomatic ||
        std::find(kWindowSizeChoices.begin(), kWindowSizeChoices.end(), percent) ==
            kWindowSizeChoices.end())
        return false;
    choice = percent;
    return true;
}

bool bWindowSizeFits(int choice, int currentPercent, const QSize& available, const QSize& window) {
    if (choice == kWindowSizeAutomatic || available.isEmpty() || currentPercent <= 0) return true;
    // window * choice / current <= available, in whole numbers.
    return qint64(window.width()) * choice <= qint64(available.width()) * currentPercent &&
           qint64(window.height()) * choice <= qint64(available.height()) * currentPercent;
}

int intAutomaticWindowSize(const QSize& available, const QSize& window) {
    int best = 100;
    if (available.isEmpty() || window.isEmpty()) return best;
    // In whole numbers, so that a window just at the limit is judged the same everywhere:
    // window * choice / 100 <= available * share / 100.
    const auto fits = [](qint64 side, qint64 room, int choice) {
        return side * choice <= room * kAutomaticScreenShare;
    };
    for (int choice : kWindowSizeChoices) {
        if (choice == kWindowSizeAutomatic) continue;
        if (fits(window.width(), available.width(), choice) &&
            fits(window.height(), available.height(), choice))
            best = std::max(best, choice);
    }
    return best;
}

int GetSetting_WindowSize() {
    int choice = kWindowSizeAutomatic;
    GetSetting_Checked(kSectionProgramOptions, optkey::WindowSize,
                       strWindowSizeText(kWindowSizeAutomatic),
                       [&](const QString& text) { return bTextToWindowSize(text, choice); });
    return choice;
}

int peekWindowSizeSetting() {
    const std::optional<QString> stored =
        PeekSetting(kDefaultSettingsApp, kSectionProgramOptions, optkey::WindowSize);
    int choice = kWindowSizeAutomatic;
    if (!stored || !bTextToWindowSize(*stored, choice)) return kWindowSizeAutomatic;
    return choice;
}

} // namespace kv
