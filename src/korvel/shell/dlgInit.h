#pragma once

#include <QDialog>

class QLabel;
class QTimer;

// Sizes a wait notice's client area in twips, as the notices are designed.
QSize twipsToPixels(const QWidget* window, int widthTwips, int heightTwips);
// The notice text: centred, 16 point bold, sized to itself, in the middle of the client area.
void layoutWaitLabel(QLabel* label, QWidget* window, const QString& text);

// The borderless notice shown before each transfer dialog; it closes itself after its display
// time (2 s; tests shorten it).
class dlgInit : public QDialog {
    Q_OBJECT
public:
    static constexpr int DisplayTimeMs = 2000;

    explicit dlgInit(QWidget* parent = nullptr);

    static void setDisplayTime(int ms);
    static int displayTime();

    QLabel* lblMsg() const { return m_lblMsg; }
    QTimer* tmrInit() const { return m_tmrInit; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_lblMsg;
    QTimer* m_tmrInit;
};

// Centres a dialog on its parent window when it has one.
void centreOnParent(QWidget* dialog);
