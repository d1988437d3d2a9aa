#pragma once

#include "baxwin/paramtransfer.h"

#include <QEventLoop>

// A transfer without a window (the command-line tool, the benchmark): waits in an event loop
// until the sequence ends and keeps the values a read brought.
class TransferWaiter : public TransferView, public ReadReceiver {
public:
    void transferChanged(const TransferState& state) override {
        if (state.outcome != TransferState::Outcome::None)
            m_loop.quit();
    }
    void closeTransfer() override {}
    void GetCtrlData(const ParValueTable& t) override { values = t; }
    void setButtonsEnabled(bool) override {}

    // Runs the sequence just started until it ends one way or another.
    TransferState::Outcome waitForOutcome(const ParamTransfer& transfer) {
        if (transfer.state().outcome == TransferState::Outcome::None)
            m_loop.exec();
        return transfer.state().outcome;
    }

    ParValueTable values;

private:
    QEventLoop m_loop;
};
