#include "korvel/shell/FrmCmd.h"

#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/shell/commandpictures.h"
#include "shared/inifile.h"
#include "shared/ui/captions.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>

CmdList::CmdList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("LstCmd"));
    setMouseTracking(true);
}

QMimeData* CmdList::mimeData(const QList<QListWidgetItem*>& items) const {
    QMimeData* mime = QListWidget::mimeData(items);
    if (!items.isEmpty())
        mime->setText(items.front()->text());
    return mime;
}

void CmdList::mouseMoveEvent(QMouseEvent* event) {
    m_lastMouse = event->position().toPoint();
    QListWidget::mouseMoveEvent(event);
}

void CmdList::mousePressEvent(QMouseEvent* event) {
    m_lastMouse = event->position().toPoint();
    QListWidget::mousePressEvent(event);
}

FrmCmd::FrmCmd(std::function<FrmProg*()> activeForm, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_activeForm(std::move(activeForm)) {
    setObjectName(QStringLiteral("FrmCmd"));
    m_list = new CmdList(this);
    connect(m_list, &QListWidget::doubleClicked, this, [this] { LstCmd_DblClick(); });
    buildCommandList();
}

void FrmCmd::buildCommandList() {
    setWindowTitle(langFile().GetINIStr(QStringLiteral("FrmCmd"), QStringLiteral("Title001")));
    CaptionChange(this);

    const int w = twipsToPixelsX(3000, this);
    const int h = twipsToPixelsY(9300, this);
    resize(w, h);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        move(g.x() + g.width() - w, g.y());
    }

    m_list->move(0, 0);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom);
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setIconSize(CommandPictures::pictureSize());
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setDragEnabled(true);
    m_list->setDragDropMode(QAbstractItemView::DragOnly);
    m_list->setDefaultDropAction(Qt::CopyAction);
    m_list->clear();
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd)
        m_list->addItem(new QListWidgetItem(CommandPictures::icon(cmd), cmdName(cmd)));
    m_list->resize(size());
}

void FrmCmd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_list->resize(size());
}

void FrmCmd::LstCmd_DblClick() {
    FrmProg* form = m_activeForm ? m_activeForm() : nullptr;
    if (form == nullptr)
        return;
    if (m_list->itemAt(m_list->lastMousePos()) == nullptr)
        return;
    const int iCmd = m_list->currentRow() + 1;
    if (iCmd < Cmd::First || iCmd > Cmd::Last)
        return;
    form->putAndFill(form->getSelectedAxis(), form->currentRow(), iCmd, defaultValues(iCmd));
}

void FrmCmd::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (m_onClosed) {
        auto onClosed = std::move(m_onClosed);
        m_onClosed = nullptr;
        onClosed();
    }
}
