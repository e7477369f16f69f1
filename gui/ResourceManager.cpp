#include "gui/ResourceManager.h"

#include "gui/CreatedChildOwnership.h"
#include "gui/ImageResourceDecoder.h"
#include "platform/BundleResources.h"

namespace Korvalden::Resources
{
namespace
{
ResourceManager* sharedInstance = nullptr;
juce::uint32 userCount = 0;

/** The largest file read as a resource of that type; a larger one is not
    read.  The bundle's own come nowhere near: its layouts are a few
    kilobytes, its images and its typeface well under a megabyte. */
juce::int64 maximumBytesOfResource (const juce::String& type)
{
    if (type == "COMPONENT")
        return 1024 * 1024;
    return 16 * 1024 * 1024;
}

const juce::Image& sharedNullImage()
{
    static const juce::Image nullImage;
    return nullImage;
}

[[maybe_unused]] bool isMessageThread()
{
    return juce::MessageManager::existsAndIsCurrentThread();
}
} // namespace

ResourceManager::~ResourceManager()
{
    // Images first, then the raw files they were decoded from.
    images.clear();
    rawResources.clear();
}

void ResourceManager::acquire()
{
    jassert (isMessageThread());
    if (userCount == 0)
        sharedInstance = new ResourceManager();
    ++userCount;
}

void ResourceManager::release()
{
    jassert (isMessageThread());
    jassert (userCount > 0);
    if (userCount == 0)
        return;

    if (--userCount == 0)
    {
        delete sharedInstance;
        sharedInstance = nullptr;
    }
}

juce::uint32 ResourceManager::getUserCount()
{
    jassert (isMessageThread());
    return userCount;
}

ResourceManager* ResourceManager::instanceForLookup()
{
    jassert (isMessageThread());
    jassert (sharedInstance != nullptr); // a look-up without acquire()
    return sharedInstance;
}

std::unique_ptr<juce::MemoryInputStream> ResourceManager::loadResource (const juce::String& name,
                                                                        const juce::String& type)
{
    auto* instance = instanceForLookup();
    if (instance == nullptr)
        return nullptr;

    auto key = std::make_pair (name, type);
    auto found = instance->rawResources.find (key);
    if (found == instance->rawResources.end())
    {
        auto block = std::make_unique<juce::MemoryBlock>();
        if (! Platform::readRegularFile (Platform::getBundleResourceFile (name, type), maximumBytesOfResource (type),
                                         *block))
            return nullptr;

        found = instance->rawResources.emplace (std::move (key), std::move (block)).first;
    }

    const auto& block = *found->second;
    return std::make_unique<juce::MemoryInputStream> (block.getData(), block.getSize(), false);
}

std::unique_ptr<juce::MemoryInputStream> ResourceManager::getBinary (const juce::String& name)
{
    return loadResource (name, "BINARY");
}

const juce::Image& ResourceManager::getImage (const juce::String& name)
{
    auto* instance = instanceForLookup();
    if (instance == nullptr || name.isEmpty())
        return sharedNullImage();

    if (auto found = instance->images.find (name); found != instance->images.end())
        return *found->second;

    auto image = std::make_unique<juce::Image>();
    if (auto stream = loadResource (name, "IMAGE"))
        *image = decodeImageResource (stream->getData(), stream->getDataSize());

    return *instance->images.emplace (name, std::move (image)).first->second;
}

juce::Image ResourceManager::createTintedImage (const juce::Image& source, juce::Colour tint)
{
    if (! source.isValid())
        return {};

    const int width = source.getWidth();
    const int height = source.getHeight();
    juce::Image tinted (juce::Image::ARGB, width, height, true);

    const juce::Image::BitmapData in (source, juce::Image::BitmapData::readOnly);
    juce::Image::BitmapData out (tinted, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.setPixelColour (x, y, tint.withAlpha (in.getPixelColour (x, y).getRed()));

    return tinted;
}

void ResourceManager::tintImage (juce::Image& image, juce::Colour colour)
{
    if (! image.isValid())
        return;

    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < data.height; ++y)
        for (int x = 0; x < data.width; ++x)
            data.setPixelColour (x, y, colour.withAlpha (data.getPixelColour (x, y).getAlpha()));
}

juce::Component* findChildComponentByName (juce::Component* parent, const juce::String& name)
{
    jassert (isMessageThread());
    if (parent == nullptr)
        return nullptr;

    for (auto* child : parent->getChildren())
        if (child->getName() == name)
            return child;
    return nullptr;
}

juce::Component* getOrCreateChildComponent (juce::Component* parent, const juce::String& name)
{
    if (parent == nullptr)
        return nullptr;

    if (auto* existing = findChildComponentByName (parent, name))
    {
        existing->toFront (false);
        return existing;
    }

    auto* created = new juce::Component (name);
    created->setVisible (true);
    parent->addAndMakeVisible (created, -1);
    deleteChildWithParent (*parent, *created);
    return created;
}
} // namespace Korvalden::Resources
