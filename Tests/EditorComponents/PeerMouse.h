#pragma once

// A mouse driven through a window's peer, the way the windowing system delivers it: JUCE's own
// mouse source then finds the component under the pointer, counts double clicks, tracks drags
// and runs drag-and-drop. Times are made up and advance a few milliseconds per event, so double
// clicks and drags come out the same on every run.

#include <juce_gui_basics/juce_gui_basics.h>

class PeerMouse
{
public:
    /** `window` must be on the desktop (addToDesktop) and visible. */
    explicit PeerMouse(juce::Component& window) : peer(window.getPeer())
    {
        // Far from the last event of any earlier mouse, so no click joins an earlier one.
        clock() += 10000;
    }

    void move(juce::Point<int> p) { send(p, {}); }
    void down(juce::Point<int> p, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        buttons = mods;
        send(p, mods);
    }
    void drag(juce::Point<int> p) { send(p, buttons); }
    void up(juce::Point<int> p)
    {
        buttons = {};
        send(p, buttons.withoutMouseButtons());
    }

    void click(juce::Point<int> p, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        move(p);
        down(p, mods);
        up(p);
    }
    void doubleClick(juce::Point<int> p, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        click(p, mods);
        down(p, mods);
        up(p);
    }
    /** Press at `from`, move in steps to `to`, release there. */
    void dragFromTo(juce::Point<int> from, juce::Point<int> to, int steps = 6)
    {
        move(from);
        down(from);
        for (int i = 1; i <= steps; ++i)
            drag(from + (to - from) * i / steps);
        up(to);
    }

private:
    static juce::int64& clock()
    {
        static juce::int64 now = juce::Time::currentTimeMillis();
        return now;
    }

    void send(juce::Point<int> p, juce::ModifierKeys mods)
    {
        if (peer == nullptr)
            return;
        clock() += 5;
        juce::ModifierKeys::currentModifiers = mods;
        peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, p.toFloat(), mods,
                               juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                               clock());
    }

    juce::ComponentPeer* peer;
    juce::ModifierKeys buttons;
};
