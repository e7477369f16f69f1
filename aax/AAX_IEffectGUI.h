#pragma once

#include "aax/CACFUnknown.h"

/** The effect-GUI interface as a component object: the host-visible table
    first, the reference-counted base second.  The unknown slots forward to
    the outer unknown; the query answers the effect-GUI identifier with this
    object.  Any thread. */
class AAX_IEffectGUI : public AAX_IACFEffectGUI, public CACFUnknown
{
public:
    AAX_Result QueryInterface (const acfUID& iid, void** outInterface) override;
    uint32_t AddRef() override;
    uint32_t Release() override;

    AAX_Result InternalQueryInterface (const acfUID& iid, void** outInterface) override;

    ~AAX_IEffectGUI() override = default;
};
