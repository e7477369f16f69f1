#include "editor/MainControlPanel.h"

// The link overlay's targets, groups and columns.
void MainControlPanel::registerLinkTargets()
{
}
