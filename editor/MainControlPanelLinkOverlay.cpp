#include "editor/MainControlPanel.h"

// The link overlay as the panel's behaviour sees it: shown or hidden by its
// view switch, painted over the children, refreshed after a resync.
void MainControlPanel::setLinksVisible (bool visible)
{
    linksShown = visible;
    repaint();
}

void MainControlPanel::paintLinkOverlay (juce::Graphics&)
{
}

void MainControlPanel::refreshLinkOverlay()
{
}
