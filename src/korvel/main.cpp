#include "korvel/shell/MDIFormMain.h"
#include "korvel/shell/frmStart.h"
#include "shared/ui/appidentity.h"
#include "shared/ui/qtmessagepresenter.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    AppIdentity::apply(app, AppIdentity::Program::Korvel);
    // The program ends when its main window closes or the start-up window is cancelled; tool
    // windows closing must not end it on their own.
    app.setQuitOnLastWindowClosed(false);
    QtMessagePresenter presenter;
    setMessagePresenter(&presenter);

    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    MDIFormMain* mainWindow = nullptr;
    auto* start = new frmStart(argument);
    start->setOnConfirmed([&mainWindow] {
        mainWindow = new MDIFormMain;
        mainWindow->setAttribute(Qt::WA_DeleteOnClose);
        mainWindow->ShowMainDialog();
    });
    start->setOnQuit([] { QCoreApplication::quit(); });
    start->show();
    const int rc = app.exec();
    setMessagePresenter(nullptr);
    return rc;
}
