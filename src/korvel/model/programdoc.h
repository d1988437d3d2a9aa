#pragma once

#include "korvel/model/commandtable.h"

#include <QString>
#include <QVector>

// What the document needs from the window that shows it. Every call is optional for the
// window; a document without a window (loading in the command-line tool, tests) has none.
class ProgramView {
public:
    virtual ~ProgramView() = default;
    // False: a bulk change starts, do not redraw cell by cell; True: it has ended.
    virtual void setGridTact(bool bSw) = 0;
    virtual void cellChanged(int iAxis, int iStep) = 0;
    // The number of used steps was set; the main window refreshes its menus.
    virtual void stepsChanged(int iStep) = 0;
    virtual void titleChanged(const QString& title) = 0;
    // The document moved the current cell (grid row = step, grid column).
    virtual void currentCellChanged(int iStep, int iCol) = 0;
    // The modified flag changed (a save clears it).
    virtual void dirtyChanged(bool) {}
};

// One motion program: a grid of maxSteps steps by 1 to 3 axes whose cells hold a command name
// with its values as text, and the command's picture.
class ProgramDoc {
public:
    struct Cell {
        QString text;
        int picture = 0; // the command's palette picture, 0 for none
        bool operator==(const Cell& o) const { return text == o.text && picture == o.picture; }
    };

    // The program's content at one moment, for undo and redo: the cells and the steps in use,
    // and where the selection rested.
    struct State {
        QVector<Cell> cells;
        int steps = 0;
        int currentStep = 1;
        int currentCol = 1;
        bool sameProgram(const State& o) const { return steps == o.steps && cells == o.cells; }
    };
    State state() const;
    // Puts a state back as one bulk change; the modified flag is the caller's.
    void restoreState(const State& s);

    explicit ProgramDoc(int maxSteps);

    void setView(ProgramView* view) { m_view = view; }
    ProgramView* view() const { return m_view; }

    int maxSteps() const { return m_maxSteps; }

    void setDocNo(int iNum) { m_docNo = iNum; }
    int getDocNo() const { return m_docNo; }
    void setAxis(int iNum);
    int getAxis() const { return m_axes; }
    void setStep(int iStep);
    int getStep() const { return m_steps; }

    void setFileName(const QString& sName);
    QString getFileName(bool bFullPath) const;
    void setDirty(bool bSw);
    bool getDirty() const { return m_dirty; }
    QString title() const { return m_title; }

    const Cell& cell(int iAxis, int iStep) const;
    // The command number held in a cell, 0 when it is empty.
    int cellCommand(int iAxis, int iStep) const;
    ValueArray getProgCell(int iAxis, int iStep) const;
    bool bPutProgCell(int iAxis, int iStep, int iCmd, const ValueArray& sData);
    void clearCell(int iAxis, int iStep);

    void applyCellEdit(int iAxis, int iStep, int iCmd, const ValueArray& sData);
    void fillSteps(int step);
    void insertStep();
    void deleteStep();

    QString getSendStep(int iStep) const;
    static QString makeStepText(int axis, const ValueArray& cell);
    static bool isAxisParameter(int paramNo);

    void setGridTact(bool bSw);

    // The current cell: the step (grid row) and the grid column the selection rests on.
    int currentStep() const { return m_currentStep; }
    int currentCol() const { return m_currentCol; }
    // Set by the window when the operator moves the selection; does not call back.
    void setCurrentCell(int iStep, int iCol);
    // Moves the current cell and tells the window.
    void goToCell(int iStep, int iCol);
    // The picture column of an axis.
    static int axisColumn(int iAxis) { return 3 * (iAxis - 1) + 1; }

private:
    Cell& cellRef(int iAxis, int iStep);
    void putFiller(int iAxis, int iStep);

    int m_maxSteps;
    int m_docNo = 0;
    int m_axes = 1;
    int m_steps = 0;
    QString m_fileName;
    QString m_title;
    bool m_dirty = false;
    int m_currentStep = 1;
    int m_currentCol = 1;
    QVector<Cell> m_cells; // maxSteps x 3, step-major
    ProgramView* m_view = nullptr;
};
