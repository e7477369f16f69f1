#pragma once

namespace Korvalden::Parameter
{
/** Hears of a parameter change (index, normalised value).  Called on the
    message thread by whatever binds the parameters to the editor. */
class ParameterChangeCallback
{
public:
    virtual ~ParameterChangeCallback() = default;
    virtual void parameterChanged (int index, float value) = 0;
};
} // namespace Korvalden::Parameter
