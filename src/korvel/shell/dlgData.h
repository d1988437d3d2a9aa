#pragma once

#include "korvel/model/commandtable.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// Asks the operator for the values of one command. The program window asks through this so
// that tests can answer without a person.
class CommandDataAsker {
public:
    virtual ~CommandDataAsker() = default;
    // True when the operator confirmed valid values with OK.
    virtual bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data) = 0;
    // The values of the last confirmed run.
    virtual ValueArray getTxtBoxData() = 0;
};

// The command data dialog shown modal.
CommandDataAsker& dataDialogAsker();

// Shows the command data dialog modal; the dialog's state outlives it for getTxtBoxData.
bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data);
ValueArray getTxtBoxData();

// The command data dialog: the step, axis and command being edited, one entry box per value.
class dlgData : public QDialog {
    Q_OBJECT
public:
    explicit dlgData(QWidget* parent = nullptr);

    // Loads the captions and fills the grid and the value boxes for a run.
    void setupDataDialog(int axis, int step, int cmd, const ValueArray& Data);
    // Checks the boxes; on a refusal shows the message and puts the focus on the box to correct.
    bool validateData();
    ValueArray data() const { return m_data; }
    bool result() const { return m_result; }

    QLineEdit* txtData(int i) const { return m_txtData[i - 1]; }
    QLabel* lblData(int i) const { return m_lblData[i - 1]; }
    QLabel* lblUnit(int i) const { return m_lblUnit[i - 1]; }
    QGroupBox* fraData() const { return m_fraData; }
    QTableWidget* grdData() const { return m_grdData; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OKButton_Click();
    void fillValueRows();
    void showCommandIcon(int cmd);
    void refuse(int code, const QString& s, int box);
    void focusBox(int box);

    int m_axis = 0;
    int m_step = 0;
    int m_cmd = 0;
    int m_count = 0;
    ValueArray m_data;
    bool m_result = false;
    QTableWidget* m_grdData;
    QGroupBox* m_fraData;
    QLabel* m_lblData[4];
    QLineEdit* m_txtData[4];
    QLabel* m_lblUnit[4];
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
