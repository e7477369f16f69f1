#pragma once

#include "PreviewRegistry.h"

#include "editor/MainControlPanel.h"
#include "engine/AudioEngine.h"

#include <functional>
#include <memory>

/** Points the user's data folder ($XDG_DATA_HOME: settings, user presets,
    favourites) at a new empty folder for its lifetime, so a render shows the
    product as it first opens and never reads or writes the user's own files.
    fill may put files into the folder first. */
struct FreshDataFolder
{
    explicit FreshDataFolder (const std::function<void (const juce::File& folder)>& fill = {});
    ~FreshDataFolder();

    const juce::File folder;
    juce::String previous;
    bool hadPrevious = false;

    JUCE_DECLARE_NON_COPYABLE (FreshDataFolder)
};

/** A fresh instrument with its real editor open, as a host opens it: the
    engine prepared for 48 kHz blocks of 256, the editor made by the engine,
    its first commands and timer ticks run.  Message thread. */
struct PreviewEditor
{
    explicit PreviewEditor (const std::function<void (const juce::File& dataFolder)>& fillDataFolder = {});
    /** The editor goes before its engine. */
    ~PreviewEditor();

    /** Lets posted messages and the editor's timers run. */
    static void run (int milliseconds);

    /** Plays the notes on the global channel and renders a fifth of a second
        through the engine, as the audio thread would; they stay held. */
    void hold (std::initializer_list<int> notes);

    /** A child of the editor by name, as a T, or null. */
    template <typename T>
    T* child (const juce::String& name) const   { return panel != nullptr ? panel->findChildAs<T> (name) : nullptr; }

    /** The area of the editor (all of it when empty) at the context's scale. */
    juce::Image snapshot (const PreviewContext& context, juce::Rectangle<int> area = {}) const;

    /** Writes the whole editor as name (with "@2x" at scale 2); false when there is no editor. */
    bool write (const PreviewContext& context, const juce::String& name) const;

    FreshDataFolder data;
    AudioEngine engine;
    std::unique_ptr<MainControlPanel> panel;
};
