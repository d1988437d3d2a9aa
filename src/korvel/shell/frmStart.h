#pragma once

#include <QWidget>
#include <functional>

class QGroupBox;
class QPushButton;
class QRadioButton;

// The start-up window: chooses the controller type for the whole run.
class frmStart : public QWidget {
    Q_OBJECT
public:
    // Reads the language number from the command-line argument and binds the language file.
    explicit frmStart(const QString& argument, QWidget* parent = nullptr);

    // Called after OK has stored the type and closed the window (opens the main window).
    void setOnConfirmed(std::function<void()> f) { m_onConfirmed = std::move(f); }
    // Called when Cancel is answered with Yes (ends the program).
    void setOnQuit(std::function<void()> f) { m_onQuit = std::move(f); }

    QRadioButton* optType(int i) const { return m_optType[i]; }
    QPushButton* cmdOK() const { return m_cmdOK; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QGroupBox* m_frame1;
    QRadioButton* m_optType[3];
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
    bool m_closing = false;
    std::function<void()> m_onConfirmed;
    std::function<void()> m_onQuit;
};
