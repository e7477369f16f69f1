#include "ResourceFolderFixture.h"

#include <filesystem>
#include <sys/stat.h>

using Korvalden::Resources::ResourceManager;
using Korvalden::Resources::findChildComponentByName;
using Korvalden::Resources::getOrCreateChildComponent;

namespace
{
juce::MemoryBlock bytesOf (const char* text)
{
    return juce::MemoryBlock (text, strlen (text));
}

juce::String readAll (std::unique_ptr<juce::MemoryInputStream> stream)
{
    return stream == nullptr ? juce::String ("<null>") : stream->readEntireStreamAsString();
}

juce::Image whiteSquareOnBlack()
{
    juce::Image mask (juce::Image::RGB, 4, 4, true);
    mask.clear ({ 0, 0, 2, 4 }, juce::Colours::white);
    mask.clear ({ 2, 0, 2, 4 }, juce::Colours::black);
    return mask;
}
} // namespace

using ResourceManagerTest = ResourceFolderFixture;

TEST_F (ResourceManagerTest, ResourcesAreReadOnceAndKeptUntilTheLastRelease)
{
    writeBytes ("Data", "BINARY", bytesOf ("first"));
    EXPECT_EQ (readAll (ResourceManager::getBinary ("Data")), "first");

    // The cached bytes are served, not the file, while a user remains.
    ResourceManager::acquire();
    writeBytes ("Data", "BINARY", bytesOf ("second"));
    EXPECT_EQ (readAll (ResourceManager::loadResource ("Data", "BINARY")), "first");
    ResourceManager::release();
    EXPECT_EQ (readAll (ResourceManager::getBinary ("Data")), "first");

    // Acquire after the last release starts from empty caches.
    ResourceManager::release();
    EXPECT_EQ (ResourceManager::getUserCount(), 0u);
    ResourceManager::acquire();
    EXPECT_EQ (readAll (ResourceManager::getBinary ("Data")), "second");
}

TEST_F (ResourceManagerTest, SameNameWithTwoTypesIsTwoResources)
{
    writeBytes ("X", "BINARY", bytesOf ("binary"));
    writeBytes ("X", "COMPONENT", bytesOf ("layout"));
    EXPECT_EQ (readAll (ResourceManager::getBinary ("X")), "binary");
    EXPECT_EQ (readAll (ResourceManager::loadResource ("X", "COMPONENT")), "layout");
}

TEST_F (ResourceManagerTest, MissingResourcesAreNotCachedButMissingImagesAre)
{
    EXPECT_EQ (ResourceManager::getBinary ("Later"), nullptr);
    EXPECT_TRUE (ResourceManager::getImage ("LaterImage").isNull());

    writeBytes ("Later", "BINARY", bytesOf ("now"));
    writePng ("LaterImage", whiteSquareOnBlack());

    EXPECT_EQ (readAll (ResourceManager::getBinary ("Later")), "now");
    EXPECT_TRUE (ResourceManager::getImage ("LaterImage").isNull());
}

TEST_F (ResourceManagerTest, NamesThatAreNotPlainFileNamesFindNothing)
{
    folder.getChildFile ("sub").createDirectory();
    writeBytes ("sub/Inner", "BINARY", bytesOf ("hidden"));
    ASSERT_TRUE (folder.getChildFile ("sub/Inner.BINARY").existsAsFile());

    EXPECT_EQ (ResourceManager::getBinary ("sub/Inner"), nullptr);
    EXPECT_EQ (ResourceManager::getBinary ("../Anything"), nullptr);
    EXPECT_EQ (ResourceManager::getBinary (""), nullptr);
}

TEST_F (ResourceManagerTest, ImagesDecodeOnceAndKeepTheirReference)
{
    writePng ("Mask", whiteSquareOnBlack());

    const auto& first = ResourceManager::getImage ("Mask");
    ASSERT_TRUE (first.isValid());
    EXPECT_EQ (first.getWidth(), 4);
    EXPECT_EQ (first.getPixelAt (0, 0).getARGB(), 0xFFFFFFFFu);
    EXPECT_EQ (&ResourceManager::getImage ("Mask"), &first);

    writeBytes ("Garbage", "IMAGE", bytesOf ("not an image"));
    EXPECT_TRUE (ResourceManager::getImage ("Garbage").isNull());
    EXPECT_TRUE (ResourceManager::getImage ("").isNull());
}

TEST_F (ResourceManagerTest, OnlyRegularFilesAreRead)
{
    writeBytes ("Target", "BINARY", bytesOf ("target"));
    ASSERT_TRUE (resourceFile ("Target", "BINARY").createSymbolicLink (resourceFile ("Linked", "BINARY"), false));
    EXPECT_EQ (readAll (ResourceManager::getBinary ("Linked")), "target");

    // A pipe would block the reader for ever, a device would never end and a
    // folder has no bytes; each is a missing resource, of every type.
    const char* types[] { "BINARY", "IMAGE", "COMPONENT" };
    for (auto type : types)
    {
        ASSERT_EQ (mkfifo (resourceFile ("Pipe", type).getFullPathName().toRawUTF8(), 0600), 0);
        ASSERT_TRUE (juce::File ("/dev/zero").createSymbolicLink (resourceFile ("Zeros", type), false));
        ASSERT_TRUE (folder.createSymbolicLink (resourceFile ("Folder", type), false));
        ASSERT_TRUE (resourceFile ("Nowhere", "X").createSymbolicLink (resourceFile ("Dangling", type), false));
    }

    for (auto name : { "Pipe", "Zeros", "Folder", "Dangling" })
    {
        for (auto type : types)
            EXPECT_EQ (ResourceManager::loadResource (name, type), nullptr) << name << "." << type;

        EXPECT_TRUE (ResourceManager::getImage (name).isNull()) << name;
        juce::Component root;
        root.setBounds (1, 2, 3, 4);
        EXPECT_FALSE (ResourceManager::applyComponentLayout (&root, name)) << name;
        EXPECT_EQ (root.getBounds(), juce::Rectangle<int> (1, 2, 3, 4)) << name;
    }
}

TEST_F (ResourceManagerTest, ResourcesLargerThanTheirTypeAllowsAreNotRead)
{
    // Sparse files: large on paper, cheap to make.
    auto sized = [this] (const juce::String& name, const juce::String& type, std::uintmax_t bytes) {
        const auto path = resourceFile (name, type).getFullPathName().toStdString();
        ASSERT_TRUE (resourceFile (name, type).create().wasOk());
        std::filesystem::resize_file (path, bytes);
    };

    sized ("Layout", "COMPONENT", 1024 * 1024);
    sized ("BigLayout", "COMPONENT", 1024 * 1024 + 1);
    sized ("Picture", "IMAGE", 16 * 1024 * 1024);
    sized ("BigPicture", "IMAGE", 16 * 1024 * 1024 + 1);
    sized ("Data", "BINARY", 16 * 1024 * 1024);
    sized ("BigData", "BINARY", 16 * 1024 * 1024 + 1);

    auto sizeOf = [] (std::unique_ptr<juce::MemoryInputStream> stream) {
        return stream == nullptr ? (juce::int64) -1 : stream->getTotalLength();
    };
    EXPECT_EQ (sizeOf (ResourceManager::loadResource ("Layout", "COMPONENT")), 1024 * 1024);
    EXPECT_EQ (sizeOf (ResourceManager::loadResource ("BigLayout", "COMPONENT")), -1);
    EXPECT_EQ (sizeOf (ResourceManager::loadResource ("Picture", "IMAGE")), 16 * 1024 * 1024);
    EXPECT_EQ (sizeOf (ResourceManager::loadResource ("BigPicture", "IMAGE")), -1);
    EXPECT_EQ (sizeOf (ResourceManager::getBinary ("Data")), 16 * 1024 * 1024);
    EXPECT_EQ (sizeOf (ResourceManager::getBinary ("BigData")), -1);
}

TEST_F (ResourceManagerTest, TintedMaskTakesAlphaFromRedAndTintKeepsAlpha)
{
    const auto tint = juce::Colour (0xFF17A4DF);
    auto tinted = ResourceManager::createTintedImage (whiteSquareOnBlack(), tint);
    ASSERT_TRUE (tinted.isValid());
    EXPECT_EQ (tinted.getFormat(), juce::Image::ARGB);
    EXPECT_EQ (tinted.getPixelAt (1, 2).getARGB(), tint.getARGB());
    EXPECT_EQ (tinted.getPixelAt (3, 2).getAlpha(), 0);

    // A grey mask pixel gives partial alpha in the tint's colour.
    juce::Image grey (juce::Image::RGB, 1, 1, false);
    grey.setPixelAt (0, 0, juce::Colour (0xFF808080));
    auto half = ResourceManager::createTintedImage (grey, tint);
    EXPECT_EQ (half.getPixelAt (0, 0).getAlpha(), 0x80);
    EXPECT_NEAR (half.getPixelAt (0, 0).getRed(), tint.getRed(), 2);

    ResourceManager::tintImage (tinted, juce::Colour (0xFFFD17CA));
    EXPECT_EQ (tinted.getPixelAt (0, 0).getARGB(), 0xFFFD17CAu);
    EXPECT_EQ (tinted.getPixelAt (3, 0).getAlpha(), 0);
    ResourceManager::tintImage (half, juce::Colours::white);
    EXPECT_EQ (half.getPixelAt (0, 0).getAlpha(), 0x80);

    EXPECT_TRUE (ResourceManager::createTintedImage ({}, tint).isNull());
}

TEST (ChildLookup, FindsTheFirstChildOfThatNameOnly)
{
    juce::Component parent, first ("Knob"), second ("Knob"), other ("knob");
    parent.addChildComponent (first);
    parent.addChildComponent (second);
    parent.addChildComponent (other);

    EXPECT_EQ (findChildComponentByName (&parent, "Knob"), &first);
    EXPECT_EQ (findChildComponentByName (&parent, "knob"), &other);
    EXPECT_EQ (findChildComponentByName (&parent, "Missing"), nullptr);
    EXPECT_EQ (findChildComponentByName (nullptr, "Knob"), nullptr);
}

TEST (ChildLookup, GetOrCreateBringsExistingForwardOrCreatesOneTopmost)
{
    juce::Component parent, existing ("Existing"), later ("Later");
    parent.addChildComponent (existing);
    parent.addChildComponent (later);

    EXPECT_EQ (getOrCreateChildComponent (&parent, "Existing"), &existing);
    EXPECT_EQ (parent.getNumChildComponents(), 2);
    EXPECT_EQ (parent.getChildComponent (1), &existing);

    juce::Component::SafePointer<juce::Component> created = getOrCreateChildComponent (&parent, "New");
    ASSERT_NE (created, nullptr);
    EXPECT_EQ (created->getName(), "New");
    EXPECT_TRUE (created->isVisible());
    EXPECT_EQ (parent.getChildComponent (2), created.getComponent());
    EXPECT_EQ (getOrCreateChildComponent (&parent, "New"), created.getComponent());
    EXPECT_EQ (parent.getNumChildComponents(), 3);
}

TEST (ChildLookup, CreatedChildrenAreDeletedExactlyOnce)
{
    juce::Component::SafePointer<juce::Component> orphaned, deletedByOwner;
    {
        juce::Component parent;
        orphaned = getOrCreateChildComponent (&parent, "Orphaned");
        deletedByOwner = getOrCreateChildComponent (&parent, "Owned");
        delete deletedByOwner.getComponent();
        EXPECT_EQ (deletedByOwner, nullptr);
        EXPECT_NE (orphaned, nullptr);
    }
    EXPECT_EQ (orphaned, nullptr);

    // An owner that deletes all its children first leaves nothing to do.
    struct Owner : juce::Component
    {
        ~Owner() override { deleteAllChildren(); }
    };
    juce::Component::SafePointer<juce::Component> child;
    {
        Owner owner;
        child = getOrCreateChildComponent (&owner, "Child");
    }
    EXPECT_EQ (child, nullptr);
}

TEST (ChildLookup, ClearedPropertiesHandTheChildrenBackToTheOwner)
{
    juce::Component::SafePointer<juce::Component> child;
    {
        juce::Component parent;
        child = getOrCreateChildComponent (&parent, "Child");
        parent.getProperties().clear();
        parent.removeChildComponent (child);
    }
    ASSERT_NE (child, nullptr);
    delete child.getComponent();
}
