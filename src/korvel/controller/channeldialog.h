#pragma once

#include <QDialog>

class KorvelProtocol;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

// What the three transfer dialogs share: the channel frame (channel box and status label) and
// the rule that a channel is queried only once the dialog is active; a channel picked before
// that is remembered and queried on activation.
class ChannelDialog : public QDialog {
    Q_OBJECT
public:
    QLabel* lblStatus() const { return m_lblStatus; }
    QPushButton* cmdStop() const { return m_cmdStop; }
    QPushButton* cmdClose() const { return m_cmdClose; }

    void cmdClose_Click();

public Q_SLOTS:
    void reject() override;

protected:
    ChannelDialog(KorvelProtocol* protocol, const QString& boxName, const QString& statusCaption,
                  QWidget* parent);

    // Wakes the controller and forgets an earlier activation, before the dialog is shown.
    void beginSession();
    // Runs formLoad; the first showing does so unless the dialog was loaded before.
    void load();
    // Fills the channel box and selects the first channel, which is queried on activation.
    void resetChannels();
    void showChannelStatus(const QString& sMsg);

    virtual void formLoad() = 0;
    virtual void queryChannel(int channel) = 0;

    // A button of the dialog's row, captioned from the language file by its key.
    QPushButton* makeButton(const QString& text, const QString& name, const QString& captionKey);
    // The action button, then Stop and Close made here, in a row; Close closes the dialog.
    QHBoxLayout* buttonRow(QPushButton* action, const QString& stopText);

    QWidget* frameTx() const { return m_frameTx; }
    QComboBox* channelBox() const { return m_channelBox; }

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

    KorvelProtocol* m_protocol;
    QPushButton* m_cmdStop = nullptr;
    QPushButton* m_cmdClose = nullptr;

private:
    void formActivate();
    void channelBox_Click(int index);

    bool m_loaded = false;
    bool m_activated = false;
    int m_pendingChannel = 0;

    QWidget* m_frameTx;
    QComboBox* m_channelBox;
    QLabel* m_lblStatus;
};
