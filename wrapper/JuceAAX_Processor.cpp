#include "wrapper/JuceAAX_Processor.h"

#include "aax/AAXHostCallGuard.h"
#include "aax/AAX_CBinaryDisplayDelegate.h"
#include "aax/AAX_CBinaryTaperDelegate.h"
#include "aax/AAX_CLinearTaperDelegate.h"
#include "aax/AAX_CNumberDisplayDelegate.h"
#include "aax/AAX_CPacketHandler.h"
#include "aax/AAX_CParameter.h"
#include "aax/AAX_VController.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <mutex>
#include <vector>

// Construction, initialisation and the parameter operations.  The engine's
// legacy index parameters are reached through their decimal identifiers.

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE ("-Wdeprecated-declarations")

namespace AAXClasses
{
namespace
{
constexpr int32_t stemFormatMono = 0x00000001;
constexpr double defaultSampleRate = 48000.0;
// Every engine parameter is continuous, automatable and not inverted: the
// framework's default step count for a parameter that names none.
constexpr uint32_t continuousStepCount = 2147483647u;

float clampUnit (double value) noexcept
{
    return static_cast<float> (std::clamp (value, 0.0, 1.0));
}

juce::String cutToLength (const juce::String& text, int32_t length)
{
    return length > 0 ? text.substring (0, length) : text;
}

// Every live processor of this bundle, so that an interface pointer handed
// back by a host is recognised before it is used as one.
std::mutex liveProcessorsLock;
std::vector<JuceAAX_Processor*> liveProcessors;
} // namespace

JuceAAX_Processor* JuceAAX_Processor::fromEffectParameters (const AAX_IACFEffectParameters* parameters)
{
    if (parameters == nullptr)
        return nullptr;
    const std::lock_guard<std::mutex> lock (liveProcessorsLock);
    for (auto* processor : liveProcessors)
        if (static_cast<const AAX_IACFEffectParameters*> (processor) == parameters)
            return processor;
    return nullptr;
}

IACFUnknown* JuceAAX_Processor::Create()
{
    // An instance that cannot be built is none.
    IACFUnknown* created = nullptr;
    AAXGuardHostCall ([&]
    {
        created = static_cast<AAX_IACFEffectParameters_V2*> (new JuceAAX_Processor());
        return AAX_SUCCESS;
    });
    return created;
}

JuceAAX_Processor::JuceAAX_Processor()
{
    juce::LookAndFeel::getDefaultLookAndFeel().setUsingNativeAlertWindows (true);
    engine = std::make_unique<AudioEngine>();
    midiBuffer.ensureSize ((size_t) midiCapacityBytes);

    const std::lock_guard<std::mutex> lock (liveProcessorsLock);
    liveProcessors.push_back (this);
}

JuceAAX_Processor::~JuceAAX_Processor()
{
    {
        const std::lock_guard<std::mutex> lock (liveProcessorsLock);
        liveProcessors.erase (std::remove (liveProcessors.begin(), liveProcessors.end(), this), liveProcessors.end());
    }

    if (listening)
        engine->removeListener (this);

    // The parameter objects go before the engine whose values they mirror.
    mParameterManager.RemoveAllParameters();
    engine.reset();
}

bool JuceAAX_Processor::hasParameterObject (AAX_CParamID id) const
{
    // The objects exist from Initialize to Uninitialize only.
    return mParameterManager.GetParameterByID (id) != nullptr;
}

int JuceAAX_Processor::indexFromID (AAX_CParamID id) noexcept
{
    if (id == nullptr || *id == '\0' || (id[0] == '0' && id[1] != '\0'))
        return -1;

    int index = 0;
    for (auto* c = id; *c != '\0'; ++c)
    {
        if (*c < '0' || *c > '9' || index >= ParameterTable::numHostParameters)
            return -1;
        index = index * 10 + (*c - '0');
    }
    return index < ParameterTable::numHostParameters ? index : -1;
}

AAX_Result JuceAAX_Processor::EffectInit()
{
    return AAXGuardHostCall ([&]
    {
        {
            auto* parameter = new AAX_CParameter<bool> (kMasterBypassID, AAX_CString ("Master Bypass"), false,
                                                        AAX_CBinaryTaperDelegate<bool>(),
                                                        AAX_CBinaryDisplayDelegate<bool> ("bypass", "on"), true);
            parameter->SetNumberOfSteps (2);
            parameter->SetType (AAX_eParameterType_Discrete);
            mParameterManager.AddParameter (parameter);
            mPacketDispatcher.RegisterPacket (kMasterBypassID, bypassField,
                                              AAX_CPacketHandler<AAX_CPacketDispatcher> (&mPacketDispatcher, &AAX_CPacketDispatcher::GenerateSingleValuePacket));
        }

        for (int index = 0; index < engine->getNumParameters(); ++index)
        {
            const auto id = juce::String (index);
            const auto name = engine->getParameterName (index);
            auto* parameter = new AAX_CParameter<float> (id.toRawUTF8(), AAX_CString (name.substring (0, 31).toRawUTF8()),
                                                         engine->getParameterDefaultValue (index),
                                                         AAX_CLinearTaperDelegate<float, 0> (0.0f, 1.0f),
                                                         AAX_CNumberDisplayDelegate<float, 3u, 0u>(),
                                                         true);
            parameter->AddShortenedName (AAX_CString (name.substring (0, 4).toRawUTF8()));
            parameter->SetNumberOfSteps (continuousStepCount);
            parameter->SetType (AAX_eParameterType_Continuous);
            parameter->SetOrientation (0);
            mParameterManager.AddParameter (parameter);
        }

        // The engine's values so far (its defaults, or settings it read).
        publishEngineParameters();

        double sampleRate = defaultSampleRate;
        int32_t stemFormat = 0;
        if (auto* controller = Controller())
        {
            float hostRate = 0.0f;
            // A rate the engine would ignore plays at the default instead.
            if (controller->GetSampleRate (&hostRate) == AAX_SUCCESS && AudioEngine::isUsableSampleRate (hostRate))
                sampleRate = hostRate;
            controller->GetOutputStemFormat (&stemFormat);
        }
        numChannels = stemFormat == stemFormatMono ? 1 : 2;

        engine->setPlayConfigDetails (numChannels, numChannels, sampleRate, maximumBlockSize);
        engine->setNonRealtime (false);
        engine->prepareToPlay (sampleRate, maximumBlockSize);

        if (auto* controller = Controller())
            controller->SetSignalLatency (engine->getLatencySamples());

        engine->addListener (this);
        listening = true;
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::Uninitialize()
{
    return AAXGuardHostCall ([&]
    {
        if (listening)
            engine->removeListener (this);
        listening = false;
        return AAX_CEffectParameters::Uninitialize();
    });
}

//==============================================================================
void JuceAAX_Processor::setEngineParameter (int index, float value)
{
    if (value != engine->getParameter (index))
        engine->setParameter (index, value);
}

void JuceAAX_Processor::publishEngineParameters()
{
    for (int index = 0; index < ParameterTable::numHostParameters; ++index)
        if (auto* parameter = mParameterManager.GetParameterByID (juce::String (index).toRawUTF8()))
            parameter->UpdateNormalizedValue (engine->getParameter (index));
}

AAX_Result JuceAAX_Processor::GetParameterName (AAX_CParamID id, AAX_IString* outName) const
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::GetParameterName (id, outName);
        if (AAXAnyNull (outName) || ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        outName->Set (engine->getParameterName (index).toRawUTF8());
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::GetParameterNameOfLength (id, outName, length);
        if (AAXAnyNull (outName) || ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        outName->Set (cutToLength (engine->getParameterName (index), length).toRawUTF8());
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::GetParameterDefaultNormalizedValue (id, outValue);
        if (AAXAnyNull (outValue) || ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        *outValue = engine->getParameterDefaultValue (index);
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::GetParameterStringFromValue (id, value, outText, maxLength);
        if (AAXAnyNull (outText) || ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        const auto text = ParameterTable::getEntry (index).text (clampUnit (value));
        outText->Set (cutToLength (text, maxLength).toRawUTF8());
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::GetParameterNormalizedValue (id, outValue);
        if (AAXAnyNull (outValue) || ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        *outValue = engine->getParameter (index);
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::SetParameterNormalizedValue (AAX_CParamID id, double value)
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::SetParameterNormalizedValue (id, value);
        if (! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        const auto newValue = clampUnit (value);
        mParameterManager.GetParameterByID (id)->SetValueWithFloat (newValue);
        setEngineParameter (index, newValue);
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::SetParameterNormalizedRelative (AAX_CParamID id, double delta)
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index < 0)
            return AAX_CEffectParameters::SetParameterNormalizedRelative (id, delta);
        if (! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        return SetParameterNormalizedValue (id, (double) engine->getParameter (index) + delta);
    });
}

AAX_Result JuceAAX_Processor::UpdateParameterNormalizedValue (AAX_CParamID id, double value, int32_t source)
{
    return AAXGuardHostCall ([&]
    {
        const auto index = indexFromID (id);
        if (index >= 0 && ! hasParameterObject (id))
            return AAX_ERROR_NULL_OBJECT;
        const auto result = AAX_CEffectParameters::UpdateParameterNormalizedValue (id, value, source);
        if (result == AAX_SUCCESS && index >= 0)
            setEngineParameter (index, clampUnit (value));
        return result;
    });
}

//==============================================================================
void JuceAAX_Processor::audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value)
{
    if (index < 0 || index >= ParameterTable::numHostParameters)
        return;
    if (auto* parameter = mParameterManager.GetParameterByID (juce::String (index).toRawUTF8()))
        parameter->SetValueWithFloat (value);
}

void JuceAAX_Processor::audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&)
{
    ++mNumPlugInChanges;
    if (auto* controller = Controller())
        controller->SetSignalLatency (engine->getLatencySamples());
}

void JuceAAX_Processor::audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index)
{
    if (index >= 0 && index < ParameterTable::numHostParameters)
        TouchParameter (juce::String (index).toRawUTF8());
}

void JuceAAX_Processor::audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index)
{
    if (index >= 0 && index < ParameterTable::numHostParameters)
        ReleaseParameter (juce::String (index).toRawUTF8());
}
} // namespace AAXClasses

JUCE_END_IGNORE_WARNINGS_GCC_LIKE
