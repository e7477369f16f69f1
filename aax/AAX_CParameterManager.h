#pragma once

#include "aax/AAX_IParameter.h"

#include <map>
#include <string>
#include <vector>

class AAX_IAutomationDelegate;

/** The effect's parameter objects, owned, in the order they were added
    (that order is the index the host sees), found by identifier.  No two
    share an identifier.

    No lock: filled in the effect's initialisation, emptied when it is
    uninitialised or destroyed; host calls in between only read it.
*/
class AAX_CParameterManager
{
public:
    AAX_CParameterManager();

    /** Deletes every parameter still held. */
    ~AAX_CParameterManager();

    AAX_CParameterManager (const AAX_CParameterManager&) = delete;
    AAX_CParameterManager& operator= (const AAX_CParameterManager&) = delete;

    /** The delegate handed to parameters added from now on (not owned; null
        for none).  Parameters already held keep theirs. */
    void Initialize (AAX_IAutomationDelegate* automationDelegate);

    int32_t NumParameters() const;

    /** Takes ownership and hands the parameter the automation delegate.  A
        parameter whose identifier is already held is not taken: it stays the
        caller's. */
    void AddParameter (AAX_IParameter* parameter);

    /** Deletes the parameter of that identifier; later ones move down. */
    void RemoveParameterByID (AAX_CParamID id);
    void RemoveParameter (AAX_IParameter* parameter);
    void RemoveAllParameters();

    /** Null for a null or unknown identifier. */
    AAX_IParameter* GetParameterByID (AAX_CParamID id);
    const AAX_IParameter* GetParameterByID (AAX_CParamID id) const;

    /** The insertion index, or -1 for a null or unknown identifier. */
    int32_t GetParameterIndex (AAX_CParamID id) const;

    /** Null for an index out of range. */
    AAX_IParameter* GetParameter (int32_t index);
    const AAX_IParameter* GetParameter (int32_t index) const;

private:
    AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
    std::vector<AAX_IParameter*> mParameters;
    std::map<std::string, AAX_IParameter*> mParametersMap;
};
