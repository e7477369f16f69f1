#pragma once

#include "editor/MainControlPanel.h"
#include "tests/support/MouseEvents.h"

#include <gtest/gtest.h>

/** One mouse on the editor panel, its events delivered as the framework
    delivers them without a window: each goes to the component the panel
    finds under the press (or under the pointer, for the wheel), then to the
    panel's mouse listener, the link overlay.  The release of a press of two
    clicks brings the double click.  Positions are panel coordinates. */
class PanelMouse
{
public:
    explicit PanelMouse (MainControlPanel& panelToUse) : panel (panelToUse)
    {
        panel.setVisible (true); // as in the host's window
    }

    static inline const juce::ModifierKeys left { juce::ModifierKeys::leftButtonModifier };

    void press (juce::Point<int> at, juce::ModifierKeys mods = left, int numClicks = 1)
    {
        clicks = numClicks;
        lastPress = at;
        pressed = panel.getComponentAt (at);
        ASSERT_NE (pressed, nullptr);
        down = local (at);
        deliver (&juce::MouseListener::mouseDown, event (at, mods, false));
        position = at;
    }

    void dragTo (juce::Point<int> to, juce::ModifierKeys mods = left)
    {
        ASSERT_NE (pressed, nullptr);
        deliver (&juce::MouseListener::mouseDrag, event (to, mods, true));
        position = to;
    }

    void release()
    {
        ASSERT_NE (pressed, nullptr);
        const auto up = event (position, {}, position != lastPress);
        deliver (&juce::MouseListener::mouseUp, up);
        if (clicks == 2)
            deliver (&juce::MouseListener::mouseDoubleClick, up);
        pressed = nullptr;
    }

    void click (juce::Point<int> at, juce::ModifierKeys mods = left, int numClicks = 1)
    {
        press (at, mods, numClicks);
        release();
    }

    void doubleClick (juce::Point<int> at)
    {
        click (at);
        click (at, left, 2);
    }

    /** One notch of a mouse wheel over a point (no button down). */
    void wheel (juce::Point<int> at, float deltaY)
    {
        auto* under = panel.getComponentAt (at);
        ASSERT_NE (under, nullptr);
        pressed = under;
        down = local (at);
        juce::MouseWheelDetails details { 0.0f, deltaY, false, false, false };
        const auto e = event (at, {}, false);
        under->mouseWheelMove (e, details);
        panel.getLinkEditor().mouseWheelMove (e, details);
        pressed = nullptr;
    }

private:
    juce::Point<float> local (juce::Point<int> p) const { return pressed->getLocalPoint (&panel, p).toFloat(); }

    juce::MouseEvent event (juce::Point<int> at, juce::ModifierKeys mods, bool dragged) const
    {
        return mouseAt (*pressed, local (at), down, mods, dragged, clicks);
    }

    void deliver (void (juce::MouseListener::*handler) (const juce::MouseEvent&), const juce::MouseEvent& e)
    {
        (pressed->*handler) (e);
        (panel.getLinkEditor().*handler) (e);
    }

    MainControlPanel& panel;
    juce::Component* pressed = nullptr;
    juce::Point<float> down;
    juce::Point<int> position, lastPress { -1, -1 };
    int clicks = 0;
};
