#pragma once

#include "korvel/controller/channeldialog.h"
#include "korvel/controller/protocol.h"

class QComboBox;
class QPushButton;

// The controller control dialog: starts the program of a channel or stops the running one.
class dlgExe : public ChannelDialog, public ExecuteView {
    Q_OBJECT
public:
    explicit dlgExe(KorvelProtocol* protocol, QWidget* parent = nullptr);
    ~dlgExe() override;

    // The modes live with the protocol, so they hold while the dialog is closed.
    void SetStartMode(bool bSw) { m_protocol->SetStartMode(bSw); }
    bool GetStartMode() const { return m_protocol->GetStartMode(); }
    void SetStopMode(bool bSw) { m_protocol->SetStopMode(bSw); }
    bool GetStopMode() const { return m_protocol->GetStopMode(); }

    void vFormInitialize() { beginSession(); }

    // ExecuteView
    void dispChInf(const QString& sMsg) override;
    void comWait(bool bSw) override;
    int selectedChannel() const override;

    QComboBox* comboCh() const { return channelBox(); }
    QPushButton* cmdStart() const { return m_cmdStart; }

    void cmdStart_Click();
    void cmdStop_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void formLoad() override;
    void queryChannel(int channel) override;

private:
    QPushButton* m_cmdStart;
};
