#include "platform/FormRegistry.h"

namespace kv {

FormRegistry::~FormRegistry() { unloadAll(); }

void FormRegistry::unloadAll() {
    // Newest first, so a window never outlives one it was made from.
    while (!m_order.isEmpty())
        unload(m_order.constLast());
}

void FormRegistry::registerFactory(const QString& name, Factory factory) {
    m_factories.insert(name, std::move(factory));
}

bool FormRegistry::hasFactory(const QString& name) const { return m_factories.contains(name); }

QObject* FormRegistry::loaded(const QString& name) const { return m_loaded.value(name).data(); }

QObject* FormRegistry::load(const QString& name) {
    if (QObject* window = loaded(name))
        return window;
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.constEnd())
        return nullptr;
    QObject* window = (*factory)();
    if (window)
        adopt(name, window);
    return window;
}

void FormRegistry::adopt(const QString& name, QObject* window) {
    m_order.removeAll(name);
    m_loaded.insert(name, window);
    m_order.append(name);
}

bool FormRegistry::unload(const QString& name) {
    QPointer<QObject> window = m_loaded.take(name);
    m_order.removeAll(name);
    if (!window)
        return false;
    delete window.data();
    return true;
}

QStringList FormRegistry::loadedNames() const {
    QStringList names;
    for (const QString& name : m_order)
        if (m_loaded.value(name))
            names << name;
    return names;
}

} // namespace kv
