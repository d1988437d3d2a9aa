#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

// Plays the operator at the real message boxes: every QMessageBox that becomes the active modal
// window is recorded and answered by the next queued answer (after its hold time), or, with
// the queue empty, by its default button. Answers go through the box's own buttons and keys.
class ModalBoxes {
public:
    using Answer = std::function<void(QMessageBox*)>;

    ModalBoxes() {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this] { poll(); });
        m_poll.start();
    }

    // Queues an answer for the next box that opens; it is given after holdMs.
    void answer(Answer a, int holdMs = 0) { m_queue.append({std::move(a), holdMs}); }
    void answer(QMessageBox::StandardButton button, int holdMs = 0) {
        answer(click(button), holdMs);
    }
    // With false, boxes without a queued answer stay open (to see what opens on top of them).
    void setAnswerDefault(bool on) { m_answerDefault = on; }

    static Answer click(QMessageBox::StandardButton button) {
        return [button](QMessageBox* box) {
            QAbstractButton* b = box->button(button);
            QVERIFY2(b != nullptr, "the box has no such button");
            QTest::mouseClick(b, Qt::LeftButton);
        };
    }
    static Answer key(Qt::Key k) {
        return [k](QMessageBox* box) { QTest::keyClick(box, k); };
    }
    static Answer closeBox() {
        return [](QMessageBox* box) { box->close(); };
    }

    // Texts of every box seen, in the order they opened.
    const QStringList& texts() const { return m_texts; }
    QList<QMessageBox::Icon> icons() const { return m_icons; }
    int count() const { return static_cast<int>(m_texts.size()); }
    // The box open now, if any.
    QMessageBox* current() const { return m_current.data(); }
    void clear() {
        m_texts.clear();
        m_icons.clear();
        m_queue.clear();
    }

private:
    struct Queued {
        Answer answer;
        int holdMs;
    };

    struct Seen {
        QPointer<QMessageBox> box;
        bool handled = false;
        QElapsedTimer since;
    };

    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible())
            return;
        m_current = box;
        Seen* seen = nullptr;
        for (Seen& s : m_seen) {
            if (s.box == box)
                seen = &s;
        }
        if (seen == nullptr) {
            // A box that opens again after one on top of it closed is the same box.
            m_seen.append(Seen{box, false, {}});
            seen = &m_seen.back();
            seen->since.start();
            m_texts << box->text();
            m_icons << box->icon();
        }
        if (seen->handled)
            return;
        if (!m_queue.isEmpty()) {
            if (seen->since.elapsed() < m_queue.front().holdMs)
                return;
            const Queued q = m_queue.takeFirst();
            seen->handled = true;
            q.answer(box);
        } else if (m_answerDefault) {
            seen->handled = true;
            QTest::keyClick(box, Qt::Key_Return);
        }
    }

    QTimer m_poll;
    QList<Queued> m_queue;
    QStringList m_texts;
    QList<QMessageBox::Icon> m_icons;
    QList<Seen> m_seen;
    QPointer<QMessageBox> m_current;
    bool m_answerDefault = true;
};

// Plays the operator in a modal window of type W: every tick while one is the active modal
// window and enabled, the script runs until it says it is done.
template <typename W> class ModalWindowScript {
public:
    explicit ModalWindowScript(std::function<bool(W*)> step) : m_step(std::move(step)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
            if (w != nullptr && w->isVisible() && w->isEnabled() && m_step(w))
                m_timer.stop();
        });
        m_timer.start();
    }
    bool done() const { return !m_timer.isActive(); }

private:
    std::function<bool(W*)> m_step;
    QTimer m_timer;
};
