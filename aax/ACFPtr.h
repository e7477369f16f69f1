#pragma once

#include "platform/AAXHostInterfaces.h"

/** Holds one reference to a host interface and releases it when reset or
    destroyed.  Reaching through an empty pointer throws ACF_E_POINTER as an
    integer; callers test the pointer first, so the throw is only a backstop.

    Any thread, one at a time.
*/
template <typename Interface>
class ACFPtr
{
public:
    ACFPtr() = default;
    ~ACFPtr() { reset(); }

    ACFPtr (const ACFPtr&) = delete;
    ACFPtr& operator= (const ACFPtr&) = delete;

    Interface* get() const noexcept { return pointer; }
    explicit operator bool() const noexcept { return pointer != nullptr; }

    Interface* operator->() const
    {
        if (pointer == nullptr)
            throw ACF_E_POINTER;
        return pointer;
    }

    /** Releases the held interface, if any, and empties the pointer. */
    void reset() noexcept
    {
        if (auto* held = pointer)
        {
            pointer = nullptr;
            held->Release();
        }
    }

    /** Holds interface (which may be null) with a reference of its own. */
    void holdAddingReference (Interface* interface)
    {
        reset();
        if (interface != nullptr)
            interface->AddRef();
        pointer = interface;
    }

    /** Empties the pointer and hands out its address for a host call that
        writes an interface carrying one reference. */
    void** outArgument() noexcept
    {
        reset();
        return reinterpret_cast<void**> (&pointer);
    }

private:
    Interface* pointer = nullptr;
};
