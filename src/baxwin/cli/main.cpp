#include "baxwin/cli/baxwincli.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return BaxwinCli::run(app.arguments().mid(1));
}
