#include "korvel/model/FrmProg.h"

#include <QDir>

FrmProg::FrmProg(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("FrmProg"));
}

void FrmProg::setDocNo(int iNum) {
    m_docNo = iNum;
    setFileName(QStringLiteral("Program%1").arg(iNum));
}

void FrmProg::setStep(int iStep) {
    m_steps = iStep;
    Q_EMIT stepCountChanged();
}

void FrmProg::setFileName(const QString& sName) {
    m_fileName = sName;
    setWindowTitle(getFileName(false));
}

QString FrmProg::getFileName(bool bFullPath) const {
    if (bFullPath)
        return m_fileName;
    const QString native = QDir::toNativeSeparators(m_fileName);
    return native.mid(native.lastIndexOf(QDir::separator()) + 1);
}

void FrmProg::deleteStep() {}

void FrmProg::insertStep() {}
