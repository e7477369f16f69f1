#pragma once

/** The common base of every taper delegate, so that the parameter interface,
    which is not a template, can take a taper of any value type. */
class AAX_ITaperDelegateBase
{
public:
    virtual ~AAX_ITaperDelegateBase() = default;
};
