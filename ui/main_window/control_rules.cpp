#include "control_rules.h"

ControlStates ControlRules::statesFor(const QString &baseName, int availableCount,
                                      int selectedCount)
{
    ControlStates states;
    // An empty base name locks the lists, yet the buttons still follow the counts, so the
    // user can still move everything and assemble into ".eps".
    states.listsEnabled = !baseName.isEmpty();
    states.addButtonsEnabled = availableCount > 0;
    states.removeButtonsEnabled = selectedCount > 0;
    states.okVisible = selectedCount > 0;
    return states;
}
