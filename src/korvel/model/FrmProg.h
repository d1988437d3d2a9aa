#pragma once

#include "korvel/model/programdoc.h"

#include <QTableView>
#include <QWidget>

#include <functional>

class CommandDataAsker;
class ProgramFileDialogs;
class ProgGridModel;
class QUndoStack;

// The grid of a program window: the header row and the step-number column are the view's
// headers, so grid row r is model row r - 1 and grid column c is model column c - 1.
class ProgGrid : public QTableView {
    Q_OBJECT
public:
    explicit ProgGrid(QWidget* parent = nullptr);
    // The grid row and column under a point of the given child (viewport, headers, corner);
    // false when the point is on no cell.
    bool cellAt(QWidget* child, const QPoint& pos, int& row, int& col) const;
    QWidget* cornerButton() const { return m_corner; }
    void setCornerText(const QString& text) { m_cornerText = text; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_corner = nullptr;
    QString m_cornerText;
};

// A program window: one program document shown as a grid of steps by axes.
class FrmProg : public QWidget, private ProgramView {
    Q_OBJECT
public:
    explicit FrmProg(QWidget* parent = nullptr);
    ~FrmProg() override;

    ProgramDoc& doc() { return m_doc; }
    const ProgramDoc& doc() const { return m_doc; }
    ProgGrid* grdProg() const { return m_grid; }

    void setDataAsker(CommandDataAsker* asker) { m_asker = asker; }
    void setFileDialogs(ProgramFileDialogs* dialogs) { m_dialogs = dialogs; }

    // The document's operations.
    void setDocNo(int iNum);
    int getDocNo() const { return m_doc.getDocNo(); }
    void setAxis(int iNum);
    int getAxis() const { return m_doc.getAxis(); }
    void setStep(int iStep) { m_doc.setStep(iStep); }
    int getStep() const { return m_doc.getStep(); }
    void setFileName(const QString& sName) { m_doc.setFileName(sName); }
    QString getFileName(bool bFullPath) const { return m_doc.getFileName(bFullPath); }
    void setDirty(bool bSw) { m_doc.setDirty(bSw); }
    bool getDirty() const { return m_doc.getDirty(); }
    ValueArray getProgCell(int iAxis, int iStep) const { return m_doc.getProgCell(iAxis, iStep); }
    bool bPutProgCell(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
        return m_doc.bPutProgCell(iAxis, iStep, iCmd, sData);
    }
    void applyCellEdit(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
        m_doc.applyCellEdit(iAxis, iStep, iCmd, sData);
    }
    void fillSteps(int step) { m_doc.fillSteps(step); }
    // The editing commands of the Edit menu: each change is one step of the undo history.
    void insertStep();
    void deleteStep();
    QString getSendStep(int iStep) const { return m_doc.getSendStep(iStep); }
    void setGridTact(bool bSw) override;

    // Asks for the values with the data dialog, then stores them and fills the gap steps.
    void putAndFill(int iAxis, int iStep, int iCmd, const ValueArray& sData);
    void editCell(int iAxis, int iStep, int iCmd, const ValueArray& sData);

    // Undo and redo of the operator's changes; the "*" follows whether the program is back at
    // its saved state.
    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    QUndoStack* undoStack() const { return m_undo; }

    int getSelectedAxis() const;
    // The grid's current row (the step) and column.
    int currentRow() const;
    int currentCol() const;
    // Makes a grid cell current (row >= 1, column >= 0) without normalising the selection.
    void setCurrentCell(int row, int col);
    int selectAxisCells();

    // The close prompt: asks about saving a modified program (and saves on Yes); true when the
    // window may close. Once agreed it does not ask again until setCloseAgreed(false).
    bool queryClose();
    void setCloseAgreed(bool agreed) { m_closeAgreed = agreed; }

    // A command name dropped on the grid at a point of one of the grid's parts.
    void dropCommand(QWidget* child, const QPoint& pos, const QString& text);

Q_SIGNALS:
    // The number of used steps was set; the main window refreshes its menus.
    void stepCountChanged();
    // Undo or redo became possible or impossible.
    void undoStateChanged();
    // The close prompt saved the program under this path.
    void saved(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ProgramView
    void cellChanged(int iAxis, int iStep) override;
    void stepsChanged(int iStep) override;
    void titleChanged(const QString& title) override;
    void currentCellChanged(int iStep, int iCol) override;
    void dirtyChanged(bool bDirty) override;

    // Runs one change of the document through its own operation and records it for undo; a
    // change that changed nothing (refused, cancelled) is not recorded.
    void recordChange(const std::function<void()>& change);

    void layoutGrid();
    void gridDoubleClicked(const QModelIndex& index);
    void askAndApply(int iAxis, int iStep, int iCmd, const ValueArray& sData, int fillFrom);

    ProgramDoc m_doc;
    ProgGridModel* m_model;
    ProgGrid* m_grid;
    CommandDataAsker* m_asker = nullptr;
    ProgramFileDialogs* m_dialogs = nullptr;
    bool m_selecting = false;
    bool m_batch = false;
    bool m_closeAgreed = false;
    QUndoStack* m_undo;
    bool m_restoring = false;
};
