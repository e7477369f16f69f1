#include "gui/KestMessageBox.h"

#include "gui/ImageTextButton.h"
#include "gui/ResourceManager.h"

using Korvalden::Resources::ResourceManager;

KestMessageBox::KestMessageBox()
{
    ResourceManager::acquire();
    setBackgroundImage (ResourceManager::getImage ("MessageBackground"));

    const auto menuFont = juce::LookAndFeel::getDefaultLookAndFeel().getPopupMenuFont();
    titleFont = menuFont.withHeight (19.0f).withStyle (juce::Font::underlined);
    textFont = menuFont.withHeight (15.0f);

    titleArea = { 231, 63, 240, 30 };
    textX = 231;
    textBaseline = 110;
    textMaximumLineWidth = 350;

    setColour (textColourId, juce::Colour (0xFF000000));
    setColour (coverColourId, juce::Colour (0x80FFFFFF));
    ResourceManager::release();
}

std::unique_ptr<juce::Button> KestMessageBox::createButton (int number)
{
    ResourceManager::acquire();
    auto button = std::make_unique<Korvalden::GUI::ImageTextButton>();
    button->setImages (ResourceManager::getImage ("MsgButton"),
                       ResourceManager::getImage ("MsgButtonHover"),
                       ResourceManager::getImage ("MsgButtonPressed"));

    button->normalTextArea = { 6, 3, 118, 28 };
    button->overTextArea = { 6, 3, 118, 28 };
    button->setColour (juce::TextButton::textColourOnId, juce::Colour (0xFFFFFFFF));
    button->setColour (juce::TextButton::textColourOffId, juce::Colour (0xFFFFFFFF));

    const int x = number == 1 ? 225 : number == 2 ? 353 : number == 3 ? 481 : 0;
    const int y = (number >= 1 && number <= 3) ? 290 : 0;
    button->setBounds (x, y, 128, 43);
    ResourceManager::release();
    return button;
}
