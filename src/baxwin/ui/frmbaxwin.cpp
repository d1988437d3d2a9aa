#include "baxwin/ui/frmbaxwin.h"

#include "baxwin/baxmessages.h"
#include "baxwin/editinput.h"
#include "baxwin/mdlfile.h"
#include "baxwin/ui/frmfind.h"
#include "baxwin/ui/frmwait.h"
#include "shared/inifile.h"
#include "shared/numbers.h"
#include "shared/ui/captions.h"
#include "shared/ui/dlgcomsetup.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString Section = QStringLiteral("frmBaxwin");

int twips(int t) {
    return t / 15;
}

QString text(const char* key) {
    return langFile().GetINIStr(Section, QLatin1String(key));
}

// The status bar's counts show the look of their marks, so they explain the grid.
QString legendStyle(const QColor& tint, const QColor& ink, bool bold) {
    return QStringLiteral(
               "QLabel { background: %1; color: %2; font-weight: %3; padding: 1px 6px; }")
        .arg(tint.name(), ink.name(), bold ? QStringLiteral("bold") : QStringLiteral("normal"));
}

} // namespace

frmBaxwin::frmBaxwin(int langNo, QWidget* parent) : QMainWindow(parent), m_langNo(langNo) {
    setObjectName(Section);
    setWindowTitle(QStringLiteral("パラメータ設定"));
    m_MSCMain.setObjectName(QStringLiteral("MSCMain"));
    m_tmrMain.setObjectName(QStringLiteral("tmrMain"));
    m_link = std::make_unique<ParamLink>(m_port, m_replyTimer);
    m_link->setWindowEnabler([this](bool enabled) { setEnabled(enabled); });
    connect(&m_tmrMain, &QTimer::timeout, this, [this] { m_link->onReplyTimer(); });

    QMenu* mnuPara = menuBar()->addMenu(QStringLiteral("パラメータ"));
    mnuPara->setObjectName(QStringLiteral("mnuPara"));
    Captions::setTag(mnuPara, QStringLiteral("Cap006"));
    m_mnuParaFile = mnuPara->addAction(QStringLiteral("ファイル読み込み"));
    m_mnuParaFile->setObjectName(QStringLiteral("mnuParaFile"));
    Captions::setTag(m_mnuParaFile, QStringLiteral("Cap008"));
    m_mnuParaCtrl = mnuPara->addAction(QStringLiteral("ｺﾝﾄﾛｰﾗ読み込み"));
    m_mnuParaCtrl->setObjectName(QStringLiteral("mnuParaCtrl"));
    Captions::setTag(m_mnuParaCtrl, QStringLiteral("Cap007"));
    QMenu* mnuComm = menuBar()->addMenu(QStringLiteral("通信"));
    mnuComm->setObjectName(QStringLiteral("mnuComm"));
    Captions::setTag(mnuComm, QStringLiteral("Cap004"));
    m_mnuCommSet = mnuComm->addAction(QStringLiteral("通信設定"));
    m_mnuCommSet->setObjectName(QStringLiteral("mnuCommSet"));
    Captions::setTag(m_mnuCommSet, QStringLiteral("Cap005"));
    mnuPara->addSeparator();
    m_mnuParaCompare = mnuPara->addAction(QStringLiteral("コントローラと比較..."));
    m_mnuParaCompare->setObjectName(QStringLiteral("mnuParaCompare"));
    Captions::setTag(m_mnuParaCompare, QStringLiteral("Cap014"));
    mnuPara->addSeparator();
    m_mnuParaFind = mnuPara->addAction(QStringLiteral("パラメータ検索..."));
    m_mnuParaFind->setObjectName(QStringLiteral("mnuParaFind"));
    m_mnuParaFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    Captions::setTag(m_mnuParaFind, QStringLiteral("Cap015"));
    m_mnuParaFindNext = mnuPara->addAction(QStringLiteral("次を検索"));
    m_mnuParaFindNext->setObjectName(QStringLiteral("mnuParaFindNext"));
    m_mnuParaFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    Captions::setTag(m_mnuParaFindNext, QStringLiteral("Cap016"));
    connect(m_mnuParaFile, &QAction::triggered, this, [this] { mnuParaFile_Click(); });
    connect(m_mnuParaCtrl, &QAction::triggered, this, [this] { mnuParaCtrl_Click(); });
    connect(m_mnuCommSet, &QAction::triggered, this, [this] { mnuCommSet_Click(); });
    connect(m_mnuParaCompare, &QAction::triggered, this, [this] { mnuParaCompare_Click(); });
    connect(m_mnuParaFind, &QAction::triggered, this, [this] { mnuParaFind_Click(); });
    connect(m_mnuParaFindNext, &QAction::triggered, this, [this] { mnuParaFindNext_Click(); });

    auto* central = new QWidget(this);
    setCentralWidget(central);
    m_tabJiku = new QTabBar(central);
    m_tabJiku->setObjectName(QStringLiteral("tabJiku"));
    m_tabJiku->addTab(QString());
    m_tabJiku->addTab(QString());
    // Every change of the tab rebuilds the grid: a click, the mouse wheel, the arrow keys.
    connect(m_tabJiku, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && !m_selectingTab)
            tabJiku_Click(index);
    });

    m_fraMsg = new QGroupBox(central);
    m_fraMsg->setObjectName(QStringLiteral("fraMsg"));
    m_lblMsg = new QLabel(QStringLiteral("入力を確定するにはEnterキーを押してください"), m_fraMsg);
    m_lblMsg->setObjectName(QStringLiteral("lblMsg"));
    Captions::setTag(m_lblMsg, QStringLiteral("Cap003"));
    (new QVBoxLayout(m_fraMsg))->addWidget(m_lblMsg);

    m_grid = new QTableWidget(central);
    m_grid->setObjectName(QStringLiteral("grdGrid"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->verticalHeader()->setVisible(false);
    m_grid->setTabKeyNavigation(false);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableWidget::cellClicked, this,
            [this](int row, int col) { grdGrid_Click(row, col); });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { grdGrid_Scroll(); });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { grdGrid_Scroll(); });

    m_txtDmy = new QLineEdit(m_grid->viewport());
    m_txtDmy->setObjectName(QStringLiteral("txtDmy"));
    m_txtDmy->setReadOnly(true);
    m_txtDmy->setFocusPolicy(Qt::NoFocus);
    m_txtDmy->hide();
    m_txtInput = new QLineEdit(m_grid->viewport());
    m_txtInput->setObjectName(QStringLiteral("txtInput"));
    m_txtInput->setMaxLength(9);
    m_txtInput->installEventFilter(this);
    m_txtInput->hide();

    auto limitBox = [central](const char* captionName, const char* tag, const QString& caption,
                              const char* valueName, QLabel** value) {
        auto* box = new QVBoxLayout;
        auto* label = new QLabel(caption, central);
        label->setObjectName(QLatin1String(captionName));
        Captions::setTag(label, QLatin1String(tag));
        *value = new QLabel(central);
        (*value)->setObjectName(QLatin1String(valueName));
        (*value)->setFrameShape(QFrame::Panel);
        (*value)->setFrameShadow(QFrame::Sunken);
        (*value)->setMinimumWidth(twips(1600));
        (*value)->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        box->addWidget(label);
        box->addWidget(*value);
        return box;
    };
    auto button = [central](const char* name, const char* tag, const QString& caption) {
        auto* b = new QPushButton(caption, central);
        b->setObjectName(QLatin1String(name));
        Captions::setTag(b, QLatin1String(tag));
        return b;
    };
    m_cmdFile = button("cmdFile", "Cap013", QStringLiteral("ファイル保存"));
    m_cmdCtrl = button("cmdCtrl", "Cap011", QStringLiteral("コントローラ書込"));
    m_cmdEnd = button("cmdEnd", "Cap012", QStringLiteral("終了"));
    connect(m_cmdFile, &QPushButton::clicked, this, [this] { cmdFile_Click(); });
    connect(m_cmdCtrl, &QPushButton::clicked, this, [this] { cmdCtrl_Click(); });
    connect(m_cmdEnd, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(m_tabJiku, 0, Qt::AlignBottom);
    top->addStretch();
    top->addWidget(m_fraMsg);
    auto* bottom = new QHBoxLayout;
    bottom->addLayout(
        limitBox("Label1_0", "Cap001", QStringLiteral("下限値"), "lblLower", &m_lblLower));
    bottom->addLayout(
        limitBox("Label1_1", "Cap002", QStringLiteral("上限値"), "lblUpper", &m_lblUpper));
    bottom->addStretch();
    bottom->addWidget(m_cmdFile, 0, Qt::AlignBottom);
    bottom->addWidget(m_cmdCtrl, 0, Qt::AlignBottom);
    bottom->addWidget(m_cmdEnd, 0, Qt::AlignBottom);
    // The grid and the hint keep their place while hidden before the first load.
    for (QWidget* w : {static_cast<QWidget*>(m_grid), static_cast<QWidget*>(m_fraMsg)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
    }
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);

    m_lblChanged = new QLabel(this);
    m_lblChanged->setObjectName(QStringLiteral("lblChanged"));
    m_lblChanged->setStyleSheet(legendStyle(changedTint(), Qt::black, true));
    m_lblDiffer = new QLabel(this);
    m_lblDiffer->setObjectName(QStringLiteral("lblDiffer"));
    m_lblDiffer->setStyleSheet(legendStyle(differTint(), differText(), false));
    m_lblDiffer->hide();
    statusBar()->addWidget(m_lblChanged);
    statusBar()->addWidget(m_lblDiffer);

    // The window's load: captions, size, centring; grid and hint wait for the first values.
    setWindowTitle(text("Title001"));
    CaptionChange(this);
    m_tabJiku->setTabText(0, text("Cap009"));
    m_tabJiku->setTabText(1, text("Cap010"));
    resize(twips(15000), twips(9540));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    m_grid->hide();
    m_fraMsg->hide();
    statusBar()->hide();
    m_cmdFile->setEnabled(false);
    m_cmdCtrl->setEnabled(false);
}

frmBaxwin::~frmBaxwin() {
    m_txtInput->removeEventFilter(this);
    m_grid->removeEventFilter(this);
    m_link->endExchange();
}

bool frmBaxwin::ShowDialog(int iCode) {
    if (!MdlFile::loadParDefs(m_langNo, m_defs)) {
        close();
        return false;
    }
    m_com.comInit();
    m_tabKind = 0;
    selectFirstTab();
    buildAxisGrid(m_defs.axisParCount);
    endEdit();
    if (iCode == 0) {
        openTransfer(0);
        fillGrid();
    } else {
        MdlFile::loadParFileOrDefaults(MdlFile::parFilePath(m_defs.parFileName), m_defs, m_values);
        resetMarks();
        fillGrid();
    }
    showGrid();
    return true;
}

void frmBaxwin::GetCtrlData(const ParValueTable& sULData) {
    m_values = sULData;
    resetMarks();
}

QColor frmBaxwin::changedTint() {
    return {0xff, 0xf0, 0xa8};
}

QColor frmBaxwin::differTint() {
    return {0xff, 0xd6, 0xd6};
}

QColor frmBaxwin::differText() {
    return {0x9c, 0x00, 0x06};
}

void frmBaxwin::resetMarks() {
    // The values in hand (loaded, or held by the controller after a write) are the new
    // reference, and an earlier compare no longer speaks of them.
    m_marks.setReference(m_values);
    m_marks.dropControllerValues();
}

void frmBaxwin::showGrid() {
    m_grid->show();
    m_fraMsg->show();
    statusBar()->show();
}

int frmBaxwin::parNoOfRow(int row) const {
    const QTableWidgetItem* item = m_grid->item(row, 0);
    return item != nullptr ? static_cast<int>(Numbers::numericValue(item->text())) : 0;
}

void frmBaxwin::markCell(int row, int col) {
    QTableWidgetItem* item = m_grid->item(row, col);
    const int n = parNoOfRow(row);
    if (item == nullptr || !isParNo(n) || !isValueColumn(col))
        return;
    const bool changed = m_marks.isChanged(m_values, n, col);
    const bool differs = m_marks.differsFromController(m_values, n, col);
    if (changed) {
        QFont bold = m_grid->font();
        bold.setBold(true);
        item->setFont(bold);
    } else {
        item->setData(Qt::FontRole, QVariant());
    }
    if (differs) {
        item->setBackground(differTint());
        item->setForeground(differText());
        item->setToolTip(text("Mes009").arg(m_marks.controllerValue(n, col)));
    } else if (changed) {
        item->setBackground(changedTint());
        item->setForeground(QColor(Qt::black));
        item->setToolTip(QString());
    } else {
        item->setData(Qt::BackgroundRole, QVariant());
        item->setData(Qt::ForegroundRole, QVariant());
        item->setToolTip(QString());
    }
}

void frmBaxwin::showMarks() {
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        for (int col = 1; col <= m_lastValueCol; ++col)
            markCell(row, col);
    }
    showCounts();
}

void frmBaxwin::showCounts() {
    m_lblChanged->setText(text("Mes007").arg(m_marks.changedCells(m_values).size()));
    m_lblDiffer->setText(text("Mes008").arg(m_marks.differentCells(m_values).size()));
    m_lblDiffer->setVisible(m_marks.hasControllerValues());
}

void frmBaxwin::goToCell(int n, int axis) {
    const int kind = m_defs[n].kind;
    if (kind != m_tabKind)
        m_tabJiku->setCurrentIndex(kind); // the tab's own handler rebuilds the grid
    const int row = static_cast<int>(m_defs.usedOfKind(kind).indexOf(n));
    if (row < 0)
        return;
    const int col = qBound(1, axis, m_lastValueCol);
    m_grid->setCurrentCell(row, col);
    m_grid->scrollToItem(m_grid->item(row, col));
    m_grid->setFocus(Qt::OtherFocusReason);
}

void frmBaxwin::buildAxisGrid(int rows) {
    buildGrid(0, rows);
}

void frmBaxwin::buildCommonGrid(int rows) {
    buildGrid(1, rows);
}

void frmBaxwin::selectFirstTab() {
    // The caller builds the grid itself, in its own order.
    m_selectingTab = true;
    m_tabJiku->setCurrentIndex(0);
    m_selectingTab = false;
}

void frmBaxwin::buildGrid(int kind, int rows) {
    // Rows come from the distinct used numbers: a definition file that names a number twice
    // counts it twice but has one row for it.
    const QList<int> numbers = m_defs.usedOfKind(kind);
    Q_UNUSED(rows);
    m_grid->clear();
    m_lastValueCol = kind == 0 ? 3 : 1;
    const QStringList headers = kind == 0
                                    ? QStringList{text("Mes001"), text("Mes002"), text("Mes003"),
                                                  text("Mes004"), text("Mes005")}
                                    : QStringList{text("Mes001"), text("Mes006"), text("Mes005")};
    const QList<int> widths =
        kind == 0 ? QList<int>{500, 1600, 1600, 1600, 8000} : QList<int>{500, 1600, 9000};
    m_grid->setColumnCount(static_cast<int>(headers.size()));
    m_grid->setRowCount(static_cast<int>(numbers.size()));
    for (int c = 0; c < headers.size(); ++c) {
        auto* h = new QTableWidgetItem(headers[c]);
        if (c == headers.size() - 1)
            h->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_grid->setHorizontalHeaderItem(c, h);
        m_grid->setColumnWidth(c, twips(widths[c]));
    }
    const int nameCol = m_lastValueCol + 1;
    for (int k = 0; k < numbers.size(); ++k) {
        const int n = numbers[k];
        auto* no = new QTableWidgetItem(parNoText(n));
        no->setFlags(Qt::ItemIsEnabled);
        no->setBackground(palette().button());
        m_grid->setItem(k, 0, no);
        for (int c = 1; c <= m_lastValueCol; ++c)
            m_grid->setItem(k, c, new QTableWidgetItem);
        auto* name = new QTableWidgetItem(m_defs[n].name);
        m_grid->setItem(k, nameCol, name);
    }
    // Each tab starts at its first row.
    m_grid->scrollToTop();
    m_grid->horizontalScrollBar()->setValue(0);
}

void frmBaxwin::fillGrid() {
    const QList<int> numbers = m_defs.usedOfKind(m_tabKind);
    for (int k = 0; k < numbers.size() && k < m_grid->rowCount(); ++k) {
        for (int c = 1; c <= m_lastValueCol; ++c) {
            if (QTableWidgetItem* item = m_grid->item(k, c))
                item->setText(m_values.at(numbers[k], c));
        }
    }
    m_cmdFile->setEnabled(m_buttonsEnabled);
    m_cmdCtrl->setEnabled(m_buttonsEnabled);
    showMarks();
}

int frmBaxwin::currentParNo() const {
    return parNoOfRow(m_grid->currentRow());
}

void frmBaxwin::showLimits() {
    const int n = currentParNo();
    if (!isParNo(n))
        return;
    m_lblLower->setText(m_defs[n].lowerLimit);
    m_lblUpper->setText(m_defs[n].upperLimit);
}

void frmBaxwin::clearLimits() {
    m_lblLower->clear();
    m_lblUpper->clear();
}

void frmBaxwin::beginEdit() {
    const int row = m_grid->currentRow();
    const int col = m_grid->currentColumn();
    QTableWidgetItem* item = m_grid->item(row, col);
    if (item == nullptr || !isValueColumn(col))
        return;
    // The box opens on a cell the operator can see, also after a refused value was scrolled
    // away; that scroll is the editor's own.
    const bool guard = m_scrollGuard;
    m_scrollGuard = true;
    m_grid->scrollToItem(item);
    m_scrollGuard = guard;
    const QRect cell = m_grid->visualItemRect(item);
    m_txtDmy->setGeometry(cell);
    m_txtDmy->show();
    const int offset = twips(100);
    QFont font = m_txtInput->font();
    font.setFamily(m_grid->font().family());
    m_txtInput->setFont(font);
    m_txtInput->setGeometry(cell.left(), cell.top() + offset, cell.width(),
                            qMax(1, cell.height() - offset));
    m_txtInput->setText(item->text());
    m_txtInput->setSelection(0, static_cast<int>(item->text().size()));
    m_txtInput->show();
    m_txtInput->raise();
    m_txtInput->setFocus(Qt::OtherFocusReason);
    m_editing = true;
}

void frmBaxwin::endEdit() {
    m_editing = false;
    m_txtDmy->hide();
    hideInput();
    m_txtInput->clear();
    m_txtInput->setFrame(false);
    m_txtInput->setAlignment(Qt::AlignLeft);
}

void frmBaxwin::hideInput() {
    // The focus goes back to the grid first: a hidden focus widget would pass it on to the grid
    // as a Tab, which moves the current cell. That is not the focus loss that drops the input.
    m_hidingInput = true;
    if (m_txtInput->hasFocus())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_txtInput->hide();
    m_hidingInput = false;
}

void frmBaxwin::commitEdit() {
    const int n = currentParNo();
    const int col = m_grid->currentColumn();
    if (!isParNo(n) || !isValueColumn(col))
        return;
    const QString cellText = EditInput::committedText(n, m_txtInput->text());
    if (QTableWidgetItem* item = m_grid->item(m_grid->currentRow(), col))
        item->setText(cellText);
    m_values.at(n, col) = cellText;
    m_editing = false;
    markCell(m_grid->currentRow(), col);
    showCounts();
}

bool frmBaxwin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_txtInput) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                txtInput_Enter();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                txtInput_Escape();
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && m_txtInput->isVisible() && !m_hidingInput) {
            // A message box or another window taking the focus does not end the edit.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                endEdit();
                clearLimits();
            }
        }
    } else if (watched == m_grid && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !m_editing &&
            isValueColumn(m_grid->currentColumn()) && m_grid->currentRow() >= 0) {
            showLimits();
            beginEdit();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmBaxwin::grdGrid_Click(int row, int col) {
    Q_UNUSED(row);
    if (!isValueColumn(col))
        return;
    showLimits();
    beginEdit();
}

void frmBaxwin::txtInput_Enter() {
    const int n = currentParNo();
    if (EditInput::checkInput(n, m_txtInput->text(), m_defs)) {
        commitEdit();
        const int row = m_grid->currentRow();
        if (row < m_grid->rowCount() - 1) {
            m_scrollGuard = true;
            m_grid->setCurrentCell(row + 1, m_grid->currentColumn());
            showLimits();
            beginEdit();
            m_scrollGuard = false;
        } else {
            m_grid->setFocus(Qt::OtherFocusReason);
        }
    } else {
        m_scrollGuard = true;
        beginEdit();
        m_scrollGuard = false;
    }
}

void frmBaxwin::txtInput_Escape() {
    endEdit();
    clearLimits();
    m_grid->setFocus(Qt::OtherFocusReason);
}

void frmBaxwin::grdGrid_Scroll() {
    if (m_scrollGuard || !m_txtInput->isVisible())
        return;
    hideInput();
    const int n = currentParNo();
    if (EditInput::checkInput(n, m_txtInput->text(), m_defs)) {
        if (m_editing) {
            commitEdit();
            endEdit();
        }
        clearLimits();
    } else {
        beginEdit();
    }
}

void frmBaxwin::tabJiku_Click(int index) {
    if (m_txtInput->isVisible()) {
        endEdit();
        clearLimits();
    }
    if (index == 0) {
        m_tabKind = 0;
        buildAxisGrid(m_defs.axisParCount);
    } else {
        m_tabKind = 1;
        buildCommonGrid(m_defs.commonParCount);
    }
    fillGrid();
}

void frmBaxwin::openTransfer(int iCode) {
    frmWait dlg(*m_link, m_defs, this);
    dlg.setReceiver(this);
    if (iCode == 1)
        dlg.GetGridData(m_values);
    dlg.ShowDialog(iCode);
    if (iCode == 1 && dlg.transfer().writeCompleted()) {
        // The controller holds what was written; the values the dialog took cannot have
        // changed while it was open.
        resetMarks();
        showMarks();
    }
}

void frmBaxwin::cmdFile_Click() {
    if (!BaxMsg::ask(QStringLiteral("Mes027")))
        return;
    if (MdlFile::writeParFile(MdlFile::parFilePath(m_defs.parFileName), m_values)) {
        // The file now holds these values. The controller does not, so a compare stays.
        m_marks.setReference(m_values);
        showMarks();
    }
}

void frmBaxwin::cmdCtrl_Click() {
    endEdit();
    clearLimits();
    if (!BaxMsg::ask(QStringLiteral("Mes026")))
        return;
    openTransfer(1);
}

void frmBaxwin::mnuParaFile_Click() {
    endEdit();
    clearLimits();
    if (!BaxMsg::ask(QStringLiteral("Mes024")))
        return;
    m_buttonsEnabled = true;
    m_tabKind = 0;
    selectFirstTab();
    buildAxisGrid(m_defs.axisParCount);
    endEdit();
    MdlFile::loadParFileOrDefaults(MdlFile::parFilePath(m_defs.parFileName), m_defs, m_values);
    resetMarks();
    fillGrid();
    showGrid();
}

void frmBaxwin::mnuParaCtrl_Click() {
    endEdit();
    clearLimits();
    if (!BaxMsg::ask(QStringLiteral("Mes025")))
        return;
    m_tabKind = 0;
    selectFirstTab();
    buildAxisGrid(m_defs.axisParCount);
    endEdit();
    openTransfer(0);
    fillGrid();
    showGrid();
}

void frmBaxwin::mnuCommSet_Click() {
    m_com.comInit();
    dlgComSetup dlg(m_com, this, QStringLiteral("frmComSet"));
    dlg.ShowDialog();
}

void frmBaxwin::mnuParaCompare_Click() {
    endEdit();
    clearLimits();
    // The read goes to a table of its own: the editor's values stay as they are, and a compare
    // that does not complete changes nothing.
    KeptRead read;
    {
        frmWait dlg(*m_link, m_defs, this);
        dlg.setReceiver(&read);
        dlg.ShowDialog(0,
                       langFile().GetINIStr(QStringLiteral("frmWait"), QStringLiteral("Title003")));
    }
    if (!read.received())
        return;
    m_marks.setControllerValues(read.values(), ParamTransfer::unreadText());
    showMarks();
    const QList<ParCell> differ = m_marks.differentCells(m_values);
    if (!differ.isEmpty())
        goToCell(differ.front().parNo, differ.front().axis);
}

void frmBaxwin::mnuParaFind_Click() {
    endEdit();
    clearLimits();
    frmFind dlg(this);
    if (!dlg.ShowDialog(m_findText))
        return;
    m_findText = dlg.getFindText();
    findFrom(0);
}

void frmBaxwin::mnuParaFindNext_Click() {
    if (m_findText.isEmpty()) {
        mnuParaFind_Click();
        return;
    }
    endEdit();
    clearLimits();
    findFrom(currentParNo());
}

void frmBaxwin::findFrom(int after) {
    const int n = ParSearch::findParameter(m_defs, m_findText, after);
    if (n == 0) {
        BaxMsg::showText(langFile()
                             .GetINIStr(QStringLiteral("frmFind"), QStringLiteral("Mes001"))
                             .arg(m_findText),
                         MsgIcon::Information);
        return;
    }
    // Stepping through the matches keeps the axis column the operator is in.
    const int col = m_grid->currentColumn();
    goToCell(n, isValueColumn(col) ? col : 1);
}
