#include "ptypair.h"
#include "testenv.h"

#include "shared/comsettings.h"
#include "shared/portmap.h"
#include "shared/ui/qtserialport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

// com.cfg through comInit with a real port probe: COM1 is a pseudo-terminal, COM2..COM8 name
// devices that do not exist.
class TestComSettings : public QObject {
    Q_OBJECT

    static void writePortMap(const ScratchAppDir& dir, const QString& com1) {
        QByteArray map = "COM1=" + com1.toLocal8Bit() + "\n";
        for (int n = 2; n <= 8; ++n)
            map += "COM" + QByteArray::number(n) + "=" +
                   dir.file(QStringLiteral("none%1").arg(n)).toLocal8Bit() + "\n";
        dir.write(QStringLiteral("ports.cfg"), map);
    }

private Q_SLOTS:
    void initTestCase() { qunsetenv(PortMap::OverrideVariable); }

    void comInitReadsNormalisesAndRewrites_data() {
        QTest::addColumn<QByteArray>("file"); // "<absent>" for no file
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QString>("settingsString");
        QTest::addColumn<bool>("applied");

        QTest::newRow("no file: created with the defaults, nothing applied")
            << QByteArray("<absent>") << QByteArray("02121\r\n") << QStringLiteral("9600,N,8,1")
            << false;
        QTest::newRow("empty file")
            << QByteArray() << QByteArray("02121\r\n") << QStringLiteral("9600,N,8,1") << false;
        QTest::newRow("four characters: defaults, port none")
            << QByteArray("3412\r\n") << QByteArray("02121\r\n") << QStringLiteral("9600,N,8,1")
            << false;
        QTest::newRow("out-of-range digits take their defaults")
            << QByteArray("95372\r\n") << QByteArray("02322\r\n") << QStringLiteral("9600,O,8,2")
            << false;
        QTest::newRow("non-digit counts 0") << QByteArray("4x121\r\n") << QByteArray("42121\r\n")
                                            << QStringLiteral("9600,N,8,1") << true;
        QTest::newRow("trailing blank rejects the whole line")
            << QByteArray("12121 \r\n") << QByteArray("02121\r\n") << QStringLiteral("9600,N,8,1")
            << false;
        QTest::newRow("COM1 38400 even 7 bits 2 stop")
            << QByteArray("14212\r\n") << QByteArray("14212\r\n") << QStringLiteral("38400,E,7,2")
            << true;
        QTest::newRow("without line end") << QByteArray("11311") << QByteArray("11311\r\n")
                                          << QStringLiteral("4800,O,7,1") << true;
        QTest::newRow("LF line end, second line ignored")
            << QByteArray("13122\n99999\n") << QByteArray("13122\r\n")
            << QStringLiteral("19200,N,8,2") << true;
        QTest::newRow("zeros take the defaults")
            << QByteArray("00000\r\n") << QByteArray("02121\r\n") << QStringLiteral("9600,N,8,1")
            << false;
    }

    void comInitReadsNormalisesAndRewrites() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, written);
        QFETCH(QString, settingsString);
        QFETCH(bool, applied);
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScratchAppDir dir(false);
        writePortMap(dir, pty.path());
        if (file != "<absent>")
            dir.write(QStringLiteral("com.cfg"), file);

        QtSerialPort port;
        port.setCommPort(3);
        port.setSettings(QStringLiteral("sentinel"));
        SerialSettings com(&port);
        com.comInit();

        QCOMPARE(dir.read(QStringLiteral("com.cfg")), written);
        const ComSettings s = com.getComSettings();
        QCOMPARE(ComCode::settingsCode(s).toLatin1() + "\r\n", written);
        QCOMPARE(ComCode::settingsString(s), settingsString);
        if (applied) {
            QCOMPARE(port.commPort(), int(s.port));
            QCOMPARE(port.settings(), settingsString);
        } else {
            // The probe leaves the port it found; nothing else is changed.
            QCOMPARE(port.commPort(), 3);
            QCOMPARE(port.settings(), QStringLiteral("sentinel"));
        }
        QVERIFY(!port.isOpen());
    }

    void probeFindsTheOpenablePorts() {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScratchAppDir dir(false);
        writePortMap(dir, pty.path());
        dir.write(QStringLiteral("com.cfg"), "22121\r\n");
        QtSerialPort port;
        SerialSettings com(&port);
        com.comInit();
        QVERIFY(com.isPortUsable(1));
        for (qint16 n = 2; n <= 8; ++n)
            QVERIFY2(!com.isPortUsable(n), qPrintable(QString::number(n)));
        QVERIFY(!com.isPortUsable(9));
        QVERIFY(!com.isPortUsable(-1));
        // The configured port is COM2, which does not open.
        QCOMPARE(com.getComSettings().port, qint16(2));
        QVERIFY(!com.isPortUsable(0));

        com.setComSettings(ComSettings{1, 3, 1, 2, 1});
        QVERIFY(com.isPortUsable(0));
        QCOMPARE(dir.read(QStringLiteral("com.cfg")), QByteArray("13121\r\n"));
        // Stored but not applied until asked.
        QCOMPARE(port.commPort(), 2);
        com.applySettings();
        QCOMPARE(port.commPort(), 1);
        QCOMPARE(port.settings(), QStringLiteral("19200,N,8,1"));
    }

    void defaultDigits() {
        const qint16 expected[] = {0, 0, 2, 1, 2, 1, 0};
        for (int pos = 0; pos <= 6; ++pos)
            QCOMPARE(SerialSettings::getDefaultDigit(pos), expected[pos]);
    }

    void writeDefaultKeepsTheCurrentPortDigit() {
        ScratchAppDir dir(false);
        SerialSettings com;
        com.setComSettings(ComSettings{5, 4, 3, 1, 2});
        com.writeDefaultCfg(dir.file(QStringLiteral("x.cfg")));
        QCOMPARE(dir.read(QStringLiteral("x.cfg")), QByteArray("52121\r\n"));
    }

    void cfgPathIsInTheApplicationDirectory() {
        ScratchAppDir dir(false);
        QCOMPARE(QDir::fromNativeSeparators(SerialSettings::getCfgPath()),
                 QDir(dir.path()).filePath(QStringLiteral("com.cfg")));
    }

    // An installed, read-only application directory: com.cfg is read from the user's folder,
    // or from the installed copy while the user has none, and written to the user's folder
    // only.
    void readOnlyDirectoryUsesTheUserFolder_data() {
        QTest::addColumn<QByteArray>("appCopy");  // "<absent>" for no file
        QTest::addColumn<QByteArray>("userCopy"); // "<absent>" for no file
        QTest::addColumn<QByteArray>("written");  // the user's copy afterwards

        QTest::newRow("no copy anywhere: created in the user folder")
            << QByteArray("<absent>") << QByteArray("<absent>") << QByteArray("02121\r\n");
        QTest::newRow("installed copy taken over")
            << QByteArray("14212\r\n") << QByteArray("<absent>") << QByteArray("14212\r\n");
        QTest::newRow("installed copy normalised into the user folder")
            << QByteArray("95372\r\n") << QByteArray("<absent>") << QByteArray("02322\r\n");
        QTest::newRow("installed copy too short: the defaults, in the user folder")
            << QByteArray("3412\r\n") << QByteArray("<absent>") << QByteArray("02121\r\n");
        QTest::newRow("user copy wins over the installed one")
            << QByteArray("14212\r\n") << QByteArray("13122\r\n") << QByteArray("13122\r\n");
        QTest::newRow("a bad user copy is not replaced by the installed one")
            << QByteArray("14212\r\n") << QByteArray("3412\r\n") << QByteArray("02121\r\n");
    }

    void readOnlyDirectoryUsesTheUserFolder() {
        QFETCH(QByteArray, appCopy);
        QFETCH(QByteArray, userCopy);
        QFETCH(QByteArray, written);
        PtyPair pty;
        QVERIFY(pty.isValid());
        ScratchAppDir dir(false);
        ScratchConfigHome home;
        writePortMap(dir, pty.path());
        if (appCopy != "<absent>")
            dir.write(QStringLiteral("com.cfg"), appCopy);
        if (userCopy != "<absent>")
            home.write(QStringLiteral("com.cfg"), userCopy);
        dir.pretendReadOnly();

        QtSerialPort port;
        SerialSettings com(&port);
        com.comInit();
        QCOMPARE(QDir::fromNativeSeparators(SerialSettings::getCfgPath()),
                 home.file(QStringLiteral("com.cfg")));
        QCOMPARE(home.read(QStringLiteral("com.cfg")), written);
        QCOMPARE(ComCode::settingsCode(com.getComSettings()).toLatin1() + "\r\n", written);
        // The port map beside the programs still serves: COM1 is the pseudo-terminal.
        QVERIFY(com.isPortUsable(1));

        com.setComSettings(ComSettings{2, 4, 2, 1, 2});
        QCOMPARE(home.read(QStringLiteral("com.cfg")), QByteArray("24212\r\n"));
        // Nothing is ever written beside the programs.
        if (appCopy == "<absent>")
            QVERIFY(!QFile::exists(dir.file(QStringLiteral("com.cfg"))));
        else
            QCOMPARE(dir.read(QStringLiteral("com.cfg")), appCopy);
    }

    // Korvel stores the settings, Baxwin (another application name) reads them at its next
    // initialisation, and back.
    void bothProgramsShareTheUserCopy_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("beside the programs") << false;
        QTest::newRow("in the user folder") << true;
    }

    void bothProgramsShareTheUserCopy() {
        QFETCH(bool, readOnly);
        ScratchAppDir dir(false);
        ScratchConfigHome home;
        dir.write(QStringLiteral("com.cfg"), "14212\r\n");
        if (readOnly)
            dir.pretendReadOnly();
        const QString before = QCoreApplication::applicationName();

        QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
        SerialSettings korvel;
        korvel.comInit();
        QCOMPARE(korvel.getComSettings(), (ComSettings{1, 4, 2, 1, 2}));
        korvel.setComSettings(ComSettings{3, 1, 3, 2, 2});

        QCoreApplication::setApplicationName(QStringLiteral("Baxwin"));
        SerialSettings baxwin;
        baxwin.comInit();
        QCOMPARE(baxwin.getComSettings(), (ComSettings{3, 1, 3, 2, 2}));
        baxwin.setComSettings(ComSettings{5, 2, 1, 2, 1});

        QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
        korvel.comInit();
        QCOMPARE(korvel.getComSettings(), (ComSettings{5, 2, 1, 2, 1}));
        QCoreApplication::setApplicationName(before);

        QCOMPARE(dir.read(QStringLiteral("com.cfg")),
                 readOnly ? QByteArray("14212\r\n") : QByteArray("52121\r\n"));
        QCOMPARE(home.exists(QStringLiteral("com.cfg")), readOnly);
    }

    void portMapEntries_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::newRow("plain") << QStringLiteral("COM1=/dev/ttyUSB0") << 1
                               << QStringLiteral("/dev/ttyUSB0");
        QTest::newRow("blanks and lower case")
            << QStringLiteral("  com3 = /dev/ttyACM0  \r\n") << 3 << QStringLiteral("/dev/ttyACM0");
        QTest::newRow("comment skipped")
            << QStringLiteral("# COM2=/dev/x\nCOM2=/dev/y") << 2 << QStringLiteral("/dev/y");
        QTest::newRow("out of range ignored")
            << QStringLiteral("COM9=/dev/x\nCOM0=/dev/y") << 9 << QString();
        QTest::newRow("empty device ignored") << QStringLiteral("COM4=") << 4 << QString();
    }

    void portMapEntries() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QFETCH(QString, device);
        QCOMPARE(PortMap::parsePortMap(text).value(port), device);
    }

    void overrideFileWinsAndUnnamedPortsDefault() {
        ScratchAppDir dir(false);
        dir.write(QStringLiteral("ports.cfg"), "COM1=/dev/ttyUSB0\nCOM2=/dev/ttyUSB1\n");
        dir.write(QStringLiteral("run.cfg"), "COM1=/tmp/sim-link\n");
        QCOMPARE(PortMap::devicePath(1), QStringLiteral("/dev/ttyUSB0"));
        qputenv(PortMap::OverrideVariable, dir.file(QStringLiteral("run.cfg")).toLocal8Bit());
        QCOMPARE(PortMap::devicePath(1), QStringLiteral("/tmp/sim-link"));
        QCOMPARE(PortMap::devicePath(2), QStringLiteral("/dev/ttyUSB1"));
        qunsetenv(PortMap::OverrideVariable);
        QCOMPARE(PortMap::devicePath(5), PortMap::defaultDevice(5));
#ifndef Q_OS_WIN
        QCOMPARE(PortMap::defaultDevice(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(PortMap::defaultDevice(8), QStringLiteral("/dev/ttyS7"));
#endif
    }

    // The whole port map found first counts: a user copy replaces the installed one instead of
    // adding to it, and the run's override still wins over both.
    void portMapOfAReadOnlyDirectory() {
        ScratchAppDir dir(false);
        ScratchConfigHome home;
        dir.pretendReadOnly();
        dir.write(QStringLiteral("ports.cfg"), "COM1=/dev/ttyUSB0\nCOM2=/dev/ttyUSB1\n");
        QCOMPARE(PortMap::devicePath(1), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(PortMap::devicePath(2), QStringLiteral("/dev/ttyUSB1"));

        home.write(QStringLiteral("ports.cfg"), "COM1=/dev/ttyACM0\n");
        QCOMPARE(PortMap::devicePath(1), QStringLiteral("/dev/ttyACM0"));
        QCOMPARE(PortMap::devicePath(2), PortMap::defaultDevice(2));

        dir.write(QStringLiteral("run.cfg"), "COM1=/tmp/sim-link\n");
        qputenv(PortMap::OverrideVariable, dir.file(QStringLiteral("run.cfg")).toLocal8Bit());
        QCOMPARE(PortMap::devicePath(1), QStringLiteral("/tmp/sim-link"));
        qunsetenv(PortMap::OverrideVariable);
    }
};

QTEST_GUILESS_MAIN(TestComSettings)
#include "test_comsettings.moc"
