#pragma once

#include "platform/AAXHostInterfaces.h"

#include <atomic>

/** The reference-counted base of every object handed to the host as a
    component.

    A subclass derives from its host-visible interface and from this class;
    the interface's three unknown slots forward to GetOuterUnknown(), and the
    subclass overrides InternalQueryInterface for the identifiers it answers.
    The object is created with a count of 0; the Release that brings the count
    back to 0 calls FinalRelease and deletes the object.

    Every live object is counted process-wide, so that the host can ask whether
    the bundle may be unloaded.  Counts change atomically: references may be
    added and dropped on any thread.
*/
class CACFUnknown
{
public:
    /** Any thread. */
    CACFUnknown();

    /** With an aggregating object's unknown; null behaves as no outer unknown.
        Any thread. */
    explicit CACFUnknown (IACFUnknown* outerUnknown);

    CACFUnknown (const CACFUnknown&) = delete;
    CACFUnknown& operator= (const CACFUnknown&) = delete;

    /** Lowers the live-object count.  The thread of the last Release. */
    virtual ~CACFUnknown();

    /** Hook for work after construction; answers AAX_SUCCESS. */
    virtual AAX_Result FinalConstruct();

    /** Hook called just before deletion; does nothing. */
    virtual void FinalRelease();

    /** Deletes the object through its virtual destructor. */
    virtual void DeleteThis();

    /** Answers the unknown identifier with the inner unknown (adding one
        reference); any other identifier gets ACF_E_NOINTERFACE and a null out
        pointer.  Any thread. */
    virtual AAX_Result InternalQueryInterface (const acfUID& iid, void** outInterface);

    /** Adds one reference; returns the new count.  Any thread. */
    virtual uint32_t InternalAddRef();

    /** Drops one reference; the caller whose release reaches 0 finalises and
        deletes the object.  Returns the new count.  Any thread. */
    virtual uint32_t InternalRelease();

    /** The number of component objects alive in this process.  Any thread. */
    static uint32_t GetActiveObjectCount();

    /** Atomic increment and decrement, each returning the new value. */
    static uint32_t AtomicIncrement (std::atomic<uint32_t>& counter);
    static uint32_t AtomicDecrement (std::atomic<uint32_t>& counter);
    static uint32_t IncrementActiveObjectCount();
    static uint32_t DecrementActiveObjectCount();

protected:
    /** Where the public interfaces' unknown slots forward to. */
    IACFUnknown* GetOuterUnknown() const noexcept { return outerUnknown; }

    /** The non-delegating unknown that owns the count. */
    IACFUnknown* GetPrivateUnknown() noexcept { return &privateUnknown; }

private:
    class PrivateUnknown final : public IACFUnknown
    {
    public:
        explicit PrivateUnknown (CACFUnknown& ownerToUse) : owner (&ownerToUse) {}

        AAX_Result QueryInterface (const acfUID& iid, void** outInterface) override;
        uint32_t AddRef() override;
        uint32_t Release() override;

    private:
        CACFUnknown* owner;
    };

    std::atomic<uint32_t> referenceCount { 0 };
    IACFUnknown* outerUnknown;
    PrivateUnknown privateUnknown { *this };
};
