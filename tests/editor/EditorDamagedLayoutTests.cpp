#include "EditorFixture.h"

#include "tests/support/ScratchFolder.h"

#include <functional>

namespace
{
// No window is larger than this, nor lies further out.
constexpr int windowLimit = 16384;
constexpr int most = std::numeric_limits<int>::max(), least = std::numeric_limits<int>::min();

void putInt (juce::MemoryBlock& bytes, size_t offset, int value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + (size_t) i] = (char) (((juce::uint32) value >> (8 * i)) & 0xff);
}

/** Writes x, y, width and height into the head of the record whose name is
    name (the head's six ints stand right before the name). */
void damageRecord (juce::MemoryBlock& layout, const juce::String& name, juce::Rectangle<int> bounds)
{
    const auto needle = juce::MemoryBlock (name.toRawUTF8(), name.getNumBytesAsUTF8() + 1);
    for (size_t at = 24; at + needle.getSize() <= layout.getSize(); ++at)
    {
        if (std::memcmp (static_cast<const char*> (layout.getData()) + at, needle.getData(), needle.getSize()) != 0
            || layout[at - 1] != 0)
            continue;
        putInt (layout, at - 20, bounds.getX());
        putInt (layout, at - 16, bounds.getY());
        putInt (layout, at - 12, bounds.getWidth());
        putInt (layout, at - 8, bounds.getHeight());
        return;
    }
    ADD_FAILURE() << "no record " << name;
}

/** Every component under root larger than a window can be. */
juce::StringArray componentsLargerThanAWindow (juce::Component& root)
{
    juce::StringArray larger;
    std::function<void (juce::Component&)> visit = [&] (juce::Component& c) {
        if (c.getWidth() > windowLimit || c.getHeight() > windowLimit)
            larger.add (c.getName() + " " + c.getBounds().toString());
        for (auto* nested : c.getChildren())
            visit (*nested);
    };
    visit (root);
    return larger;
}
} // namespace

/** The editor built from a copy of the bundle whose main layout is damaged. */
class EditorDamagedLayoutTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        ASSERT_TRUE (scratch.wasCreated());
        ASSERT_TRUE (folder.copyDirectoryTo (copy));
        Korvalden::Platform::setResourceFolderForTesting (copy);
        ASSERT_TRUE (layoutFile().loadFileAsData (sound));
        ASSERT_GT (sound.getSize(), 8u);
    }

    juce::File layoutFile() const { return copy.getChildFile (juce::String (EditorNames::mainLayout) + ".COMPONENT"); }

    /** Opens the editor on the damaged layout and lets its posted commands run. */
    void openOn (const juce::MemoryBlock& damaged)
    {
        ASSERT_TRUE (layoutFile().replaceWithData (damaged.getData(), damaged.getSize()));
        auto& editor = openEditor();
        pump (100);
        EXPECT_LE (editor.getWidth(), windowLimit);
        EXPECT_LE (editor.getHeight(), windowLimit);
        const auto larger = componentsLargerThanAWindow (editor);
        EXPECT_TRUE (larger.isEmpty()) << larger.joinIntoString (", ");
        closeEditor();
    }

    ScratchFolder scratch { "kest-damaged-bundle" };
    juce::File copy = scratch.getChildFile ("Resources");
    juce::MemoryBlock sound;
};

TEST_F (EditorDamagedLayoutTest, HugeLayoutSizesGiveAnEditorOfBoundedSize)
{
    auto tall = sound;
    putInt (tall, 4, 507580608);
    openOn (tall);

    auto vast = sound;
    putInt (vast, 0, most);
    putInt (vast, 4, most);
    for (auto* name : { EditorNames::keyboard, EditorNames::presetTree, EditorNames::meterLeft, EditorNames::meterRight,
                        EditorNames::background, EditorNames::keyboardOverlay })
        damageRecord (vast, name, { least, most, most, most });
    openOn (vast);

    auto farOut = sound;
    for (auto* name : { EditorNames::keyboard, EditorNames::presetTree, EditorNames::meterLeft, EditorNames::meterRight })
        damageRecord (farOut, name, { most - 10, most - 10, most, most });
    openOn (farOut);
}

