#include "ptypair.h"
#include "testenv.h"

#include "shared/comsettings.h"
#include "shared/inifile.h"
#include "shared/portmap.h"
#include "shared/ui/dlgcomsetup.h"
#include "shared/ui/qtserialport.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <memory>

// The settings dialog over a real probe: COM1 and COM3 are pseudo-terminals, the other ports
// name devices that do not exist.
class TestDlgComSetup : public QObject {
    Q_OBJECT

    struct Rig {
        PtyPair com1;
        PtyPair com3;
        ScratchAppDir dir;
        QtSerialPort port;
        SerialSettings com{&port};

        explicit Rig(const QByteArray& cfg) {
            dir.useLanguage(1);
            QByteArray map;
            for (int n = 1; n <= 8; ++n) {
                const QString device = n == 1   ? com1.path()
                                       : n == 3 ? com3.path()
                                                : dir.file(QStringLiteral("none%1").arg(n));
                map += "COM" + QByteArray::number(n) + "=" + device.toLocal8Bit() + "\n";
            }
            dir.write(QStringLiteral("ports.cfg"), map);
            dir.write(QStringLiteral("com.cfg"), cfg);
            com.comInit();
        }
        QString text(const char* key) const {
            return langFile().GetINIStr(QStringLiteral("dlgComSetup"), QLatin1String(key));
        }
    };

    static QList<int> checkedPorts(const dlgComSetup& d) {
        QList<int> out;
        for (int n = 1; n <= 8; ++n)
            if (d.optPort(n)->isChecked())
                out << n;
        return out;
    }

private Q_SLOTS:
    void initTestCase() { qunsetenv(PortMap::OverrideVariable); }

    void openingShowsTheCurrentSettings() {
        Rig r("34212\r\n");
        dlgComSetup d(r.com);
        QCOMPARE(d.objectName(), QStringLiteral("dlgComSetup"));
        QCOMPARE(d.windowTitle(), r.text("Title001"));
        QCOMPARE(d.findChild<QGroupBox*>(QStringLiteral("fraPort"))->title(), r.text("Cap001"));
        QCOMPARE(d.optParity(2)->text(), r.text("Cap005"));
        QCOMPARE(d.comReset()->text(), r.text("Cap009"));
        QCOMPARE(d.cmdCancel()->text(), r.text("Cap011"));
        QCOMPARE(d.optBps(4)->text(), QStringLiteral("38400"));
        QCOMPARE(d.optPort(8)->text(), QStringLiteral("COM8"));
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(d.optPort(n)->isEnabled(), n == 1 || n == 3);
        QCOMPARE(checkedPorts(d), QList<int>{3});
        QVERIFY(d.optBps(4)->isChecked());
        QVERIFY(d.optParity(2)->isChecked());
        QVERIFY(d.optData(1)->isChecked());
        QVERIFY(d.optStop(2)->isChecked());
        // The working copy starts from the settings as the buttons were selected.
        QCOMPARE(d.workingSettings(), (ComSettings{3, 4, 2, 1, 2}));
    }

    void configuredButUnusablePortStaysSelected() {
        Rig r("52121\r\n");
        dlgComSetup d(r.com);
        QCOMPARE(checkedPorts(d), QList<int>{5});
        QVERIFY(!d.optPort(5)->isEnabled());
        d.cmdOk()->click();
        QCOMPARE(r.dir.read(QStringLiteral("com.cfg")), QByteArray("52121\r\n"));
    }

    void portZeroLeavesAllPortsUnselectedAndOkStoresIt() {
        Rig r("02121\r\n");
        r.port.setCommPort(6);
        r.port.setSettings(QStringLiteral("sentinel"));
        dlgComSetup d(r.com);
        QVERIFY(checkedPorts(d).isEmpty());
        d.optBps(1)->click();
        d.cmdOk()->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(r.dir.read(QStringLiteral("com.cfg")), QByteArray("01121\r\n"));
        // Port 0 is never applied.
        QCOMPARE(r.port.commPort(), 6);
        QCOMPARE(r.port.settings(), QStringLiteral("sentinel"));
    }

    void okStoresAndApplies() {
        Rig r("02121\r\n");
        dlgComSetup d(r.com);
        d.optPort(1)->click();
        d.optBps(3)->click();
        d.optParity(3)->click();
        d.optStop(2)->click();
        d.cmdOk()->click();
        QCOMPARE(r.com.getComSettings(), (ComSettings{1, 3, 3, 2, 2}));
        QCOMPARE(r.dir.read(QStringLiteral("com.cfg")), QByteArray("13322\r\n"));
        QCOMPARE(r.port.commPort(), 1);
        QCOMPARE(r.port.settings(), QStringLiteral("19200,O,8,2"));
    }

    void cancelStoresNothing() {
        Rig r("12121\r\n");
        dlgComSetup d(r.com);
        d.optPort(3)->click();
        d.optBps(4)->click();
        d.cmdCancel()->click();
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(r.com.getComSettings(), (ComSettings{1, 2, 1, 2, 1}));
        QCOMPARE(r.dir.read(QStringLiteral("com.cfg")), QByteArray("12121\r\n"));
    }

    void resetRestoresLineDefaultsAndKeepsThePort() {
        Rig r("12121\r\n");
        dlgComSetup d(r.com);
        d.optPort(3)->click();
        d.optBps(4)->click();
        d.optParity(3)->click();
        d.optData(1)->click();
        d.optStop(2)->click();
        d.comReset()->click();
        QVERIFY(d.optBps(2)->isChecked());
        QVERIFY(d.optParity(1)->isChecked());
        QVERIFY(d.optData(2)->isChecked());
        QVERIFY(d.optStop(1)->isChecked());
        QCOMPARE(checkedPorts(d), QList<int>{3});
        QCOMPARE(d.workingSettings(), (ComSettings{3, 2, 1, 2, 1}));
    }

    // Baxwin's window has its own name but reads the same section.
    void otherWindowNameKeepsTheSection() {
        Rig r("12121\r\n");
        dlgComSetup d(r.com, nullptr, QStringLiteral("frmComSet"));
        QCOMPARE(d.objectName(), QStringLiteral("frmComSet"));
        QCOMPARE(d.windowTitle(), r.text("Title001"));
        QCOMPARE(d.optParity(1)->text(), r.text("Cap004"));
        // ShowDialog fills the buttons from the current settings again.
        r.com.setComSettings(ComSettings{3, 1, 1, 1, 1});
        QTimer::singleShot(0, &d, [&d] {
            QVERIFY(d.optPort(3)->isChecked());
            QVERIFY(d.optBps(1)->isChecked());
            d.cmdOk()->click();
        });
        QVERIFY(d.ShowDialog());
        QCOMPARE(r.dir.read(QStringLiteral("com.cfg")), QByteArray("31111\r\n"));
    }

    void portButtonsTellTheirDevice() {
        Rig r("12121\r\n");
        dlgComSetup d(r.com);
        QVERIFY(d.optPort(1)->toolTip().startsWith(r.com1.path()));
        QVERIFY(d.optPort(2)->toolTip().startsWith(r.dir.file(QStringLiteral("none2"))));
    }
};

QTEST_MAIN(TestDlgComSetup)
#include "test_dlgcomsetup.moc"
