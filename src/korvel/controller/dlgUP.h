#pragma once

#include "korvel/controller/channeldialog.h"
#include "korvel/controller/protocol.h"

class QComboBox;
class QProgressBar;
class QPushButton;

// The upload dialog: reads the program of a channel back into a new program window.
class dlgUP : public ChannelDialog, public UploadView {
    Q_OBJECT
public:
    explicit dlgUP(KorvelProtocol* protocol, QWidget* parent = nullptr);
    ~dlgUP() override;

    void InitUpLoad() { beginSession(); }
    // Prepares the dialog and shows it modally.
    void ShowDialog();

    // UploadView
    void SetEnabled(bool blnSw) override;
    void DispStatus(const QString& sMsg) override;
    void Plus1Progress() override;
    void unloadDialog() override;

    int expectedLines() const { return m_expectedLines; }
    QComboBox* cboCH() const { return channelBox(); }
    QProgressBar* progressBar() const { return m_progressBar; }
    QPushButton* cmdUpLoad() const { return m_cmdUpLoad; }

    void cmdUpLoad_Click();
    void cmdStop_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void formLoad() override;
    void queryChannel(int channel) override;

private:
    void unload();

    int m_expectedLines = 0;

    QProgressBar* m_progressBar;
    QPushButton* m_cmdUpLoad;
};
