#pragma once

#include <QString>

// Program-wide values fixed at start-up (language) and by the start-up window (controller type).
namespace RunConfig {

int languageNo();
void setLanguageNo(int no);

// The command-line argument as given (empty when there is none).
QString commandLineArgument();
void setCommandLineArgument(const QString& argument);

// Number of axes, 1 to 3; setting it also fixes maxSteps (100 for one axis, else 200).
int controllerType();
void setControllerType(int type);
int maxSteps();

int maxStepsForType(int type);

} // namespace RunConfig
