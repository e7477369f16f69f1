#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** Asks for a new name right over the thing being renamed.

    A one-line text field is placed over an area of a host component, filled
    with the current name and given the keyboard focus, and with it the input
    focus of its window, so that typing reaches it at once.  Return hands the
    text to the target; Return, Escape, a press anywhere outside the field
    and loss of focus all close the field (only Return renames), and the
    object deletes itself on the next message-loop turn.  When the host is
    deleted the object goes at once.

    The field keeps the keyboard focus also when its window gets the input
    focus back from the menu that opened it.  It holds what is typed from its
    opening on, and Return and Escape act as they are pressed: the keys
    typed after them are not taken into the name.  A key already down as the
    field opens (a note key held) types nothing, its repeats neither, until
    it has gone up, in this window or in another program's; each press after
    that types, the very next one too.  The keys going down and up in the
    field go on to its parents too: an on-screen keyboard there plays none
    of them.

    Create it with new and keep no pointer: it deletes itself.  The target
    hears renameTo at most once, always before editorClosed, and editorClosed
    exactly once however editing ends, also when renameTo deletes the host.

    A target destroyed while the field is open (its window closing) is not
    called again.

    The field lives on the heap: a host that deletes all its children may
    delete it, which ends the editing like a loss of focus.  Message thread only.
*/
class InplaceTextEditor : private juce::TextEditor::Listener,
                          private juce::ComponentListener,
                          private juce::MouseListener,
                          private juce::AsyncUpdater
{
public:
    /** What can be renamed in place.  Nothing is deleted through it. */
    class Target
    {
    public:
        /** Sets up the field before it shows (input filter, colours, font). */
        virtual void prepareTextEditor (juce::TextEditor& editor) = 0;

        /** The text the field starts with. */
        virtual juce::String getEditText() = 0;

        /** The text the user confirmed with Return. */
        virtual void renameTo (const juce::String& newName) = 0;

        /** Editing has ended; called exactly once, unless the target is
            destroyed first (it then hears nothing more). */
        virtual void editorClosed() {}

    protected:
        ~Target() = default;

    private:
        JUCE_DECLARE_WEAK_REFERENCEABLE (Target)
    };

    /** Shows the field over area of host (host coordinates).  An area without
        width or height covers the whole host, and area is updated to it.
        Without a host nothing is shown and the object closes at once.
        Message thread. */
    InplaceTextEditor (Target* target, juce::Component* host, juce::Rectangle<int>& area);

    /** Makes the choice of the menu's item itemId (at its top level), which
        opens a field, run choose while the menu handles the click or key
        that chose the item, not on a later turn of the message loop; the
        menu then reports that nothing was chosen.  So the field holds the
        keyboard focus, and its window the input focus, before the next key
        is read: a press on a menu gives the menu's window the input focus,
        and until the menu goes a turn later that window swallows what is
        typed, or the keys play notes.  choose must not delete the menu's
        target component.  Message thread. */
    static void chooseAtOnce (juce::PopupMenu& menu, int itemId, std::function<void()> choose);

    /** Holds the keys typed in a window from the click that asks for a field
        until the field opens there, a few turns of the message loop later
        (once the row it names is placed and in sight).  Made at the click,
        it takes the keyboard focus, and with it the window's input focus,
        with an invisible text field of the window: no key typed meanwhile
        plays a note or reaches anything else.  handTo gives them, in order,
        to the field that has just opened and taken the focus; those after a
        Return or Escape that closed it are not taken into the name, nor are
        the repeats of a key already down at the click.  Going without a
        field (none could open), it gives the focus back to what had it.
        Message thread. */
    class KeysTypedAhead
    {
    public:
        /** Nothing is held when window does not show. */
        explicit KeysTypedAhead (juce::Component& window);
        ~KeysTypedAhead();

        /** Plays the keys held to field, which has the keyboard focus now;
            to nothing else. */
        void handTo (juce::TextEditor* field);

    private:
        class Catcher;
        std::unique_ptr<Catcher> catcher;
        juce::Component::SafePointer<juce::Component> hadFocus;

        JUCE_DECLARE_NON_COPYABLE (KeysTypedAhead)
    };

private:
    ~InplaceTextEditor() override;

    void textEditorReturnKeyPressed (juce::TextEditor&) override;
    void textEditorEscapeKeyPressed (juce::TextEditor&) override;
    void textEditorFocusLost (juce::TextEditor&) override;
    void componentBeingDeleted (juce::Component& component) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void handleAsyncUpdate() override;

    void hideAndClose();
    void notifyClosed();
    void detachFromHost();

    class Field;
    Field* editor = nullptr; // owned; nulled when someone else deletes it
    juce::Component::SafePointer<juce::Component> host;
    juce::WeakReference<Target> target; // a window may destroy its target before the field has gone
    bool renamed = false;
    bool closedNotified = false;
    int callbackDepth = 0;

    JUCE_DECLARE_NON_COPYABLE (InplaceTextEditor)
};
} // namespace Korvalden::GUI
