#include "shared/ui/appidentity.h"

#include <QApplication>

namespace AppIdentity {

QString displayName(Program program) {
    return program == Program::Korvel ? QStringLiteral("Korvel") : QStringLiteral("Baxwin");
}

QIcon icon(Program program) {
    const QString base = program == Program::Korvel ? QStringLiteral(":/icons/korvel-")
                                                    : QStringLiteral(":/icons/baxwin-");
    QIcon icon;
    for (const char* size : {"32", "48", "256"})
        icon.addFile(base + QLatin1String(size) + QStringLiteral(".png"));
    return icon;
}

void apply(QApplication& app, Program program) {
    app.setApplicationName(displayName(program));
    app.setApplicationDisplayName(displayName(program));
    app.setWindowIcon(icon(program));
}

} // namespace AppIdentity
