#pragma once

#include <QString>
#include <QStringList>

// The programs last opened or saved, newest first, kept in a small file in the user's
// configuration folder (never in the application directory): one full path per line.
class RecentFiles {
public:
    static constexpr int MaxEntries = 8;

    // The store in the user's configuration folder.
    static QString defaultStorePath();

    explicit RecentFiles(QString storePath = defaultStorePath());

    // Read afresh from the store, so that two windows of a run and a restart agree.
    QStringList entries() const;
    // Puts the path first (once), keeps the newest eight and writes the store.
    void add(const QString& path);
    void remove(const QString& path);
    QString storePath() const { return m_storePath; }

private:
    void write(const QStringList& entries) const;

    QString m_storePath;
};
