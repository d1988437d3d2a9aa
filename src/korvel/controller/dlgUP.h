#pragma once

#include "korvel/controller/protocol.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

// The upload dialog: reads the program of a channel back into a new program window.
class dlgUP : public QDialog, public UploadView {
    Q_OBJECT
public:
    explicit dlgUP(KorvelProtocol* protocol, QWidget* parent = nullptr);
    ~dlgUP() override;

    void InitUpLoad();
    // Prepares the dialog and shows it modally.
    void ShowDialog();

    // UploadView
    void SetEnabled(bool blnSw) override;
    void DispStatus(const QString& sMsg) override;
    void Plus1Progress() override;
    void unloadDialog() override;

    int expectedLines() const { return m_expectedLines; }
    QComboBox* cboCH() const { return m_cboCH; }
    QLabel* lblStatus() const { return m_lblStatus; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QPushButton* cmdUpLoad() const { return m_cmdUpLoad; }
    QPushButton* cmdStop() const { return m_cmdStop; }
    QPushButton* cmdClose() const { return m_cmdClose; }

    void cmdUpLoad_Click();
    void cmdStop_Click();
    void cmdClose_Click();

public Q_SLOTS:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void formLoad();
    void formActivate();
    void cboCH_Click(int index);
    void unload();

    KorvelProtocol* m_protocol;
    bool m_loaded = false;
    bool m_activated = false;
    int m_pendingChannel = 0;
    int m_expectedLines = 0;

    QComboBox* m_cboCH;
    QLabel* m_lblStatus;
    QProgressBar* m_progressBar;
    QPushButton* m_cmdUpLoad;
    QPushButton* m_cmdStop;
    QPushButton* m_cmdClose;
};
