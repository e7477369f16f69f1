#include "aax/CACFUnknown.h"

namespace
{
std::atomic<uint32_t> activeObjectCount { 0 };
}

CACFUnknown::CACFUnknown() : CACFUnknown (nullptr) {}

CACFUnknown::CACFUnknown (IACFUnknown* outer)
    : outerUnknown (outer != nullptr ? outer : &privateUnknown)
{
    IncrementActiveObjectCount();
}

CACFUnknown::~CACFUnknown()
{
    DecrementActiveObjectCount();
}

AAX_Result CACFUnknown::FinalConstruct() { return AAX_SUCCESS; }

void CACFUnknown::FinalRelease() {}

void CACFUnknown::DeleteThis()
{
    delete this;
}

AAX_Result CACFUnknown::InternalQueryInterface (const acfUID& iid, void** outInterface)
{
    *outInterface = nullptr;
    if (iid == IID_IACFUnknown)
    {
        *outInterface = &privateUnknown;
        privateUnknown.AddRef();
        return AAX_SUCCESS;
    }
    return ACF_E_NOINTERFACE;
}

uint32_t CACFUnknown::InternalAddRef()
{
    return AtomicIncrement (referenceCount);
}

uint32_t CACFUnknown::InternalRelease()
{
    const auto count = AtomicDecrement (referenceCount);
    if (count == 0)
    {
        FinalRelease();
        DeleteThis();
    }
    return count;
}

uint32_t CACFUnknown::GetActiveObjectCount()
{
    return activeObjectCount.load();
}

uint32_t CACFUnknown::AtomicIncrement (std::atomic<uint32_t>& counter)
{
    return counter.fetch_add (1) + 1;
}

uint32_t CACFUnknown::AtomicDecrement (std::atomic<uint32_t>& counter)
{
    return counter.fetch_sub (1) - 1;
}

uint32_t CACFUnknown::IncrementActiveObjectCount() { return AtomicIncrement (activeObjectCount); }
uint32_t CACFUnknown::DecrementActiveObjectCount() { return AtomicDecrement (activeObjectCount); }

AAX_Result CACFUnknown::PrivateUnknown::QueryInterface (const acfUID& iid, void** outInterface)
{
    return owner->InternalQueryInterface (iid, outInterface);
}

uint32_t CACFUnknown::PrivateUnknown::AddRef() { return owner->InternalAddRef(); }
uint32_t CACFUnknown::PrivateUnknown::Release() { return owner->InternalRelease(); }
