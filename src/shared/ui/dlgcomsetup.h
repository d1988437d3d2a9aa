#pragma once

#include "shared/comsettings.h"

#include <QDialog>
#include <QVector>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

// The serial settings dialog of both programs. It edits a working copy of the settings and
// stores it only on OK. Its captions always come from section "dlgComSetup", whatever the
// window is called in the program that opens it.
class dlgComSetup : public QDialog {
    Q_OBJECT
public:
    explicit dlgComSetup(SerialSettings& com, QWidget* parent = nullptr,
                         const QString& windowName = QStringLiteral("dlgComSetup"));

    // Fills the buttons from the current settings and shows the dialog modally; true on OK.
    bool ShowDialog();

    QRadioButton* optPort(int n) const { return m_optPort.value(n); }
    QRadioButton* optBps(int n) const { return m_optBps.value(n); }
    QRadioButton* optParity(int n) const { return m_optParity.value(n); }
    QRadioButton* optData(int n) const { return m_optData.value(n); }
    QRadioButton* optStop(int n) const { return m_optStop.value(n); }
    QPushButton* comReset() const { return m_comReset; }
    QPushButton* cmdOk() const { return m_cmdOk; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }
    ComSettings workingSettings() const { return m_work; }

    // The port's device and what the system knows of it.
    static QString portToolTip(int n);

private:
    QGroupBox* makeGroup(const QString& name, const QString& tag, QButtonGroup** group,
                         QVector<QRadioButton*>* buttons, const QStringList& captions,
                         const QStringList& tags, qint16 ComSettings::*field, int columns);
    void loadSettings();
    void onReset();
    void onOk();

    SerialSettings& m_com;
    ComSettings m_work;
    QVector<QRadioButton*> m_optPort, m_optBps, m_optParity, m_optData, m_optStop;
    QButtonGroup* m_grpPort = nullptr;
    QButtonGroup* m_grpBps = nullptr;
    QButtonGroup* m_grpParity = nullptr;
    QButtonGroup* m_grpData = nullptr;
    QButtonGroup* m_grpStop = nullptr;
    QPushButton* m_comReset = nullptr;
    QPushButton* m_cmdOk = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
