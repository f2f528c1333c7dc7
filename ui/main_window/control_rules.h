// Which of the main window's controls are enabled or shown, from the current lists and
// base name. Nothing else in the window is touched by these rules.
#pragma once

#include <QString>

struct ControlStates
{
    bool listsEnabled = false;
    bool addButtonsEnabled = false;
    bool removeButtonsEnabled = false;
    bool okVisible = false;
};

class ControlRules
{
public:
    static ControlStates statesFor(const QString &baseName, int availableCount, int selectedCount);
};
