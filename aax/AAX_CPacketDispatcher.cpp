#include "aax/AAX_CPacketDispatcher.h"

#include "aax/AAX_CEffectParameters.h"
#include "aax/AAX_IController.h"

#include <cstring>

/** Takes the dispatcher's mutex unless this thread already holds it, and
    releases it on leaving only when it took it, exceptions included. */
class AAX_CPacketDispatcher::ScopedLock
{
public:
    explicit ScopedLock (AAX_CMutex& mutexToUse) : mutex (mutexToUse), locked (mutex.Lock()) {}

    ~ScopedLock()
    {
        if (locked)
            mutex.Unlock();
    }

    ScopedLock (const ScopedLock&) = delete;
    ScopedLock& operator= (const ScopedLock&) = delete;

private:
    AAX_CMutex& mutex;
    bool locked;
};

AAX_CPacketDispatcher::AAX_CPacketDispatcher() = default;

AAX_CPacketDispatcher::~AAX_CPacketDispatcher()
{
    const ScopedLock lock (mLockGuard);
    mPacketsByField.clear();
    mPacketsHandlers.clear();
}

void AAX_CPacketDispatcher::Initialize (AAX_IController* controller, AAX_CEffectParameters* owner)
{
    mController = controller;
    mOwner = owner;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket (AAX_CParamID id, AAX_CFieldIndex fieldIndex, const AAX_IPacketHandler& handler)
{
    const ScopedLock lock (mLockGuard);

    auto& packet = mPacketsByField[fieldIndex];
    if (packet == nullptr)
        packet = std::make_unique<AAX_CPacket> (fieldIndex);

    std::unique_ptr<AAX_IPacketHandler> clone (handler.Clone());
    mPacketsHandlers.emplace (id != nullptr ? id : "", Registration (packet.get(), std::move (clone)));
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::SetDirty (AAX_CParamID id, bool dirty)
{
    if (id == nullptr)
        return AAX_SUCCESS;

    const ScopedLock lock (mLockGuard);
    const auto range = mPacketsHandlers.equal_range (id);
    for (auto registration = range.first; registration != range.second; ++registration)
        registration->second.first->SetDirty (dirty);
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::Dispatch()
{
    const ScopedLock lock (mLockGuard);

    AAX_Result result = AAX_SUCCESS;
    for (auto& [id, registration] : mPacketsHandlers)
    {
        auto& packet = *registration.first;
        if (! packet.IsDirty())
            continue;

        if (registration.second->CallHandler (id.c_str(), packet) == AAX_SUCCESS)
            result = mController != nullptr ? mController->PostPacket (packet.GetID(), packet.GetPayload(), packet.GetSize())
                                             : AAX_ERROR_NULL_OBJECT;
        packet.SetDirty (false);
    }
    return result;
}

AAX_Result AAX_CPacketDispatcher::GenerateSingleValuePacket (AAX_CParamID id, AAX_CPacket& packet)
{
    AAX_IParameter* parameter = nullptr;
    if (mOwner == nullptr || mOwner->GetParameter (id, &parameter) != AAX_SUCCESS || parameter == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    auto store = [&packet] (const auto& value)
    {
        packet.SetSize (sizeof (value));
        std::memcpy (packet.ResizeAndGetPayload (sizeof (value)), &value, sizeof (value));
        return AAX_SUCCESS;
    };

    bool boolValue = false;
    float floatValue = 0.0f;
    int32_t intValue = 0;
    double doubleValue = 0.0;

    if (parameter->GetValueAsBool (&boolValue))
        return store (static_cast<int32_t> (boolValue ? 1 : 0));
    if (parameter->GetValueAsFloat (&floatValue))
        return store (floatValue);
    if (parameter->GetValueAsInt32 (&intValue))
        return store (intValue);
    if (parameter->GetValueAsDouble (&doubleValue))
        return store (doubleValue);
    return AAX_ERROR_NULL_OBJECT;
}
