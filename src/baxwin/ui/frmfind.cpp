#include "baxwin/ui/frmfind.h"

#include "shared/inifile.h"
#include "shared/ui/captions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmFind::frmFind(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("パラメータ検索"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_lblFind = new QLabel(QStringLiteral("パラメータ番号または名称:"), this);
    m_lblFind->setObjectName(QStringLiteral("lblFind"));
    Captions::setTag(m_lblFind, QStringLiteral("Cap001"));
    m_txtFind = new QLineEdit(this);
    m_txtFind->setObjectName(QStringLiteral("txtFind"));
    m_lblFind->setBuddy(m_txtFind);
    m_cmdFind = new QPushButton(QStringLiteral("検索"), this);
    m_cmdFind->setObjectName(QStringLiteral("cmdFind"));
    m_cmdFind->setDefault(true);
    Captions::setTag(m_cmdFind, QStringLiteral("Cap002"));
    m_cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    m_cmdCancel->setAutoDefault(false);
    Captions::setTag(m_cmdCancel, QStringLiteral("Cap003"));
    // A blank text would match every parameter: there is nothing to find then.
    connect(m_txtFind, &QLineEdit::textChanged, this,
            [this](const QString& t) { m_cmdFind->setEnabled(!t.trimmed().isEmpty()); });
    connect(m_cmdFind, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdFind);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblFind);
    layout->addWidget(m_txtFind);
    layout->addLayout(buttons);
    setMinimumWidth(320);
}

bool frmFind::ShowDialog(const QString& lastText) {
    setWindowTitle(langFile().GetINIStr(objectName(), QStringLiteral("Title001"), QString()));
    CaptionChange(this);
    m_txtFind->setText(lastText);
    m_txtFind->selectAll();
    m_cmdFind->setEnabled(!lastText.trimmed().isEmpty());
    m_txtFind->setFocus(Qt::OtherFocusReason);
    adjustSize();
    return exec() == QDialog::Accepted && !getFindText().isEmpty();
}

QString frmFind::getFindText() const {
    return m_txtFind->text().trimmed();
}
