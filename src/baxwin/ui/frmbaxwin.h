#pragma once

#include "baxwin/paramlink.h"
#include "baxwin/paramtransfer.h"
#include "baxwin/partables.h"
#include "baxwin/valuemarks.h"
#include "shared/comsettings.h"
#include "shared/lingeringport.h"
#include "shared/ui/qtlinktimer.h"
#include "shared/ui/qtserialport.h"

#include <QColor>
#include <QMainWindow>
#include <QTimer>

#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTableWidget;

// The parameter editor: the used parameters of the definition file in a grid, per-axis ones
// on the first tab and common ones on the second, edited in place and saved, loaded, read and
// written. It holds the serial port and the reply timer of the link. Values changed since the
// last load, completed write or save are marked, and so, after a compare, are the values that
// differ from the controller's; the status bar counts both.
class frmBaxwin : public QMainWindow, public ReadReceiver {
    Q_OBJECT
public:
    explicit frmBaxwin(int langNo, QWidget* parent = nullptr);
    ~frmBaxwin() override;

    // Loads the definitions and makes the first load of values: 0 from the controller, 1 from
    // the parameter file. False (and the window closed) when the definitions cannot be loaded.
    bool ShowDialog(int iCode);
    void GetCtrlData(const ParValueTable& sULData) override;
    void setButtonsEnabled(bool enabled) override { m_buttonsEnabled = enabled; }
    bool buttonsEnabled() const { return m_buttonsEnabled; }

    // For tests and the program's start.
    ParamLink& link() { return *m_link; }
    SerialSettings& comSettings() { return m_com; }
    const ParDefs& parDefs() const { return m_defs; }
    const ParValueTable& values() const { return m_values; }
    int tabKind() const { return m_tabKind; }
    bool isEditing() const { return m_editing; }
    QTabBar* tabJiku() const { return m_tabJiku; }
    QTableWidget* grdGrid() const { return m_grid; }
    QLineEdit* txtInput() const { return m_txtInput; }
    QLabel* lblLower() const { return m_lblLower; }
    QLabel* lblUpper() const { return m_lblUpper; }
    QGroupBox* fraMsg() const { return m_fraMsg; }
    QPushButton* cmdFile() const { return m_cmdFile; }
    QPushButton* cmdCtrl() const { return m_cmdCtrl; }
    QPushButton* cmdEnd() const { return m_cmdEnd; }
    QAction* mnuParaFile() const { return m_mnuParaFile; }
    QAction* mnuParaCtrl() const { return m_mnuParaCtrl; }
    QAction* mnuCommSet() const { return m_mnuCommSet; }
    QAction* mnuParaCompare() const { return m_mnuParaCompare; }
    QAction* mnuParaFind() const { return m_mnuParaFind; }
    QAction* mnuParaFindNext() const { return m_mnuParaFindNext; }
    QLabel* lblChanged() const { return m_lblChanged; }
    QLabel* lblDiffer() const { return m_lblDiffer; }
    const ValueMarkState& marks() const { return m_marks; }

    // How the marks look: a changed value bold on a light yellow; a value that differs from the
    // controller's in dark red on a light rose (bold as well when it is also changed).
    static QColor changedTint();
    static QColor differTint();
    static QColor differText();

    void buildAxisGrid(int rows);
    void buildCommonGrid(int rows);
    void fillGrid();
    void showLimits();
    void beginEdit();
    void endEdit();
    void commitEdit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrid(int kind, int rows);
    void selectFirstTab();
    void clearLimits();
    void hideInput();
    int currentParNo() const;
    bool isValueColumn(int col) const { return col >= 1 && col <= m_lastValueCol; }
    void openTransfer(int iCode);
    void showGrid();
    int parNoOfRow(int row) const;
    void resetMarks();
    void showMarks();
    void markCell(int row, int col);
    void showCounts();
    void goToCell(int n, int axis);
    void findFrom(int after);

    void tabJiku_Click(int index);
    void grdGrid_Click(int row, int col);
    void txtInput_Enter();
    void txtInput_Escape();
    void grdGrid_Scroll();
    void cmdFile_Click();
    void cmdCtrl_Click();
    void mnuParaFile_Click();
    void mnuParaCtrl_Click();
    void mnuCommSet_Click();
    void mnuParaCompare_Click();
    void mnuParaFind_Click();
    void mnuParaFindNext_Click();

    int m_langNo;
    ParDefs m_defs;
    ParValueTable m_values;
    ValueMarkState m_marks{m_defs};
    QString m_findText;
    int m_tabKind = 0;
    int m_lastValueCol = 3;
    bool m_editing = false;
    bool m_scrollGuard = false;
    bool m_hidingInput = false;
    bool m_selectingTab = false;
    bool m_buttonsEnabled = false;

    QtSerialPort m_MSCMain;
    LingeringPort m_port{&m_MSCMain};
    QTimer m_tmrMain;
    QtLinkTimer m_replyTimer{&m_tmrMain};
    std::unique_ptr<ParamLink> m_link;
    SerialSettings m_com{&m_port};

    QTabBar* m_tabJiku;
    QTableWidget* m_grid;
    QLineEdit* m_txtInput;
    QLineEdit* m_txtDmy;
    QGroupBox* m_fraMsg;
    QLabel* m_lblMsg;
    QLabel* m_lblLower;
    QLabel* m_lblUpper;
    QPushButton* m_cmdFile;
    QPushButton* m_cmdCtrl;
    QPushButton* m_cmdEnd;
    QAction* m_mnuParaFile;
    QAction* m_mnuParaCtrl;
    QAction* m_mnuCommSet;
    QAction* m_mnuParaCompare;
    QAction* m_mnuParaFind;
    QAction* m_mnuParaFindNext;
    QLabel* m_lblChanged;
    QLabel* m_lblDiffer;
};
