#pragma once

#include "korvel/model/programfile.h"

class QWidget;

// The platform's common file dialogs for opening and saving program files.
class QtProgramFileDialogs : public ProgramFileDialogs {
public:
    explicit QtProgramFileDialogs(QWidget* parent = nullptr) : m_parent(parent) {}
    QString getOpenFileName(const QString& filter) override;
    QString getSaveFileName(const QString& filter, const QString& initialDir,
                            const QString& initialName) override;

private:
    QWidget* m_parent;
};
