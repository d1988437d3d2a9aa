#include "korvel/shell/filedialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>

QString QtProgramFileDialogs::getOpenFileName(const QString& filter) {
    return QFileDialog::getOpenFileName(m_parent, QString(), QString(), qtFileFilter(filter));
}

QString QtProgramFileDialogs::getSaveFileName(const QString& filter, const QString& initialDir,
                                              const QString& initialName) {
    // An empty folder leaves the choice to the dialog, as the common dialog does.
    const QString start = initialDir.isEmpty()
                              ? initialName
                              : QDir(QDir::fromNativeSeparators(initialDir)).filePath(initialName);
    // A name typed without an extension takes the filter's (".txt" for programs), so that the
    // file shows up in the open dialog; the dialog asks before it replaces an existing file
    // (under that name).
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch suffix = pattern.match(filter);
    QFileDialog dialog(m_parent, QString(), start, qtFileFilter(filter));
    dialog.setObjectName(QStringLiteral("dlgCommonSave"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (suffix.hasMatch())
        dialog.setDefaultSuffix(suffix.captured(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().front();
}
