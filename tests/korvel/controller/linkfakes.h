#pragma once

#include "korvel/model/commandtable.h"
#include "korvel/model/runconfig.h"
#include "shared/seriallink.h"
#include "testenv.h"

#include <memory>

// A port that is always there and never hears anything; what is written is the subclass's.
class QuietPort : public SerialPortService {
public:
    void setCommPort(int) override {}
    int commPort() const override { return 1; }
    void setSettings(const QString&) override {}
    QString settings() const override { return QString(); }
    bool open() override {
        m_open = true;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QByteArray readAll() override { return QByteArray(); }
    void setReceiveNotifications(bool) override {}
    void setReceiveHandler(std::function<void()>) override {}
    QString lastError() const override { return QString(); }

private:
    bool m_open = false;
};

// A link timer that only expires when the test says so.
class ManualTimer : public LinkTimer {
public:
    void start(int ms) override {
        active = true;
        m_interval = ms;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    int interval() const override { return m_interval; }
    bool active = false;

private:
    int m_interval = 0;
};

// The English texts and the tables of controller type 2, for the protocol and dialog tests.
inline std::unique_ptr<ScratchAppDir> englishType2App() {
    auto app = std::make_unique<ScratchAppDir>();
    app->useLanguage(1);
    RunConfig::setControllerType(2);
    buildCommandTable();
    buildParameterLimits();
    return app;
}
