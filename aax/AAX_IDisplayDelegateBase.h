#pragma once

/** The common base of every display delegate, so that the parameter
    interface, which is not a template, can take one of any value type. */
class AAX_IDisplayDelegateBase
{
public:
    virtual ~AAX_IDisplayDelegateBase() = default;
};
