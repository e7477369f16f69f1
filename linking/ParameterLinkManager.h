#pragma once

#include "engine/ParameterChangeCallback.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

/** The model behind parameter linking.

    Records which parameters are linked, a ratio and a group name per
    parameter, and the editor handle (ParameterController) of every parameter
    that currently has a linkable control.  Moving a linked control moves its
    whole group, each member by the same change scaled by its ratio, limited so
    that the group stops once every member has reached an end of 0..1.  Stored
    controller values may lie outside 0..1; the host always receives them
    clamped.  The link state travels in presets as the "PARAMETERLINKING" element.

    Threads: the model is guarded by one lock, so the state operations
    (links, entries, listeners, XML, getValue, getRatio) may be called on any
    thread but the audio thread.  Operations that move values or talk to
    controllers run on the message thread.  Calls to the host and to listeners
    are made with the lock released.
*/
class ParameterLinkManager
{
public:
    struct LinkEntry
    {
        float ratio = 1.0f;     ///< may be negative (moves against the group) or 0 (neither moves nor is moved)
        std::set<int> links;    ///< the indexes this parameter is directly linked to
        juce::String name;      ///< the group name shown in the link editor
    };

    /** Hears of every change of the link structure, a ratio or a name made through the manager. */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void parameterLinksChanged() = 0;
    };

    /** The editor-side handle of one parameter: the base of every linkable knob.
        Registers itself under its index on construction (unless the index
        already has a controller) and leaves on destruction.  Message thread. */
    class ParameterController : public Korvalden::Parameter::ParameterChangeCallback
    {
    public:
        ParameterController (ParameterLinkManager* managerToUse, int indexToUse);
        ~ParameterController() override;

        /** A report from the binding's poll: taken unless a group gesture that
            includes this parameter is open. */
        void parameterChanged (int changedIndex, float newValue) override;

        /** Called after the manager moved this controller's value. */
        virtual void valueChanged() {}

        /** Moves the parameter (with propagate, its group) to its default inside a group gesture. */
        void resetToDefault (bool propagate);

        int getIndex() const noexcept { return index; }
        float getValue() const noexcept { return value; }
        bool isBusy() const noexcept { return busy; }

    protected:
        ParameterLinkManager* const manager;
        const int index;
        float value;        ///< the control's own copy of the value; may lie outside 0..1
        bool busy = false;  ///< true while a group gesture including this parameter is open

    private:
        friend class ParameterLinkManager;
        JUCE_DECLARE_NON_COPYABLE (ParameterController)
    };

    /** The processor is used only through the framework's parameter interface.  Message thread. */
    explicit ParameterLinkManager (juce::AudioProcessor& processorToUse);

    /** Empties every link set; notifies nobody. */
    ~ParameterLinkManager();

    /** The entry of an index, created (ratio 1, no links, no name) when absent.
        The reference stays valid for the manager's life; hold getLock() while
        changing it when another thread may read the model.  Any thread but audio. */
    LinkEntry& getLinkEntry (int index);

    /** A copy of the entry of an index, or nothing when it has none; creates
        no entry, so drawing and menus can ask freely.  Any thread but audio. */
    std::optional<LinkEntry> findLinkEntry (int index) const;

    /** True when the index has an entry with at least one link; creates nothing.  Any thread but audio. */
    bool isLinked (int index) const;

    /** Every link once, as (lower, higher) pairs in ascending order.  Any thread but audio. */
    std::vector<std::pair<int, int>> getLinkPairs() const;

    /** True while a control of the index is registered.  Any thread but audio. */
    bool hasController (int index) const;

    /** Links a and b both ways and notifies; nothing when a == b.  Any thread but audio. */
    void link (int a, int b);

    /** Cuts the one link between a and b, settles both remaining groups back
        into range (without gestures) and notifies; nothing when a == b.
        Message thread. */
    void unlink (int a, int b);

    /** Removes every link of a parameter, re-settles the groups it leaves and notifies.  Message thread. */
    void freeParameter (int index);

    /** Empties the links of every entry; ratios and names stay; notifies nobody.  Any thread but audio. */
    void clearAllLinks();

    /** Appends a listener unless null or already present.  Any thread but audio. */
    void addListener (Listener* listener);

    /** Removes a listener if present.  A notifyListeners under way on
        another thread may have taken the listener before it was removed and
        still make that one call after this returns: a listener that another
        thread may notify is deleted only once such calls are over (the
        engine's lives as long as the manager).  Any thread but audio. */
    void removeListener (Listener* listener);

    /** Calls every listener, last registered first, with the lock released
        during each call; a listener may remove itself or others during the
        call.  Any thread but audio. */
    void notifyListeners();

    /** The controller's value (unclamped), else the processor's.  Any thread but audio. */
    float getValue (int index);

    /** Sets one parameter without moving its group.  A NaN value is ignored.  Message thread. */
    void setValue (int index, float value);

    /** The entry's ratio while the index has a controller, else 1; creates no entry.  Any thread but audio. */
    float getRatio (int index);

    /** Stores a finite ratio and notifies while the index has a controller; else nothing.  Message thread. */
    void setRatio (int index, float ratio);

    /** Moves the controller's parameter to value and, with propagate, its
        group by the same change scaled by each ratio.  A NaN value is ignored.
        Message thread. */
    void propagateValue (ParameterController* controller, bool propagate, float value);

    /** Opens the host's change gesture on every member of the controller's
        group and marks their controllers busy.  Returns the members, so that
        a gesture held open across events can be closed on exactly them even
        when the links change meanwhile.  Message thread. */
    std::vector<int> beginGroupGesture (ParameterController* controller);

    /** Closes what beginGroupGesture opened, on the group as it is now.  Message thread. */
    void endGroupGesture (ParameterController* controller);

    /** Closes the gestures of the members that beginGroupGesture returned and
        clears their controllers' busy flags.  Message thread. */
    void endGroupGesture (const std::vector<int>& members);

    /** The processor, for value texts and defaults.  Any thread but audio. */
    juce::AudioProcessor& getProcessor() const noexcept { return *processor; }

    /** Appends the "PARAMETERLINKING" element to parent.  Any thread but audio. */
    void writeXml (juce::XmlElement& parent);

    /** Replaces the links from parent's "PARAMETERLINKING" child, if it has
        one; ratios that are not finite and indexes outside the processor's
        parameters are ignored.  Listeners hear once when connections were
        read.  Any thread but audio. */
    void readXml (const juce::XmlElement& parent);

    /** The lock that guards the model (re-entrant). */
    const juce::CriticalSection& getLock() const noexcept { return lock; }

private:
    /** A moved member, sent to the host (when its value differs) after the lock is released. */
    struct PendingMove
    {
        ParameterController* controller;
        int index;
        float clampedValue;
        bool callValueChanged;
    };

    LinkEntry& entryFor (int index);
    ParameterController* controllerFor (int index) const;
    std::vector<int> collectGroup (int start);
    void collectPropagation (ParameterController* controller, bool propagate, float value,
                             std::vector<PendingMove>& moves);
    void applyMoves (const std::vector<PendingMove>& moves);
    std::vector<int> markGroupBusy (ParameterController* controller, bool isBusy);

    std::map<int, LinkEntry> entries;
    std::map<int, ParameterController*> controllers;
    juce::AudioProcessor* processor;
    juce::Array<Listener*> listeners;
    juce::CriticalSection lock;

    JUCE_DECLARE_NON_COPYABLE (ParameterLinkManager)
};
