#pragma once

#include <QDialog>

class QLabel;

// The wait window of the connection check. It has no button of its own: the serial link closes
// it when the check has ended by a reply or a time-out.
class dlgWait : public QDialog {
    Q_OBJECT
public:
    explicit dlgWait(QWidget* parent = nullptr);

    // Shows the window modally and returns when it has been closed.
    void ShowDialog();
    // A close that comes before the window is shown ends the next ShowDialog at once.
    void closeDialog();

    QLabel* lblMsg() const { return m_lblMsg; }

private:
    QLabel* m_lblMsg;
    bool m_closed = false;
};
