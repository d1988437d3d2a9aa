#include "korvel/shell/dlgData.h"

#include "korvel/shell/commandpictures.h"
#include "korvel/shell/messages.h"
#include "shared/inifile.h"
#include "shared/numbers.h"
#include "shared/ui/captions.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("dlgData");

struct LastRun {
    ValueArray data;
} g_last;

QString text(const char* key) {
    return langFile().GetINIStr(kSection, QLatin1String(key));
}

class DialogAsker : public CommandDataAsker {
public:
    bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data) override {
        return ::dlgDataExe(axis, step, cmd, Data);
    }
    ValueArray getTxtBoxData() override { return ::getTxtBoxData(); }
};

} // namespace

CommandDataAsker& dataDialogAsker() {
    static DialogAsker asker;
    return asker;
}

// The dialog stands over the main window, also when the palette (a tool window of the main
// window) started it.
QWidget* dataDialogParent() {
    QWidget* w = QApplication::activeWindow();
    while (w != nullptr && w->windowType() == Qt::Tool && w->parentWidget() != nullptr)
        w = w->parentWidget()->window();
    return w;
}

bool dlgDataExe(int axis, int step, int cmd, const ValueArray& Data) {
    dlgData dlg(dataDialogParent());
    dlg.setupDataDialog(axis, step, cmd, Data);
    dlg.exec();
    g_last.data = dlg.data();
    return dlg.result();
}

ValueArray getTxtBoxData() {
    return g_last.data;
}

dlgData::dlgData(QWidget* parent) : QDialog(parent) {
    setObjectName(kSection);
    setWindowTitle(QString::fromUtf8("ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    m_grdData = new QTableWidget(2, 3, this);
    m_grdData->setObjectName(QStringLiteral("grdData"));
    m_grdData->horizontalHeader()->hide();
    m_grdData->verticalHeader()->hide();
    m_grdData->setFocusPolicy(Qt::NoFocus);
    m_grdData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grdData->setSelectionMode(QAbstractItemView::NoSelection);
    m_grdData->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grdData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grdData->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_fraData = new QGroupBox(QString::fromUtf8("データ"), this);
    m_fraData->setObjectName(QStringLiteral("fraData"));
    Captions::setTag(m_fraData, QStringLiteral("Cap001"));
    auto* grid = new QGridLayout(m_fraData);
    for (int i = 0; i < 4; ++i) {
        m_lblData[i] = new QLabel(m_fraData);
        m_lblData[i]->setObjectName(QStringLiteral("lblData%1").arg(i + 1));
        m_txtData[i] = new QLineEdit(m_fraData);
        m_txtData[i]->setObjectName(QStringLiteral("txtData%1").arg(i + 1));
        m_txtData[i]->setAlignment(Qt::AlignRight);
        m_txtData[i]->installEventFilter(this);
        m_lblUnit[i] = new QLabel(m_fraData);
        m_lblUnit[i]->setObjectName(QStringLiteral("lblUnit%1").arg(i + 1));
        grid->addWidget(m_lblData[i], 2 * i, 0, 1, 2);
        grid->addWidget(m_txtData[i], 2 * i + 1, 0);
        grid->addWidget(m_lblUnit[i], 2 * i + 1, 1);
    }
    grid->setColumnStretch(0, 1);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    Captions::setTag(m_ok, QStringLiteral("Cap003"));
    m_cancel = new QPushButton(QString::fromUtf8("ｷｬﾝｾﾙ"), this);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    Captions::setTag(m_cancel, QStringLiteral("Cap002"));
    connect(m_ok, &QPushButton::clicked, this, &dlgData::OKButton_Click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_grdData);
    layout->addWidget(m_fraData);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void dlgData::setupDataDialog(int axis, int step, int cmd, const ValueArray& Data) {
    m_axis = axis;
    m_step = step;
    m_cmd = cmd;
    m_data = Data;
    m_result = false;

    setWindowTitle(text("Title001"));
    CaptionChange(this);

    m_grdData->setVisible(false);
    const QSize pic = CommandPictures::pictureSize();
    const char* axisKey = axis == 1 ? "Mes002" : axis == 2 ? "Mes003" : axis == 3 ? "Mes004" : "";
    const QString cells[2][3] = {
        {text("Mes001"), *axisKey ? text(axisKey) : QString(), text("Mes005")},
        {QStringLiteral("%1").arg(step - 1, 3, 10, QLatin1Char('0')), QString(), cmdName(cmd)}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[r][c]);
            item->setTextAlignment(r == 1 && c == 2 ? Qt::AlignLeft | Qt::AlignVCenter
                                                    : Qt::AlignCenter);
            if (r == 0 || c == 0)
                item->setBackground(palette().button());
            m_grdData->setItem(r, c, item);
        }
    }
    showCommandIcon(cmd);
    // The designed widths, widened where a text of the language would be cut.
    auto fits = [this](int designed, int r, int c) {
        const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 4;
        const QString t = m_grdData->item(r, c)->text();
        return qMax(designed, m_grdData->fontMetrics().horizontalAdvance(t) + margin);
    };
    m_grdData->setColumnWidth(
        0, qMax(fits(twipsToPixelsX(800, this), 0, 0), fits(twipsToPixelsX(800, this), 1, 0)));
    m_grdData->setColumnWidth(1, fits(pic.width() + twipsToPixelsX(20, this), 0, 1));
    m_grdData->setColumnWidth(
        2, qMax(fits(twipsToPixelsX(3300, this), 0, 2), fits(twipsToPixelsX(3300, this), 1, 2)));
    m_grdData->setRowHeight(1, pic.height() + twipsToPixelsY(30, this));
    const int frame = 2 * m_grdData->frameWidth();
    m_grdData->setFixedSize(m_grdData->columnWidth(0) + m_grdData->columnWidth(1) +
                                m_grdData->columnWidth(2) + frame,
                            m_grdData->rowHeight(0) + m_grdData->rowHeight(1) + frame);
    m_grdData->setVisible(true);

    for (int i = 0; i < 4; ++i) {
        m_lblData[i]->setVisible(false);
        m_txtData[i]->setVisible(false);
        m_lblUnit[i]->setVisible(false);
    }
    m_count = 0;
    if (commandField(cmd, CommandField::Labels).isEmpty()) {
        m_fraData->setVisible(false);
    } else {
        fillValueRows();
        m_fraData->setVisible(true);
    }
}

void dlgData::showCommandIcon(int cmd) {
    QTableWidgetItem* item = m_grdData->item(1, 1);
    item->setData(Qt::DecorationRole, cmd == 0 ? QPixmap() : CommandPictures::picture(cmd));
}

void dlgData::fillValueRows() {
    const int n = qBound(0, cmdValueCount(m_cmd), 4);
    QStringList names = commandField(m_cmd, CommandField::Labels).split(QLatin1Char(','));
    QStringList units = commandField(m_cmd, CommandField::Units).split(QLatin1Char(','));
    while (names.size() < n)
        names.append(QString());
    while (units.size() < n)
        units.append(QString());
    m_count = n;
    for (int i = 1; i <= n; ++i) {
        m_lblData[i - 1]->setText(names[i - 1]);
        m_lblData[i - 1]->setVisible(true);
        m_lblUnit[i - 1]->setText(units[i - 1]);
        m_lblUnit[i - 1]->setVisible(true);
        m_txtData[i - 1]->setAlignment(Qt::AlignRight);
        if (m_data.size() - 1 < i) {
            const int owner = static_cast<int>(Numbers::numericValue(m_data.value(0)));
            showMessage(Msg::ValueArrayShort,
                        owner >= Cmd::First && owner <= Cmd::Last ? cmdName(owner) : QString());
            m_txtData[i - 1]->clear();
        } else {
            m_txtData[i - 1]->setText(m_data[i].trimmed());
        }
        m_txtData[i - 1]->setVisible(true);
    }
}

bool dlgData::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            QTimer::singleShot(0, box, &QLineEdit::selectAll);
    }
    return QDialog::eventFilter(watched, event);
}

void dlgData::refuse(int code, const QString& s, int box) {
    showMessage(code, s);
    focusBox(box);
}

void dlgData::focusBox(int box) {
    m_txtData[box - 1]->setFocus(Qt::OtherFocusReason);
    m_txtData[box - 1]->selectAll();
}

bool dlgData::validateData() {
    if (cmdValueCount(m_cmd) == 0)
        return true;
    const QStringList bounds = cmdRangeTokens(m_cmd);
    const QStringList names = commandField(m_cmd, CommandField::Labels).split(QLatin1Char(','));
    while (m_data.size() < m_count + 1)
        m_data.append(QString());

    if (bounds.value(0).contains(QLatin1Char('L'))) {
        const QString t = m_txtData[0]->text();
        if (!checkTextValue(t, bounds.value(0), bounds.value(1))) {
            refuse(Msg::ValueRefused, names.value(0), 1);
            return false;
        }
        // The file format and the cell text cut a comment at its first ",": refuse it here,
        // saying why, rather than lose the rest.
        if (t.contains(QLatin1Char(','))) {
            showKeyedMessage(MsgKey::CommentComma, names.value(0), MsgIcon::Critical);
            focusBox(1);
            return false;
        }
        m_data[1] = t.trimmed();
        return true;
    }

    for (int i = 1; i <= m_count; ++i) {
        const QString minToken = bounds.value(2 * i - 2);
        const QString maxToken = bounds.value(2 * i - 1);
        const ValueCheck c =
            checkValue(m_txtData[i - 1]->text(), minToken, maxToken, QLatin1Char('C'), false);
        // A letter value is one letter and digits: B# or Bw would be saved as another command.
        // (A number never sorts among the letters, so an accepted text from A on is a letter.)
        const bool badLetter = c.accepted && isLetterToken(minToken, maxToken) &&
                               c.normalised.front() >= QLatin1Char('A') &&
                               !isLetterValue(c.normalised);
        if (!c.accepted || badLetter) {
            refuse(Msg::ValueRefused, names.value(i - 1), i);
            return false;
        }
        m_data[i] = c.normalised;
    }

    if (m_cmd == Cmd::Parameter) {
        const QString paramNo = m_txtData[0]->text();
        const QString value = m_txtData[1]->text();
        if (!isParamSettable(paramNo)) {
            refuse(Msg::ParamNotSettable, names.value(0), 1);
            return false;
        }
        const double v = Numbers::numericValue(value);
        const bool param22Gap =
            static_cast<int>(Numbers::numericValue(paramNo)) == 22 && v > 0 && v < 100;
        if (!checkParameterValue(paramNo, value) || param22Gap) {
            refuse(Msg::ValueRefused, names.value(1), 2);
            return false;
        }
    }

    if (m_cmd == Cmd::Speed &&
        Numbers::numericValue(m_data[1]) > Numbers::numericValue(m_data[2])) {
        refuse(Msg::ValueRefused, text("Mes006"), 1);
        return false;
    }
    return true;
}

void dlgData::OKButton_Click() {
    if (!validateData())
        return;
    m_result = true;
    accept();
}
