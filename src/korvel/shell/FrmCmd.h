#pragma once

#include <QListWidget>
#include <QWidget>

#include <functional>

class FrmProg;

// The palette list: entries can be dragged; the drag carries the command's name as text.
class CmdList : public QListWidget {
    Q_OBJECT
public:
    explicit CmdList(QWidget* parent = nullptr);
    QPoint lastMousePos() const { return m_lastMouse; }

protected:
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPoint m_lastMouse;
};

// The command palette: the seventeen commands with their pictures, a tool window at the right
// edge of the screen that stays above all other windows.
class FrmCmd : public QWidget {
    Q_OBJECT
public:
    // activeForm gives the active program window, nullptr when there is none.
    explicit FrmCmd(std::function<FrmProg*()> activeForm, QWidget* parent = nullptr);

    // Called when the palette is closed by any means (its close box included).
    void setOnClosed(std::function<void()> onClosed) { m_onClosed = std::move(onClosed); }
    CmdList* LstCmd() const { return m_list; }

    // Double click on the list at the last remembered mouse position.
    void LstCmd_DblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildCommandList();

    std::function<FrmProg*()> m_activeForm;
    std::function<void()> m_onClosed;
    CmdList* m_list;
};
