// Opening a full three-axis program and showing it, and inserting and deleting at its first
// step. Prints the median and the spread of each over many runs, and how often the grid paints.
#include "korvel/model/FrmProg.h"
#include "korvel/model/commandtable.h"
#include "korvel/model/programfile.h"
#include "korvel/model/runconfig.h"
#include "korvel/shell/MDIFormMain.h"
#include "shared/apppaths.h"
#include "shared/inifile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class FixedDialogs : public ProgramFileDialogs {
public:
    explicit FixedDialogs(QString path) : m_path(std::move(path)) {}
    QString getOpenFileName(const QString&) override { return m_path; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override {
        return QString();
    }

private:
    QString m_path;
};

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

QByteArray fullProgram() {
    const char* steps[] = {"AGO:1000,AGO:-2000,U00:",
                           "D:10:600000:100,D:10:50000:20,D:100:100:1",
                           "#:corner of the part,#:corner of the part,#:corner of the part",
                           "P:11:-500,P:90:5,P:53:3121",
                           "U02:A:1:7,U02:A:1:7,U02:A:1:7",
                           "C:0:1:2:0,S:5,W:20",
                           "R:250,MGO:0,H:",
                           "U03:3:100,U03:3:100,U03:3:100"};
    QByteArray text = "AXIS=3\r\n";
    for (int s = 0; s < 200; ++s)
        text += QByteArray(steps[s % 8]) + "\r\n";
    return text;
}

struct Stats {
    double median;
    double min;
    double max;
};

Stats stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

void print(const char* what, const Stats& s, double target) {
    std::printf("%-44s median %7.2f ms  (min %6.2f, max %6.2f)  target <= %.0f ms  %s\n", what,
                s.median, s.min, s.max, target, s.median <= target ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    AppPaths::setApplicationDirOverride(QStringLiteral(KORVEL_BENCH_APP_DIR));
    langFile().setINIFile(AppPaths::appFilePath(QStringLiteral("LANG0.DAT")));
    RunConfig::setControllerType(3);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(fullProgram());
    }

    MDIFormMain main;
    main.ShowMainDialog();
    FixedDialogs dialogs(path);
    main.setFileDialogs(&dialogs);
    QApplication::processEvents();

    const int runs = 41;
    std::vector<double> open;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        main.mnuFileOpen_Click();
        FrmProg* form = main.activeForm();
        form->grdProg()->viewport()->repaint();
        QApplication::processEvents();
        open.push_back(t.nsecsElapsed() / 1e6);
        if (form->getStep() != 200) {
            std::printf("load failed\n");
            return 1;
        }
        for (QMdiSubWindow* sub : main.childArea()->subWindowList())
            sub->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    main.mnuFileOpen_Click();
    FrmProg* form = main.activeForm();
    QApplication::processEvents();
    PaintCounter counter;
    form->grdProg()->viewport()->installEventFilter(&counter);
    std::vector<double> del;
    std::vector<double> ins;
    int delPaints = 0;
    int insPaints = 0;
    for (int i = 0; i < runs; ++i) {
        form->doc().setCurrentCell(1, 1);
        counter.paints = 0;
        QElapsedTimer t;
        t.start();
        form->deleteStep();
        QApplication::processEvents();
        del.push_back(t.nsecsElapsed() / 1e6);
        delPaints = std::max(delPaints, counter.paints);

        form->doc().setCurrentCell(1, 1);
        counter.paints = 0;
        t.restart();
        form->insertStep();
        QApplication::processEvents();
        ins.push_back(t.nsecsElapsed() / 1e6);
        insPaints = std::max(insPaints, counter.paints);
    }
    if (form->getStep() != 200) {
        std::printf("insert/delete went wrong\n");
        return 1;
    }
    std::printf("Program editing, %d runs each, offscreen\n", runs);
    print("open 200-step three-axis file and show it", stats(open), 50);
    print("deleteStep at step 1 of 200 (three axes)", stats(del), 20);
    print("insertStep at step 1 of 199 (three axes)", stats(ins), 20);
    std::printf("grid paints per deleteStep: at most %d, per insertStep: at most %d\n", delPaints,
                insPaints);
    form->setDirty(false);
    return 0;
}
