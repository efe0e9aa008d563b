#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>

namespace kv {

// The program's windows by name. A window is created on first use ("loaded when it is
// not loaded"), can be asked whether it is loaded, and is unloaded (destroyed) on request
// or when the registry ends. Factories are registered by the program (and by tests), so
// lower layers can reach a window without including its header.
class FormRegistry {
public:
    using Factory = std::function<QObject*()>;

    FormRegistry() = default;
    ~FormRegistry();
    FormRegistry(const FormRegistry&) = delete;
    FormRegistry& operator=(const FormRegistry&) = delete;

    void registerFactory(const QString& name, Factory factory);
    bool hasFactory(const QString& name) const;

    // The loaded window, or nullptr.
    QObject* loaded(const QString& name) const;
    bool isLoaded(const QString& name) const { return loaded(name) != nullptr; }
    // The window, loading it first when needed; nullptr when no factory knows the name.
    QObject* load(const QString& name);
    template <typename T> T* get(const QString& name) { return qobject_cast<T*>(load(name)); }
    template <typename T> T* find(const QString& name) const { return qobject_cast<T*>(loaded(name)); }

    // Destroys a window when it is loaded; returns whether it was.
    bool unload(const QString& name);
    void unloadAll();
    // Names of the loaded windows in the order they were loaded.
    QStringList loadedNames() const;
    // Takes ownership of a window made elsewhere (the program's first windows).
    void adopt(const QString& name, QObject* window);

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QObject>> m_loaded;
    QStringList m_order;
};

} // namespace kv
