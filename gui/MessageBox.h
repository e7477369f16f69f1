#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace Korvalden::GUI
{
/** A modal message box shown inside a parent window: title, message, an
    optional background image and up to three numbered buttons over a
    translucent cover of the parent.

    How to use it:
    1. create it with new (the box deletes itself once shown);
    2. set title and text;
    3. addButton for the buttons wanted, numbered 1 to 3;
    4. showModal with the window to cover and a callback.
    The callback receives the number of the clicked button; 0 when the box
    is dismissed otherwise (Escape, or a click on a box that shows no
    numbered button); -1 at once when there is no parent.

    Message thread only.
*/
class MessageBox : public juce::Component,
                   private juce::Button::Listener
{
public:
    enum ColourIds
    {
        backgroundColourId = 1000,  ///< fill when there is no background image
        textColourId = 1001,        ///< title and text
        coverColourId = 1002        ///< the cover laid over the parent
    };

    /** The default size, kept when no background image gives another. */
    static constexpr int defaultWidth = 606;
    static constexpr int defaultHeight = 330;

    MessageBox();
    /** Deletes the box's children (its buttons) and the cover. */
    ~MessageBox() override;

    /** Stores the image and takes its size; a null image keeps the current
        size, so a box whose image is missing stays visible and closable. */
    void setBackgroundImage (const juce::Image& image);

    /** Finds the child button named "Button " + number, or creates it; it is
        visible only when the text is not empty. */
    void addButton (int number, const juce::String& buttonText);

    /** Shows the box modally over parent (its content component when parent
        is a resizable window with one).  The callback (may be null) is owned
        from here on.  With no parent the callback hears -1 at once and the
        box deletes itself. */
    void showModal (juce::Component* parent, juce::ModalComponentManager::Callback* callback);

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    /** Escape dismisses the box with 0. */
    bool keyPressed (const juce::KeyPress&) override;

    juce::String title;
    juce::String text;

protected:
    /** Makes the button of a number; the box names, owns and places it. */
    virtual std::unique_ptr<juce::Button> createButton (int number);

    juce::Rectangle<int> titleArea { 231, 63, 240, 30 };
    int textX = 231;
    int textBaseline = 110;
    int textMaximumLineWidth = 280;
    // The framework's default typeface name: the default look-and-feel maps
    // it to its own typeface, and without one it still draws (a name that no
    // installed typeface has draws nothing on some systems).
    juce::Font titleFont { 19.0f, juce::Font::underlined };
    juce::Font textFont { 15.0f, juce::Font::plain };
    juce::Image backgroundImage;

private:
    class Shadower;

    void buttonClicked (juce::Button*) override;
    bool showsNumberedButton() const;

    // The cover is a child of the host, which may delete its children first.
    juce::Component::SafePointer<juce::Component> shadower;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MessageBox)
};
} // namespace Korvalden::GUI
