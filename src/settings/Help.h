#pragma once

#include <QString>

namespace kv {

// The help calls. They reach the help viewer through ctx().services.help; with no viewer
// installed they do nothing.

// The help book: the application folder and "Korvanda.hlp".
QString strHelpFile();
// Opens the help book at the topic for the current screen (ctx().intCurrentScreen), at its
// contents before the first screen; the fax and e-mail ordering pages have no topic.
void Show_Help();
void Show_Help_Context(qint32 contextNumber);
void Show_Help_Contents();

// The context number for a screen code: 0 means the contents, -1 no help.
int Help_Context_For_Screen(int screenCode);

} // namespace kv
