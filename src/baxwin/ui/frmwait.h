#pragma once

#include "baxwin/paramtransfer.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The transfer dialog: one read or write of all used parameters, and the flash store after a
// write. The logic is ParamTransfer; this window shows its state and forwards the buttons.
class frmWait : public QDialog, public TransferView {
    Q_OBJECT
public:
    frmWait(ParamLink& link, const ParDefs& defs, QWidget* parent = nullptr);

    void GetGridData(const ParValueTable& sGrdData) { m_transfer.GetGridData(sGrdData); }
    void setReceiver(ReadReceiver* receiver) { m_transfer.setReceiver(receiver); }
    // Wakes the controller, prepares the dialog for reading (0) or writing (1) and shows it
    // modally; returns when it has closed. A title replaces the mode's own.
    void ShowDialog(int iCode, const QString& title = QString());

    ParamTransfer& transfer() { return m_transfer; }
    QLabel* lblStatus() const { return m_lblStatus; }
    QProgressBar* pbrComm() const { return m_pbrComm; }
    QPushButton* cmdDo() const { return m_cmdDo; }
    QPushButton* cmdStop() const { return m_cmdStop; }
    QPushButton* cmdClose() const { return m_cmdClose; }
    QPushButton* cmdROM() const { return m_cmdROM; }

    void transferChanged(const TransferState& state) override;
    void closeTransfer() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    ParamTransfer m_transfer;
    QLabel* m_lblStatus;
    QProgressBar* m_pbrComm;
    QPushButton* m_cmdDo;
    QPushButton* m_cmdStop;
    QPushButton* m_cmdClose;
    QPushButton* m_cmdROM;
    bool m_closing = false;
    int m_designHeight = 0;
};
