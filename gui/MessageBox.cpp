#include "gui/MessageBox.h"

namespace Korvalden::GUI
{
namespace
{
const juce::String buttonNamePrefix ("Button ");
}

/** The translucent cover laid over the parent while the box is shown. */
class MessageBox::Shadower : public juce::Component
{
public:
    explicit Shadower (juce::Colour c) : colour (c) { setInterceptsMouseClicks (true, false); }
    void paint (juce::Graphics& g) override { g.fillAll (colour); }

private:
    juce::Colour colour;
};

MessageBox::MessageBox()
{
    setColour (backgroundColourId, juce::Colour (0xFF5F6062));
    setColour (textColourId, juce::Colour (0xFFFFFFFF));
    setColour (coverColourId, juce::Colour (0x80000000));
    setSize (defaultWidth, defaultHeight);
    setWantsKeyboardFocus (true);
}

MessageBox::~MessageBox()
{
    deleteAllChildren();
    delete shadower.getComponent();
}

void MessageBox::setBackgroundImage (const juce::Image& image)
{
    backgroundImage = image;
    if (image.isValid())
        setSize (image.getWidth(), image.getHeight());
}

void MessageBox::addButton (int number, const juce::String& buttonText)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());
    const auto name = buttonNamePrefix + juce::String (number);
    juce::Button* button = nullptr;

    for (auto* child : getChildren())
    {
        if (child->getName() == name)
        {
            button = dynamic_cast<juce::Button*> (child);
            break;
        }
    }

    if (button == nullptr)
    {
        auto created = createButton (number);
        if (created == nullptr)
            return;
        button = created.release();
        button->setName (name);
        button->addListener (this);
        addChildComponent (button, -1);
    }

    button->setVisible (buttonText.isNotEmpty());
    button->setButtonText (buttonText);
}

std::unique_ptr<juce::Button> MessageBox::createButton (int number)
{
    auto button = std::make_unique<juce::TextButton>();
    const int x = number == 1 ? 225 : number == 2 ? 346 : number == 3 ? 469 : 0;
    const int y = (number >= 1 && number <= 3) ? 272 : 0;
    button->setBounds (x, y, 75, 25);
    return button;
}

void MessageBox::showModal (juce::Component* parent, juce::ModalComponentManager::Callback* callback)
{
    jassert (juce::MessageManager::existsAndIsCurrentThread());

    if (parent == nullptr)
    {
        // Nothing to show the box in: the caller hears -1, and the box and the
        // callback go now, as the modal manager would have deleted them.
        std::unique_ptr<juce::ModalComponentManager::Callback> owned (callback);
        if (owned != nullptr)
            owned->modalStateFinished (-1);
        delete this;
        return;
    }

    auto* host = parent;
    if (auto* window = dynamic_cast<juce::ResizableWindow*> (parent))
        if (auto* content = window->getContentComponent())
            host = content;

    delete shadower.getComponent();
    auto* cover = new Shadower (findColour (coverColourId));
    shadower = cover;
    cover->setBounds (host->getLocalBounds());
    host->addAndMakeVisible (cover, -1);

    host->addAndMakeVisible (this, -1);
    centreWithSize (getWidth(), getHeight());

    enterModalState (true, callback, true);
}

bool MessageBox::showsNumberedButton() const
{
    for (auto* child : getChildren())
        if (child->isVisible() && child->getName().startsWith (buttonNamePrefix)
             && dynamic_cast<juce::Button*> (child) != nullptr)
            return true;
    return false;
}

void MessageBox::mouseDown (const juce::MouseEvent&)
{
    if (! showsNumberedButton())
        exitModalState (0);
}

bool MessageBox::keyPressed (const juce::KeyPress& key)
{
    if (key == juce::KeyPress::escapeKey)
    {
        exitModalState (0);
        return true;
    }
    return false;
}

void MessageBox::buttonClicked (juce::Button* button)
{
    exitModalState (button->getName().getTrailingIntValue());
}

void MessageBox::paint (juce::Graphics& g)
{
    if (backgroundImage.isValid())
        g.drawImageAt (backgroundImage, 0, 0);
    else
        g.fillAll (findColour (backgroundColourId, true));

    g.setColour (findColour (textColourId));
    g.setFont (titleFont);
    g.drawText (title, titleArea, juce::Justification::topLeft, false);

    g.setFont (textFont);
    g.drawMultiLineText (text, textX, textBaseline, textMaximumLineWidth);
}
} // namespace Korvalden::GUI
