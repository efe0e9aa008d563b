#pragma once

#include "platform/AppContext.h"
#include "platform/FormNames.h"

#include <QWidget>

namespace kv {

// The dialog of the run registered under `name`: loaded on first use as a window of the
// background window (so it stands in front of the program and goes when the program
// unloads its windows), then only shown and hidden. A test may register its own factory
// first.
template <typename Dialog> Dialog* dialogOnFirstUse(const QString& name) {
    FormRegistry& forms = ctx().forms;
    if (!forms.hasFactory(name))
        forms.registerFactory(name, [] {
            return new Dialog(qobject_cast<QWidget*>(ctx().forms.loaded(form::Background)));
        });
    return forms.get<Dialog>(name);
}

} // namespace kv
