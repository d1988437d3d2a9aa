#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

// Asks where the first parameters come from: the controller or the parameter file.
class frmCorF : public QDialog {
    Q_OBJECT
public:
    explicit frmCorF(QWidget* parent = nullptr);

    // Title, captions, centring, modal display. 0 controller, 1 file, -1 closed without a choice.
    int ShowDialog();

    QRadioButton* optPar(int i) const { return i == 0 ? m_opt0 : m_opt1; }
    QPushButton* cmdEnter() const { return m_cmdEnter; }

private:
    void cmdEnter_Click();

    QGroupBox* m_frame;
    QRadioButton* m_opt0;
    QRadioButton* m_opt1;
    QPushButton* m_cmdEnter;
    int m_code = -1;
};
