#include "fakes/Fakes.h"

namespace kv::test {

int FakeMessageBox::show(const QString& text, int style, const QString& title) {
    ShownBox box{text, title, mb::buttonsOf(style), mb::iconOf(style), mb::defaultOf(style)};
    boxes.push_back(box);
    if (onShow)
        onShow(box);
    if (!answers.empty()) {
        const int result = answers.front();
        answers.pop_front();
        return result;
    }
    // The default button of each button set.
    static const int first[] = {mb::OK, mb::OK, mb::Abort, mb::Yes, mb::Yes, mb::Retry};
    static const int second[] = {mb::OK, mb::Cancel, mb::Retry, mb::No, mb::No, mb::Cancel};
    static const int third[] = {mb::OK, mb::Cancel, mb::Ignore, mb::Cancel, mb::No, mb::Cancel};
    const int set = box.buttons <= 5 ? box.buttons : 0;
    if (box.defaultButton == mb::Default2)
        return second[set];
    if (box.defaultButton == mb::Default3)
        return third[set];
    return first[set];
}

int FakeMessageBox::showWithHelp(const QString& text, int style, int helpContext, const QString& title) {
    const size_t before = boxes.size();
    const int answer = show(text, style | mb::MsgBoxHelpButton, title);
    if (boxes.size() > before)
        boxes[before].helpContext = helpContext;
    return answer;
}

QStringList FakeMessageBox::texts() const {
    QStringList list;
    for (const auto& b : boxes)
        list << b.text;
    return list;
}

int FakeDialogRunner::exec(QDialog& dialog) {
    shown << (dialog.objectName().isEmpty() ? dialog.windowTitle() : dialog.objectName());
    if (scripts.empty()) {
        dialog.reject();
        return QDialog::Rejected;
    }
    Script s = std::move(scripts.front());
    scripts.pop_front();
    dialog.setResult(QDialog::Rejected);
    s(dialog);
    return dialog.result();
}

QString FakeFileDialogs::openFile(QWidget*, const QString& title, const QString& filter,
                                  const QString& initialDir) {
    requests.push_back({title, filter, initialDir});
    if (answers.empty())
        return QString();
    QString a = answers.front();
    answers.pop_front();
    return a;
}

QString FakeFileDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& initialPath) {
    return openFile(parent, title, filter, initialPath);
}

TestContext::TestContext()
    : messages(*new FakeMessageBox), dialogs(*new FakeDialogRunner), files(*new FakeFileDialogs),
      busy(*new FakeBusyPointer), sound(*new FakeSound), help(*new FakeHelpViewer),
      process(*new FakeProcessControl), shell(*new FakeShell) {
    Services& s = m_scope.get().services;
    s.messages.reset(&messages);
    s.dialogs.reset(&dialogs);
    s.files.reset(&files);
    s.busy.reset(&busy);
    s.sound.reset(&sound);
    s.help.reset(&help);
    s.process.reset(&process);
    s.shell.reset(&shell);
    s.resources = nullptr;
    ctx().constants.lngResourceBase = 10000;
}

} // namespace kv::test
