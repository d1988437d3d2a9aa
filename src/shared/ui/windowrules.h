#pragma once

class QWidget;

// Window manager rules Qt's own flags cannot express everywhere.
namespace WindowRules {

// A fixed dialog that must stay in front of the operator: some window managers offer to
// minimise every window whatever its hints say, so a minimise is undone at once.
void refuseMinimise(QWidget* window);

} // namespace WindowRules
