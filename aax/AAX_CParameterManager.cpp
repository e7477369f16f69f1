#include "aax/AAX_CParameterManager.h"

#include <algorithm>
#include <cstring>

AAX_CParameterManager::AAX_CParameterManager() = default;

AAX_CParameterManager::~AAX_CParameterManager()
{
    RemoveAllParameters();
}

void AAX_CParameterManager::Initialize (AAX_IAutomationDelegate* automationDelegate)
{
    mAutomationDelegate = automationDelegate;
}

int32_t AAX_CParameterManager::NumParameters() const
{
    return static_cast<int32_t> (mParameters.size());
}

void AAX_CParameterManager::AddParameter (AAX_IParameter* parameter)
{
    if (parameter == nullptr || GetParameterByID (parameter->Identifier()) != nullptr)
        return;

    parameter->SetAutomationDelegate (mAutomationDelegate);
    mParameters.push_back (parameter);
    mParametersMap.emplace (parameter->Identifier(), parameter);
}

void AAX_CParameterManager::RemoveParameterByID (AAX_CParamID id)
{
    const auto index = GetParameterIndex (id);
    if (index < 0)
        return;

    auto* parameter = mParameters[static_cast<size_t> (index)];
    mParameters.erase (mParameters.begin() + index);
    mParametersMap.erase (id);
    delete parameter;
}

void AAX_CParameterManager::RemoveParameter (AAX_IParameter* parameter)
{
    if (parameter != nullptr)
        RemoveParameterByID (parameter->Identifier());
}

void AAX_CParameterManager::RemoveAllParameters()
{
    for (auto* parameter : mParameters)
        delete parameter;
    mParameters.clear();
    mParametersMap.clear();
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID id)
{
    return const_cast<AAX_IParameter*> (static_cast<const AAX_CParameterManager&> (*this).GetParameterByID (id));
}

const AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID id) const
{
    if (id == nullptr)
        return nullptr;
    const auto found = mParametersMap.find (id);
    return found != mParametersMap.end() ? found->second : nullptr;
}

int32_t AAX_CParameterManager::GetParameterIndex (AAX_CParamID id) const
{
    if (id == nullptr)
        return -1;
    for (size_t i = 0; i < mParameters.size(); ++i)
        if (std::strcmp (mParameters[i]->Identifier(), id) == 0)
            return static_cast<int32_t> (i);
    return -1;
}

AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index)
{
    return const_cast<AAX_IParameter*> (static_cast<const AAX_CParameterManager&> (*this).GetParameter (index));
}

const AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index) const
{
    if (index < 0 || index >= NumParameters())
        return nullptr;
    return mParameters[static_cast<size_t> (index)];
}
