#pragma once

#include <QWidget>

// A program window: one motion program of steps by axes inside the main window.
class FrmProg : public QWidget {
    Q_OBJECT
public:
    explicit FrmProg(QWidget* parent = nullptr);

    void setAxis(int iNum) { m_axis = iNum; }
    int getAxis() const { return m_axis; }
    void setDocNo(int iNum);
    int getDocNo() const { return m_docNo; }
    void setStep(int iStep);
    int getStep() const { return m_steps; }
    void setFileName(const QString& sName);
    QString getFileName(bool bFullPath) const;
    void deleteStep();
    void insertStep();

Q_SIGNALS:
    // The number of used steps changed; the main window refreshes its menus.
    void stepCountChanged();

private:
    int m_axis = 1;
    int m_docNo = 0;
    int m_steps = 0;
    QString m_fileName;
};
