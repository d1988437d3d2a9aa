#include "baxwin/ui/mdlmain.h"
#include "shared/ui/appidentity.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    AppIdentity::apply(app, AppIdentity::Program::Baxwin);
    return MdlMain::run(QApplication::arguments().mid(1));
}
