#include "baxwin/ui/mdlmain.h"

#include "baxwin/ui/frmbaxwin.h"
#include "baxwin/ui/frmcorf.h"
#include "shared/apppaths.h"
#include "shared/inifile.h"
#include "shared/numbers.h"
#include "shared/ui/qtmessagepresenter.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace MdlMain {

namespace {

// One lock per user: a second Baxwin finds it held by the first.
QString lockPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("baxwin.lock"));
}

} // namespace

int run(const QStringList& arguments) {
    const int langNo = Numbers::languageNumberFromArgument(arguments.value(0));
    langFile().setINIFile(AppPaths::applicationDir() + QDir::separator() +
                          QStringLiteral("LANG%1.DAT").arg(langNo));

    QLockFile lock(lockPath());
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return 0;

    QtMessagePresenter presenter;
    setMessagePresenter(&presenter);
    frmBaxwin editor(langNo);
    presenter.setParent(&editor);
    editor.setAttribute(Qt::WA_QuitOnClose, true);
    editor.show();

    frmCorF source(&editor);
    const int code = source.ShowDialog();
    if (code < 0)
        return 0; // closed without a choice: no definitions, no link
    editor.setButtonsEnabled(code == 1);
    if (!editor.ShowDialog(code))
        return 0;
    if (!editor.isVisible())
        return 0;
    const int status = QApplication::exec();
    setMessagePresenter(nullptr);
    return status;
}

} // namespace MdlMain
