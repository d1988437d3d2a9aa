#include "testenv.h"

#include "shared/apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

// Where typ.cfg, com.cfg and ports.cfg are read and written: beside the programs while their
// directory can be written, otherwise in the user's configuration folder.
class TestAppPaths : public QObject {
    Q_OBJECT

    static QString native(const QString& path) { return QDir::toNativeSeparators(path); }

private Q_SLOTS:
    void writableDirectoryKeepsTheFilesBesideThePrograms_data() {
        QTest::addColumn<bool>("appCopy");
        QTest::addColumn<bool>("userCopy");
        QTest::newRow("no copy anywhere") << false << false;
        QTest::newRow("only beside the programs") << true << false;
        QTest::newRow("a user copy is not looked at") << false << true;
        QTest::newRow("both") << true << true;
    }

    void writableDirectoryKeepsTheFilesBesideThePrograms() {
        QFETCH(bool, appCopy);
        QFETCH(bool, userCopy);
        ScratchAppDir app(false);
        ScratchConfigHome home;
        for (const QString& name :
             {QStringLiteral("typ.cfg"), QStringLiteral("com.cfg"), QStringLiteral("ports.cfg")}) {
            if (appCopy)
                app.write(name, "app\r\n");
            if (userCopy)
                home.write(name, "user\r\n");
            QVERIFY(AppPaths::applicationDirWritable());
            QCOMPARE(AppPaths::configFilePath(name), AppPaths::appFilePath(name));
            QCOMPARE(AppPaths::configFallbackPath(name), QString());
            QCOMPARE(AppPaths::configReadPath(name), AppPaths::appFilePath(name));
        }
    }

    void readOnlyDirectoryReadsTheUserCopyFirst_data() {
        QTest::addColumn<bool>("appCopy");
        QTest::addColumn<bool>("userCopy");
        QTest::addColumn<QString>("readFrom"); // "user" or "app"
        QTest::newRow("no copy anywhere: read where it will be created")
            << false << false << "user";
        QTest::newRow("only the installed copy") << true << false << "app";
        QTest::newRow("only the user copy") << false << true << "user";
        QTest::newRow("the user copy wins") << true << true << "user";
    }

    void readOnlyDirectoryReadsTheUserCopyFirst() {
        QFETCH(bool, appCopy);
        QFETCH(bool, userCopy);
        QFETCH(QString, readFrom);
        ScratchAppDir app(false);
        ScratchConfigHome home;
        app.pretendReadOnly();
        QVERIFY(!AppPaths::applicationDirWritable());
        for (const QString& name :
             {QStringLiteral("typ.cfg"), QStringLiteral("com.cfg"), QStringLiteral("ports.cfg")}) {
            if (appCopy)
                app.write(name, "app\r\n");
            if (userCopy)
                home.write(name, "user\r\n");
            QCOMPARE(AppPaths::configFilePath(name), native(home.file(name)));
            QCOMPARE(AppPaths::configFallbackPath(name), AppPaths::appFilePath(name));
            QCOMPARE(AppPaths::configReadPath(name), readFrom == QLatin1String("user")
                                                         ? native(home.file(name))
                                                         : AppPaths::appFilePath(name));
        }
        // Working out the paths creates nothing.
        QCOMPARE(QDir(home.configDir()).exists(), userCopy);
    }

    void allProgramsShareOneConfigurationFolder() {
        ScratchAppDir app(false);
        ScratchConfigHome home;
        app.pretendReadOnly();
        const QString before = QCoreApplication::applicationName();
        QStringList paths;
        for (const QString& name : {QStringLiteral("Korvel"), QStringLiteral("Baxwin"),
                                    QStringLiteral("korvel-cli"), QStringLiteral("baxwin-cli")}) {
            QCoreApplication::setApplicationName(name);
            paths << AppPaths::configFilePath(QStringLiteral("com.cfg"));
        }
        QCoreApplication::setApplicationName(before);
        QCOMPARE(paths.size(), 4);
        for (const QString& p : paths)
            QCOMPARE(p, native(home.path() + QStringLiteral("/korvel/com.cfg")));
    }

    void theRealCheckLooksAtTheDirectory() {
        ScratchAppDir app(false);
        ScratchConfigHome home;
        QVERIFY(AppPaths::applicationDirWritable());
#ifdef Q_OS_WIN
        QSKIP("directory permissions are not tried on Windows");
#else
        if (geteuid() == 0)
            QSKIP("root writes into any directory; the package check runs this as another user");
        QFile dir(app.path());
        const QFile::Permissions old = dir.permissions();
        QVERIFY(dir.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        const bool writable = AppPaths::applicationDirWritable();
        const QString path = AppPaths::configFilePath(QStringLiteral("typ.cfg"));
        dir.setPermissions(old);
        QVERIFY(!writable);
        QCOMPARE(path, native(home.file(QStringLiteral("typ.cfg"))));
#endif
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "test_apppaths.moc"
