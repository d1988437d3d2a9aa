#include "korvel/model/runconfig.h"

namespace {
int g_languageNo = 0;
QString g_argument;
int g_controllerType = 1;
int g_maxSteps = 100;
} // namespace

namespace RunConfig {

int languageNo() {
    return g_languageNo;
}
void setLanguageNo(int no) {
    g_languageNo = no;
}

QString commandLineArgument() {
    return g_argument;
}
void setCommandLineArgument(const QString& argument) {
    g_argument = argument;
}

int controllerType() {
    return g_controllerType;
}

void setControllerType(int type) {
    g_controllerType = type;
    g_maxSteps = maxStepsForType(type);
}

int maxSteps() {
    return g_maxSteps;
}

int maxStepsForType(int type) {
    return type == 1 ? 100 : 200;
}

} // namespace RunConfig
