#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace Korvalden::GUI
{
/** A horizontal bar meter of one channel of the engine's level meters.

    The bar runs from -60 dB (empty) to 0 dB (full), linear in decibels; its
    top tenth (from -6 dB) is the hot zone.  A square at the right end, as
    high as the meter, holds the clip indicator.  The bar is drawn from a
    cached image of the two colour zones, rebuilt only when the size or a
    colour changes; a 30 ms timer repaints the meter.

    Message thread only.  The levels are read without a lock while the audio
    thread writes them: each value is read as it stands at paint time.
*/
class LevelMeterDisplay : public juce::Component,
                          private juce::Timer
{
public:
    /** What a meter reads: the squared peak level of each channel and the
        remaining samples of its clip indicator. */
    struct LevelSource
    {
        virtual ~LevelSource() = default;
        virtual int getMeterChannels() const = 0;
        virtual float getMeterLevel (int channel) const = 0;
        virtual int getClipHoldSamples (int channel) const = 0;
    };

    /** A LevelSource over any object with a static meterChannels and the
        two level getters (the audio engine). */
    template <typename Levels>
    struct SourceOf final : LevelSource
    {
        explicit SourceOf (const Levels& l) : levels (l) {}
        int getMeterChannels() const override { return Levels::meterChannels; }
        float getMeterLevel (int channel) const override { return levels.getMeterLevel (channel); }
        int getClipHoldSamples (int channel) const override { return levels.getClipHoldSamples (channel); }
        const Levels& levels;
    };

    enum ColourIds
    {
        trackColourId = 0,      ///< behind the bar
        barColourId = 1,        ///< the bar below the hot zone
        hotZoneColourId = 2,    ///< the bar's top tenth
        clipColourId = 3        ///< the clip indicator
    };

    /** levels: not owned, must outlive the meter (null shows a full bar).
        Starts the 30 ms repaint timer.  Message thread. */
    LevelMeterDisplay (const LevelSource* levels, int channel, const juce::String& componentName);
    ~LevelMeterDisplay() override;

    /** The bar's fill as a fraction 0..1 of its length for a squared peak
        level; 0 for a level that is not a positive finite number.  Any thread. */
    static float levelToFraction (float squaredPeak) noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;
    void colourChanged() override;

private:
    void timerCallback() override;
    void updateBackgroundImage();
    int getBarLength() const noexcept { return getWidth() - 1 - getHeight(); }

    const LevelSource* levels;
    int channel;
    juce::FillType backgroundFill { juce::Colours::black };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LevelMeterDisplay)
};
} // namespace Korvalden::GUI
