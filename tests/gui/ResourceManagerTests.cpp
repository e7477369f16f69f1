#include "ResourceFolderFixture.h"

#include <zlib.h>

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

juce::MemoryBlock pngOf (const juce::Image& image)
{
    juce::MemoryOutputStream out;
    juce::PNGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

/** An image whose rows differ, so that its pixel data is more than a few bytes. */
juce::Image gradient (int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) (x * 13), (juce::uint8) (y * 29),
                                                  (juce::uint8) (x * y), (juce::uint8) (255 - x - y)));
    return image;
}

juce::MemoryBlock jpegOf (const juce::Image& image)
{
    juce::MemoryOutputStream out;
    juce::JPEGImageFormat().writeImageToStream (image, out);
    return out.getMemoryBlock();
}

// A whole 4 x 4 GIF: black and white halves.
const unsigned char smallGif[] { 'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255,
                                 0x2c, 0, 0, 0, 0, 4, 0, 4, 0, 0, 2, 5, 0x84, 0x1d, 0x81, 0x7a, 0x50, 0, ';' };

juce::uint32 bigEndianAt (const juce::MemoryBlock& bytes, size_t offset)
{
    auto* p = static_cast<const juce::uint8*> (bytes.getData()) + offset;
    return ((juce::uint32) p[0] << 24) | ((juce::uint32) p[1] << 16) | ((juce::uint32) p[2] << 8) | p[3];
}

void putBigEndian (juce::MemoryBlock& bytes, size_t offset, juce::uint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + (size_t) i] = (char) ((value >> (24 - 8 * i)) & 0xff);
}

/** The offset of the first PNG chunk of that type (at its length field). */
size_t pngChunk (const juce::MemoryBlock& png, const char* type)
{
    for (size_t at = 8; at + 12 <= png.getSize(); at += 12 + bigEndianAt (png, at))
        if (std::memcmp (static_cast<const char*> (png.getData()) + at + 4, type, 4) == 0)
            return at;
    return 0;
}

/** Recomputes the checksum of the chunk at offset, so that a change inside
    it is not caught by the checksum alone. */
void rewriteChunkChecksum (juce::MemoryBlock& png, size_t chunk)
{
    const auto length = bigEndianAt (png, chunk);
    auto* typeAndData = static_cast<const Bytef*> (png.getData()) + chunk + 4;
    putBigEndian (png, chunk + 8 + length, (juce::uint32) crc32 (crc32 (0, nullptr, 0), typeAndData, 4 + length));
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

TEST_F (ResourceManagerTest, CutOrDamagedImagesAreNullImages)
{
    const auto png = pngOf (gradient (24, 16));
    const auto header = pngChunk (png, "IHDR"), data = pngChunk (png, "IDAT");
    ASSERT_TRUE (header != 0 && data != 0);

    writeBytes ("Whole", "IMAGE", png);
    ASSERT_TRUE (ResourceManager::getImage ("Whole").isValid());
    EXPECT_EQ (ResourceManager::getImage ("Whole").getPixelAt (5, 3),
               juce::ImageFileFormat::loadFrom (png.getData(), png.getSize()).getPixelAt (5, 3));

    for (size_t length = 0; length < png.getSize(); ++length)
    {
        writeBytes ("Cut" + juce::String ((int) length), "IMAGE", juce::MemoryBlock (png.getData(), length));
        EXPECT_TRUE (ResourceManager::getImage ("Cut" + juce::String ((int) length)).isNull()) << length;
    }

    // A header that declares far more pixels than the data holds.
    auto huge = png;
    putBigEndian (huge, header + 8, 100000);
    putBigEndian (huge, header + 12, 100000);
    rewriteChunkChecksum (huge, header);
    writeBytes ("Huge", "IMAGE", huge);
    EXPECT_TRUE (ResourceManager::getImage ("Huge").isNull());

    // A header whose fields are out of range: bit depth 3, colour type 5.
    auto oddHeader = png;
    oddHeader[header + 16] = 3;
    oddHeader[header + 17] = 5;
    rewriteChunkChecksum (oddHeader, header);
    writeBytes ("OddHeader", "IMAGE", oddHeader);
    EXPECT_TRUE (ResourceManager::getImage ("OddHeader").isNull());

    // Damaged pixel data, with its checksum left wrong and with it made right.
    auto damaged = png;
    damaged[data + 8 + bigEndianAt (png, data) / 2] ^= (char) 0x5a;
    writeBytes ("BadChecksum", "IMAGE", damaged);
    EXPECT_TRUE (ResourceManager::getImage ("BadChecksum").isNull());
    rewriteChunkChecksum (damaged, data);
    writeBytes ("BadPixels", "IMAGE", damaged);
    EXPECT_TRUE (ResourceManager::getImage ("BadPixels").isNull());
}

TEST_F (ResourceManagerTest, JpegImagesDecodeWhenWholeAndGifsAreRefused)
{
    const auto jpeg = jpegOf (gradient (40, 30));
    writeBytes ("Photo", "IMAGE", jpeg);
    ASSERT_TRUE (ResourceManager::getImage ("Photo").isValid());
    EXPECT_EQ (ResourceManager::getImage ("Photo").getBounds(), juce::Rectangle<int> (0, 0, 40, 30));

    for (size_t length = 0; length < jpeg.getSize(); ++length)
    {
        writeBytes ("CutPhoto" + juce::String ((int) length), "IMAGE", juce::MemoryBlock (jpeg.getData(), length));
        EXPECT_TRUE (ResourceManager::getImage ("CutPhoto" + juce::String ((int) length)).isNull()) << length;
    }

    // The framework's GIF reader cannot be checked before it runs (it reads
    // outside its buffer even on a whole file like this one).
    writeBytes ("Animation", "IMAGE", juce::MemoryBlock (smallGif, sizeof (smallGif)));
    EXPECT_TRUE (ResourceManager::getImage ("Animation").isNull());
}

TEST_F (ResourceManagerTest, RandomlyDamagedImagesGiveNullOrBoundedImages)
{
    const juce::MemoryBlock originals[] { pngOf (gradient (24, 16)), jpegOf (gradient (40, 30)) };

    // Bytes written over at random places, repeatably.
    juce::Random random (28);
    int decoded = 0;
    for (const auto& original : originals)
    {
        for (int variant = 0; variant < 300; ++variant)
        {
            auto damaged = original;
            for (int i = random.nextInt ({ 1, 5 }); --i >= 0;)
                damaged[(size_t) random.nextInt ((int) damaged.getSize())] = (char) random.nextInt (256);
            const auto name = "Damaged" + juce::String (decoded++);
            writeBytes (name, "IMAGE", damaged);

            const auto& image = ResourceManager::getImage (name);
            EXPECT_TRUE (image.isNull() || (image.getWidth() <= 16384 && image.getHeight() <= 16384)) << name;
        }
    }
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
