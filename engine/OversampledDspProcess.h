#pragma once

#include "engine/OversampledDspProcessBase.h"

#include <utility>

namespace Korvalden::DSP
{
/** The oversampler over an inner process of type T, which it creates from the
    constructor's arguments and owns. */
template <typename T>
class OversampledDspProcess : public OversampledDspProcessBase
{
public:
    /** Owner thread. */
    template <typename... Args>
    explicit OversampledDspProcess (Args&&... args)
        : OversampledDspProcessBase (std::make_unique<T> (std::forward<Args> (args)...))
    {
    }

    /** Any thread: the inner process. */
    T& getInner() noexcept { return static_cast<T&> (getInnerProcess()); }
};
} // namespace Korvalden::DSP
