#include "wrapper/GetEffectDescriptions.h"

#include "aax/AAX_ICollection.h"
#include "wrapper/AAXEffectProcedures.h"
#include "wrapper/KestPlugInIdentity.h"

#include <juce_events/juce_events.h>

namespace
{
// Property identifiers and values of a processing variant.
constexpr AAX_CPropertyID propertyManufacturerId = 11;
constexpr AAX_CPropertyID propertyProductId = 12;
constexpr AAX_CPropertyID propertyNativeProcessId = 13;
constexpr AAX_CPropertyID propertyAudioSuiteProcessId = 14;
constexpr AAX_CPropertyID propertyInputStemFormat = 51;
constexpr AAX_CPropertyID propertyOutputStemFormat = 52;
constexpr AAX_CPropertyID propertyCanBypass = 60;
constexpr AAX_CPropertyID propertyUsesClientGUI = 304;

constexpr AAX_CPropertyValue nativeProcessIdBase = 0x6A636161;
constexpr AAX_CPropertyValue audioSuiteProcessIdBase = 0x6A796161;

constexpr AAX_CPropertyValue stemFormatMono = 0x00000001;
constexpr AAX_CPropertyValue stemFormatStereo = 0x00010002;

// Fields of the processing context, in the order the process procedure reads them.
enum ContextField : AAX_CFieldIndex
{
    audioInputs = 0,
    audioOutputs = 1,
    bufferLength = 2,
    bypass = 3,
    midiInput = 4,
    pluginInstance = 5
};

constexpr uint32_t dataPortTypeUnbuffered = 1;
constexpr uint32_t midiNodeTypeLocalInput = 0;
constexpr uint32_t allMidiChannels = 0xFFFF;

void describeVariant (AAX_IEffectDescriptor& effect, int variant, int channels, const AAXEffectProcedures& procedures)
{
    using namespace KestPlugInIdentity;

    auto* component = effect.NewComponentDescriptor();
    if (component == nullptr)
        return;

    component->AddAudioIn (audioInputs);
    component->AddAudioOut (audioOutputs);
    component->AddAudioBufferLength (bufferLength);
    component->AddDataInPort (bypass, sizeof (int32_t), dataPortTypeUnbuffered);
    component->AddMIDINode (midiInput, midiNodeTypeLocalInput, productName, allMidiChannels);
    component->AddPrivateData (pluginInstance, sizeof (void*), 0);

    const auto stemFormat = channels == 1 ? stemFormatMono : stemFormatStereo;
    auto* properties = component->NewPropertyMap();
    properties->AddProperty (propertyManufacturerId, static_cast<AAX_CPropertyValue> (manufacturerCode));
    properties->AddProperty (propertyProductId, static_cast<AAX_CPropertyValue> (productCode));
    properties->AddProperty (propertyCanBypass, 1);
    properties->AddProperty (propertyInputStemFormat, stemFormat);
    properties->AddProperty (propertyOutputStemFormat, stemFormat);
    properties->AddProperty (propertyNativeProcessId, nativeProcessIdBase + variant);
    properties->AddProperty (propertyAudioSuiteProcessId, audioSuiteProcessIdBase + variant);
    properties->AddProperty (propertyUsesClientGUI, 1);

    component->AddProcessProc_Native (procedures.processCallback, properties, nullptr, nullptr, nullptr);
    effect.AddComponent (component);
}
} // namespace

AAX_Result GetEffectDescriptions (AAX_ICollection* collection)
{
    using namespace KestPlugInIdentity;

    const juce::ScopedJuceInitialiser_GUI frameworkInitialiser;
    const auto procedures = AAXEffectProcedures::get();

    auto* effect = collection->NewDescriptor();
    if (effect == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    effect->AddName (fullName);
    effect->AddName (productName);
    effect->AddCategory (instrumentCategory);
    effect->AddProcPtr (reinterpret_cast<void*> (procedures.createGUI), AAXProcID_EffectGUI);
    effect->AddProcPtr (reinterpret_cast<void*> (procedures.createEffectParameters), AAXProcID_EffectParameters);

    describeVariant (*effect, 0, 1, procedures);
    describeVariant (*effect, 1, 2, procedures);

    collection->AddEffect (effectId, effect);
    collection->SetManufacturerName (manufacturerName);
    collection->AddPackageName (fullName);
    collection->AddPackageName (productName);
    collection->SetPackageVersion (packageVersion);
    return AAX_SUCCESS;
}
