#include "baxwin/ui/mdlmain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return MdlMain::run(QApplication::arguments().mid(1));
}
