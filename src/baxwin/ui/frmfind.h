#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the text the editor's find looks for in the parameter numbers and names.
class frmFind : public QDialog {
    Q_OBJECT
public:
    explicit frmFind(QWidget* parent = nullptr);

    // Title and captions, the last text selected, modal display. True when Find was pressed
    // with a text; the text is then getFindText().
    bool ShowDialog(const QString& lastText);
    QString getFindText() const;

    QLineEdit* txtFind() const { return m_txtFind; }
    QPushButton* cmdFind() const { return m_cmdFind; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

private:
    QLabel* m_lblFind;
    QLineEdit* m_txtFind;
    QPushButton* m_cmdFind;
    QPushButton* m_cmdCancel;
};
