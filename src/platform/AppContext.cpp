#include "platform/AppContext.h"

#include <QRegularExpression>
#include <atomic>
#include <map>
#include <vector>

namespace kv {

struct AppContext::SlotStore {
    std::map<int, std::shared_ptr<void>> entries;
    std::vector<int> creationOrder;
};

AppContext::AppContext() : m_slots(std::make_unique<SlotStore>()) {}

AppContext::~AppContext() {
    // Windows go first (they may still use the subsystems), then the subsystems in
    // reverse order of creation, then the services.
    forms.unloadAll();
    for (auto it = m_slots->creationOrder.rbegin(); it != m_slots->creationOrder.rend(); ++it)
        m_slots->entries[*it].reset();
}

int AppContext::nextSlotKey() {
    static std::atomic<int> next{0};
    return next++;
}

std::shared_ptr<void>& AppContext::slotAt(int key) { return m_slots->entries[key]; }

void AppContext::noteSlotCreated(int key) { m_slots->creationOrder.push_back(key); }

namespace {
AppContext* g_current = nullptr;
} // namespace

AppContext& ctx() {
    if (!g_current) {
        static AppContext fallback;
        g_current = &fallback;
    }
    return *g_current;
}

ScopedContext::ScopedContext() : m_context(std::make_unique<AppContext>()), m_previous(g_current) {
    g_current = m_context.get();
}

ScopedContext::~ScopedContext() {
    m_context.reset();
    g_current = m_previous;
}

BusyScope::BusyScope() : m_pointer(ctx().services.busy.get()) {
    if (m_pointer)
        m_pointer->setBusy();
}

BusyScope::~BusyScope() {
    if (m_pointer)
        m_pointer->restore();
}

QString qtFilterFromClassic(const QString& classic) {
    // Pairs of "description|pattern"; the pattern list may be separated by ';'.
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts)) {
            // "*.*" would miss files without a dot, which are common here.
            if (pattern == QLatin1String("*.*")) {
                if (!patterns.contains(QStringLiteral("*")))
                    patterns << QStringLiteral("*");
                continue;
            }
            for (const QString& form : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(form))
                    patterns << form;
        }
        // Qt takes the patterns from the last parentheses of the description.
        static const QRegularExpression trailingParens(QStringLiteral("\\s*\\([^()]*\\)$"));
        description.remove(trailingParens);
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace kv
