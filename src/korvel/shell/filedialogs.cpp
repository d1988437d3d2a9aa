#include "korvel/shell/filedialogs.h"

#include <QDir>
#include <QFileDialog>

QString QtProgramFileDialogs::getOpenFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QString(), qtFileFilter(filter));
}

QString QtProgramFileDialogs::getSaveFileName(const QString& filter, const QString& initialDir,
                                              const QString& initialName) {
    // An empty folder leaves the choice to the dialog, as the common dialog does.
    const QString start = initialDir.isEmpty()
                              ? initialName
                              : QDir(QDir::fromNativeSeparators(initialDir)).filePath(initialName);
    // The dialog asks before it replaces an existing file and adds no extension.
    return QFileDialog::getSaveFileName(m_parent, QString(), start, qtFileFilter(filter));
}
