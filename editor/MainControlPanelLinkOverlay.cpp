#include "editor/MainControlPanel.h"

// The link overlay as the panel's behaviour sees it: shown or hidden by its
// view switch, painted over the children, refreshed after a resync.
void MainControlPanel::setLinksVisible (bool visible)
{
    linkEditor.setLinksVisible (visible);
}

void MainControlPanel::paintLinkOverlay (juce::Graphics& g)
{
    linkEditor.paintOverlay (g);
}

void MainControlPanel::refreshLinkOverlay()
{
    linkEditor.updateConnections();
}
