#include "korvel/model/FrmProg.h"

#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/commandpictures.h"
#include "korvel/shell/dlgData.h"
#include "korvel/shell/filedialogs.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {
const QString kSection = QStringLiteral("FrmProg");

int axisOfColumn(int col) {
    return col / 3 + 1;
}
} // namespace

// The document's cells as a table: model column m is grid column m + 1.
class ProgGridModel : public QAbstractTableModel {
public:
    ProgGridModel(const ProgramDoc& doc, QObject* parent)
        : QAbstractTableModel(parent), m_doc(doc) {}

    void reset() {
        beginResetModel();
        m_axisTitles.clear();
        for (const char* key : {"Mes002", "Mes003", "Mes004"})
            m_axisTitles.append(langFile().GetINIStr(kSection, QLatin1String(key)));
        m_textTitle = langFile().GetINIStr(kSection, QStringLiteral("Mes005")) + QLatin1Char('\n') +
                      langFile().GetINIStr(kSection, QStringLiteral("Mes006"));
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_doc.maxSteps();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 3 * m_doc.getAxis() - 1;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return QVariant();
        const int col = index.column() + 1;
        const int step = index.row() + 1;
        const int axis = axisOfColumn(col);
        if (role == Qt::ToolTipRole) {
            if (axis > m_doc.getAxis() || m_doc.cellCommand(axis, step) != Cmd::Comment)
                return QVariant();
            return m_doc.getProgCell(axis, step).value(1);
        }
        if (col % 3 == 1 && role == Qt::DecorationRole) {
            const int pic = m_doc.cell(axis, step).picture;
            return pic > 0 ? QVariant(CommandPictures::picture(pic)) : QVariant();
        }
        if (col % 3 == 2 && role == Qt::DisplayRole) {
            QString text = m_doc.cell(axis, step).text;
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            return text;
        }
        if (col % 3 == 2 && role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return QVariant();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Vertical) {
            if (role == Qt::DisplayRole)
                return QStringLiteral("%1").arg(section, 3, 10, QLatin1Char('0'));
            if (role == Qt::TextAlignmentRole)
                return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
            return QVariant();
        }
        const int col = section + 1;
        if (role == Qt::DisplayRole) {
            if (col % 3 == 1)
                return m_axisTitles.value(axisOfColumn(col) - 1);
            if (col % 3 == 2)
                return m_textTitle;
            return QString();
        }
        if (role == Qt::TextAlignmentRole && col % 3 == 2)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QVariant();
    }

    void cellChanged(int axis, int step) {
        const int col = 3 * (axis - 1);
        Q_EMIT dataChanged(index(step - 1, col), index(step - 1, col + 1));
    }

    void refreshAll() { Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1)); }

private:
    const ProgramDoc& m_doc;
    QStringList m_axisTitles;
    QString m_textTitle;
};

ProgGrid::ProgGrid(QWidget* parent) : QTableView(parent) {
    setObjectName(QStringLiteral("grdProg"));
    for (QAbstractButton* b : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        m_corner = b;
        b->installEventFilter(this);
    }
}

bool ProgGrid::cellAt(QWidget* child, const QPoint& pos, int& row, int& col) const {
    if (child == viewport()) {
        const int r = rowAt(pos.y());
        const int c = columnAt(pos.x());
        if (r < 0 || c < 0)
            return false;
        row = r + 1;
        col = c + 1;
        return true;
    }
    if (child == verticalHeader()->viewport() || child == verticalHeader()) {
        const int r = verticalHeader()->logicalIndexAt(pos.y());
        if (r < 0)
            return false;
        row = r + 1;
        col = 0;
        return true;
    }
    if (child == horizontalHeader()->viewport() || child == horizontalHeader()) {
        const int c = horizontalHeader()->logicalIndexAt(pos.x());
        if (c < 0)
            return false;
        row = 0;
        col = c + 1;
        return true;
    }
    if (child == m_corner) {
        row = 0;
        col = 0;
        return true;
    }
    return false;
}

bool ProgGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_corner && event->type() == QEvent::Paint) {
        // The corner is the header cell of the step-number column.
        QStylePainter p(m_corner);
        QStyleOptionHeader opt;
        opt.initFrom(m_corner);
        opt.rect = m_corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.text = m_cornerText;
        opt.textAlignment = Qt::AlignCenter;
        p.drawControl(QStyle::CE_Header, opt);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

FrmProg::FrmProg(QWidget* parent) : QWidget(parent), m_doc(RunConfig::maxSteps()) {
    setObjectName(kSection);
    m_doc.setView(this);
    m_model = new ProgGridModel(m_doc, this);
    m_grid = new ProgGrid(this);
    m_grid->setModel(m_model);
    m_grid->setWordWrap(true);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setIconSize(CommandPictures::pictureSize());
    m_grid->verticalHeader()->setSectionsClickable(false);
    m_grid->horizontalHeader()->setSectionsClickable(false);
    m_grid->horizontalHeader()->setMinimumSectionSize(1);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_grid);

    m_grid->installEventFilter(this);
    for (QWidget* w : {m_grid->viewport(), m_grid->verticalHeader()->viewport(),
                       m_grid->horizontalHeader()->viewport(), m_grid->cornerButton()}) {
        if (w == nullptr)
            continue;
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::canUndoChanged, this, &FrmProg::undoStateChanged);
    connect(m_undo, &QUndoStack::canRedoChanged, this, &FrmProg::undoStateChanged);
    connect(m_grid, &QAbstractItemView::doubleClicked, this, &FrmProg::gridDoubleClicked);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (!m_selecting && !m_batch)
            selectAxisCells();
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_selecting && !m_batch)
            selectAxisCells();
    });
}

FrmProg::~FrmProg() {
    // The history goes first: its commands refer to the document and it reports to this window.
    m_undo->disconnect(this);
    delete m_undo;
    m_doc.setView(nullptr);
}

void FrmProg::layoutGrid() {
    m_grid->setVisible(false);
    m_model->reset();
    m_grid->setCornerText(langFile().GetINIStr(kSection, QStringLiteral("Mes001")));
    const QSize pic = CommandPictures::pictureSize();
    const int textTwips = RunConfig::languageNo() == 1 ? 3200 : 1900;
    // The designed sizes, grown where the language's texts would not fit: a header text is
    // never cut, and a cell holds its two lines (the name, then the values).
    QHeaderView* top = m_grid->horizontalHeader();
    const int headerMargin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, top) + 4;
    const QFontMetrics headerFont(top->font());
    for (int c = 1; c < 3 * m_doc.getAxis(); ++c) {
        int w = 0;
        if (c % 3 == 1)
            w = qMax(pic.width() + twipsToPixelsX(20, this),
                     headerFont.horizontalAdvance(
                         m_model->headerData(c - 1, Qt::Horizontal, Qt::DisplayRole).toString()) +
                         headerMargin);
        else if (c % 3 == 2)
            w = twipsToPixelsX(textTwips, this);
        else
            w = twipsToPixelsX(30, this);
        m_grid->setColumnWidth(c - 1, w);
    }
    // Measured on the names themselves: the line height of a Japanese text is that of the
    // font that draws it, not of the grid's own font.
    const QFontMetrics cellFont(m_grid->font());
    int twoLines = 2 * cellFont.lineSpacing();
    for (int cmd = Cmd::First; cmd <= Cmd::Last; ++cmd) {
        const QRect r = cellFont.boundingRect(QRect(0, 0, 10000, 10000), Qt::AlignLeft,
                                              cmdName(cmd) + QStringLiteral("\n0,"));
        twoLines = qMax(twoLines, r.height());
    }
    twoLines += 2 * style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, m_grid) + 6;
    m_grid->verticalHeader()->setDefaultSectionSize(
        qMax(pic.height() + twipsToPixelsY(20, this), twoLines));
    const QString corner = langFile().GetINIStr(kSection, QStringLiteral("Mes001"));
    m_grid->verticalHeader()->setMinimumWidth(
        QFontMetrics(m_grid->verticalHeader()->font()).horizontalAdvance(corner) + headerMargin);
    m_grid->setVisible(true);
}

void FrmProg::setAxis(int iNum) {
    m_doc.setAxis(iNum);
    layoutGrid();
    setCurrentCell(1, 1);
    m_grid->scrollToTop();
    selectAxisCells();
}

void FrmProg::setDocNo(int iNum) {
    m_doc.setDocNo(iNum);
    m_doc.setStep(0);
    m_doc.setFileName(QStringLiteral("Program%1").arg(iNum));
    m_doc.setDirty(false);
    setCurrentCell(1, 1);
    m_grid->scrollToTop();
    selectAxisCells();
}

void FrmProg::setGridTact(bool bSw) {
    if (!bSw) {
        m_batch = true;
        m_grid->setUpdatesEnabled(false);
        return;
    }
    m_batch = false;
    m_model->refreshAll();
    setCurrentCell(m_doc.currentStep(), m_doc.currentCol());
    selectAxisCells();
    m_grid->setUpdatesEnabled(true);
}

void FrmProg::cellChanged(int iAxis, int iStep) {
    if (!m_batch)
        m_model->cellChanged(iAxis, iStep);
}

void FrmProg::stepsChanged(int) {
    Q_EMIT stepCountChanged();
}

void FrmProg::titleChanged(const QString& title) {
    setWindowTitle(title);
}

void FrmProg::currentCellChanged(int iStep, int iCol) {
    if (m_batch)
        return;
    setCurrentCell(iStep, iCol);
    selectAxisCells();
}

int FrmProg::currentRow() const {
    const QModelIndex i = m_grid->currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

int FrmProg::currentCol() const {
    const QModelIndex i = m_grid->currentIndex();
    return i.isValid() ? i.column() + 1 : 1;
}

int FrmProg::getSelectedAxis() const {
    return qMin(axisOfColumn(currentCol()), getAxis());
}

void FrmProg::setCurrentCell(int row, int col) {
    row = qBound(1, row, m_doc.maxSteps());
    col = qBound(1, col, 3 * getAxis() - 1);
    m_selecting = true;
    m_grid->selectionModel()->setCurrentIndex(m_model->index(row - 1, col - 1),
                                              QItemSelectionModel::NoUpdate);
    m_selecting = false;
}

int FrmProg::selectAxisCells() {
    const int axis = getSelectedAxis();
    const int row = currentRow();
    const QModelIndex pic = m_model->index(row - 1, 3 * (axis - 1));
    const QModelIndex text = m_model->index(row - 1, 3 * (axis - 1) + 1);
    m_selecting = true;
    m_grid->selectionModel()->setCurrentIndex(pic, QItemSelectionModel::NoUpdate);
    m_grid->selectionModel()->select(QItemSelection(pic, text),
                                     QItemSelectionModel::ClearAndSelect);
    m_selecting = false;
    m_doc.setCurrentCell(row, ProgramDoc::axisColumn(axis));
    return axis;
}

namespace {

// One change of the program: the states before and after it. The change itself was made by the
// document's own operation; undo and redo put the states back.
class ProgramChange : public QUndoCommand {
public:
    ProgramChange(ProgramDoc& doc, ProgramDoc::State before, ProgramDoc::State after)
        : m_doc(doc), m_before(std::move(before)), m_after(std::move(after)) {}
    void undo() override { m_doc.restoreState(m_before); }
    void redo() override {
        if (m_done)
            m_doc.restoreState(m_after);
        m_done = true;
    }

private:
    ProgramDoc& m_doc;
    ProgramDoc::State m_before;
    ProgramDoc::State m_after;
    bool m_done = false;
};

} // namespace

void FrmProg::recordChange(const std::function<void()>& change) {
    ProgramDoc::State before = m_doc.state();
    change();
    ProgramDoc::State after = m_doc.state();
    if (before.sameProgram(after))
        return;
    // Undone or redone, the selection comes back to where the operator made the change.
    after.currentStep = before.currentStep;
    after.currentCol = before.currentCol;
    m_undo->push(new ProgramChange(m_doc, std::move(before), std::move(after)));
}

void FrmProg::insertStep() {
    recordChange([this] { m_doc.insertStep(); });
}

void FrmProg::deleteStep() {
    recordChange([this] { m_doc.deleteStep(); });
}

void FrmProg::undo() {
    if (!m_undo->canUndo())
        return;
    m_restoring = true;
    m_undo->undo();
    m_restoring = false;
    m_doc.setDirty(!m_undo->isClean());
}

void FrmProg::redo() {
    if (!m_undo->canRedo())
        return;
    m_restoring = true;
    m_undo->redo();
    m_restoring = false;
    m_doc.setDirty(!m_undo->isClean());
}

bool FrmProg::canUndo() const {
    return m_undo->canUndo();
}

bool FrmProg::canRedo() const {
    return m_undo->canRedo();
}

void FrmProg::dirtyChanged(bool bDirty) {
    // Saved: the history's saved state is this one.
    if (!bDirty && !m_restoring)
        m_undo->setClean();
}

void FrmProg::editCell(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
    askAndApply(iAxis, iStep, iCmd, sData, 0);
}

void FrmProg::askAndApply(int iAxis, int iStep, int iCmd, const ValueArray& sData, int fillFrom) {
    if (iCmd == Cmd::BothGo && getAxis() == 1)
        return;
    CommandDataAsker& asker = m_asker ? *m_asker : dataDialogAsker();
    if (!asker.dlgDataExe(iAxis, iStep, iCmd, sData))
        return;
    const ValueArray values = asker.getTxtBoxData();
    // Placing a command and filling the gap steps before it is one change.
    recordChange([&] {
        applyCellEdit(iAxis, iStep, iCmd, values);
        if (fillFrom > 0)
            fillSteps(fillFrom);
    });
}

void FrmProg::putAndFill(int iAxis, int iStep, int iCmd, const ValueArray& sData) {
    const int n = getStep();
    askAndApply(iAxis, iStep, iCmd, sData, n + 1);
    setCurrentCell(iStep, ProgramDoc::axisColumn(iAxis));
    selectAxisCells();
}

void FrmProg::gridDoubleClicked(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const int row = index.row() + 1;
    setCurrentCell(row, index.column() + 1);
    const int axis = selectAxisCells();
    const int cmd = m_doc.cellCommand(axis, row);
    if (cmd == 0)
        return;
    editCell(axis, row, cmd, getProgCell(axis, row));
}

void FrmProg::dropCommand(QWidget* child, const QPoint& pos, const QString& text) {
    const int cmd = findCommandByName(text);
    if (cmd == 0)
        return;
    int row = 0;
    int col = 0;
    if (!m_grid->cellAt(child, pos, row, col))
        return;
    const int axis = qMin(axisOfColumn(col), getAxis());
    setCurrentCell(qMax(row, 1), ProgramDoc::axisColumn(axis));
    selectAxisCells();
    if (row >= 1)
        putAndFill(axis, row, cmd, defaultValues(cmd));
}

bool FrmProg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int axis = getSelectedAxis();
        switch (key->key()) {
        case Qt::Key_Right:
            if (axis < getAxis()) {
                setCurrentCell(currentRow(), ProgramDoc::axisColumn(axis + 1));
                selectAxisCells();
                m_grid->scrollTo(m_model->index(currentRow() - 1, 3 * axis + 1));
                m_grid->scrollTo(m_grid->currentIndex());
            }
            return true;
        case Qt::Key_Left:
            if (axis > 1) {
                setCurrentCell(currentRow(), ProgramDoc::axisColumn(axis - 1));
                selectAxisCells();
                m_grid->scrollTo(m_grid->currentIndex());
            }
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            selectAxisCells();
            return false;
        default:
            return false;
        }
    }
    auto* child = qobject_cast<QWidget*>(watched);
    if (child != nullptr && child != m_grid) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDragMoveEvent*>(event);
            if (e->mimeData()->hasText()) {
                e->setDropAction(Qt::CopyAction);
                e->accept();
            } else {
                e->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (!e->mimeData()->hasText())
                return true;
            e->setDropAction(Qt::CopyAction);
            e->accept();
            dropCommand(child, e->position().toPoint(), e->mimeData()->text());
            return true;
        }
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool FrmProg::queryClose() {
    if (m_closeAgreed)
        return true;
    if (m_doc.getDirty()) {
        const MsgResult r = showMessage(Msg::SaveChanges, getFileName(false));
        if (r == MsgResult::Cancel)
            return false;
        if (r == MsgResult::Yes) {
            QtProgramFileDialogs fallback(this);
            if (saveProgram(m_doc, false, m_dialogs ? *m_dialogs : fallback))
                Q_EMIT saved(getFileName(true));
        }
    }
    m_closeAgreed = true;
    return true;
}

void FrmProg::closeEvent(QCloseEvent* event) {
    if (!queryClose()) {
        event->ignore();
        return;
    }
    event->accept();
}
