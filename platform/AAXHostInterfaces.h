#pragma once

// The host's side of the plug-in format: the component-framework interfaces
// the host hands to the plug-in, their identifiers, slots and result codes.
//
// The host calls through these tables by slot number, so the declaration
// order below is the binary interface.  None of them has a virtual destructor
// (that would take slots); objects behind them are destroyed by their last
// Release.  Where a slot's argument types were ours to choose, they are the
// plainest C types that carry the values.

#include <cstddef>
#include <cstdint>

using AAX_Result = int32_t;

//==============================================================================
// Result codes
constexpr AAX_Result AAX_SUCCESS = 0;
constexpr AAX_Result AAX_ERROR_INVALID_PARAMETER_ID = -20001;
constexpr AAX_Result AAX_ERROR_INVALID_STRING_CONVERSION = -20002;
constexpr AAX_Result AAX_ERROR_NULL_OBJECT = -20004;
constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_INDEX = -20006;
constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_ID = -20007;
constexpr AAX_Result AAX_ERROR_INCORRECT_CHUNK_SIZE = -20008;
constexpr AAX_Result AAX_ERROR_UNIMPLEMENTED = -20009;
constexpr AAX_Result AAX_ERROR_NOT_INITIALIZED = -20011;
constexpr AAX_Result ACF_E_NOINTERFACE = static_cast<AAX_Result> (0x80000004u);
constexpr AAX_Result ACF_E_POINTER = static_cast<AAX_Result> (0x80000005u);
constexpr AAX_Result ACF_E_UNEXPECTED = static_cast<AAX_Result> (0x8000FFFFu);

constexpr uint64_t AAX_SDK_VERSION = 0x000002000061125Cull;

//==============================================================================
/** A 16-byte interface or component identifier.  Equal when all bytes are. */
struct acfUID
{
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

inline bool operator== (const acfUID& a, const acfUID& b)
{
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.data4[i] != b.data4[i])
            return false;
    return true;
}

inline bool operator!= (const acfUID& a, const acfUID& b) { return ! (a == b); }

// Component framework
constexpr acfUID IID_IACFUnknown { 0x00000000, 0x0000, 0x0000, { 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46 } };
constexpr acfUID IID_IACFComponentFactory { 0x382B6A96, 0x7FD0, 0x11D6, { 0xBC, 0xFE, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24 } };
constexpr acfUID IID_IACFPluginDefinition { 0x00EEF015, 0x7FD0, 0x11D6, { 0x84, 0x85, 0x00, 0x30, 0x65, 0x42, 0xA0, 0x24 } };

// Host services
constexpr acfUID AAXCompID_HostServices { 0x88882C2D, 0xEBBC, 0x42EF, { 0xC0, 0xAB, 0x89, 0x81, 0xB0, 0xBD, 0x0C, 0xCA } };
constexpr acfUID IID_IAAXHostServicesV1 { 0x96D42C2D, 0xEBBC, 0x41EF, { 0xB0, 0xAB, 0x99, 0x91, 0xA0, 0xED, 0x0C, 0xCA } };

// Description objects
constexpr acfUID AAXCompID_AAXCollection { 0x89882C2D, 0x77BC, 0x42EF, { 0x70, 0x7B, 0x79, 0x81, 0xB7, 0xBD, 0x0C, 0xCA } };
constexpr acfUID IID_IAAXCollectionV1 { 0x96D42C2D, 0xEBBC, 0x41DF, { 0xB1, 0xAB, 0x99, 0x91, 0xA2, 0xEE, 0x0C, 0xCA } };
constexpr acfUID AAXCompID_EffectDescriptor { 0x89872C2D, 0x75BC, 0x423F, { 0x40, 0x1B, 0xF9, 0xA1, 0xBA, 0xAD, 0x0C, 0xCA } };
constexpr acfUID IID_IAAXEffectDescriptorV1 { 0x96D42C2D, 0xEBBC, 0x41EF, { 0xD1, 0xCB, 0x49, 0x94, 0x42, 0xE4, 0x0F, 0xDA } };
constexpr acfUID IID_IAAXEffectDescriptorV2 { 0x41ECCC52, 0x416B, 0x4072, { 0x84, 0xBD, 0x40, 0xB0, 0x52, 0x10, 0xA7, 0x4C } };
constexpr acfUID AAXCompID_ComponentDescriptor { 0x94872C3D, 0x95BC, 0x413D, { 0xD0, 0xDB, 0xD9, 0xB1, 0x2A, 0xAD, 0x0C, 0xCA } };
constexpr acfUID IID_IAAXComponentDescriptorV1 { 0x96E42C2D, 0xE2BC, 0x51EF, { 0x61, 0xC7, 0x48, 0x99, 0x4A, 0xEB, 0x0C, 0xDA } };
constexpr acfUID IID_IAAXComponentDescriptorV2 { 0x1895259E, 0xAAA9, 0x4F0F, { 0xA9, 0x85, 0x14, 0x98, 0x37, 0xB7, 0x6F, 0x89 } };
constexpr acfUID AAXCompID_PropertyMap { 0xA587AD3D, 0xD53C, 0x4ADC, { 0xD0, 0xDD, 0xD9, 0xD1, 0x2D, 0xDD, 0xDC, 0xDA } };
constexpr acfUID IID_IAAXPropertyMapV1 { 0x96EE2C2D, 0xEECC, 0x5EFF, { 0xE2, 0xD7, 0xE8, 0x49, 0xE3, 0xE2, 0xEE, 0xEE } };
constexpr acfUID IID_IAAXPropertyMapV2 { 0x7177DF80, 0x7C9C, 0x11E2, { 0xB9, 0x2A, 0x08, 0x00, 0x20, 0x0C, 0x9A, 0x66 } };

// Interfaces the host offers an instance
constexpr acfUID IID_IAAXControllerV1 { 0x9D5E3E3D, 0x52DC, 0x5EFB, { 0x20, 0x18, 0xDE, 0x1D, 0xE2, 0xE6, 0x3F, 0x4E } };
constexpr acfUID IID_IAAXControllerV2 { 0x4C59AA0E, 0xD7C0, 0x4205, { 0x8B, 0x6C, 0x32, 0x46, 0x8D, 0x42, 0xD2, 0x02 } };
constexpr acfUID IID_IAAXTransportV1 { 0x5CEE4EF4, 0x6337, 0x4359, { 0xB6, 0x3B, 0xFE, 0x58, 0xDC, 0x36, 0x54, 0x3A } };
constexpr acfUID IID_IAAXTransportV2 { 0x203CBD9F, 0x982C, 0x4FE6, { 0xA8, 0x27, 0x07, 0x48, 0x02, 0x57, 0xAE, 0xC3 } };
constexpr acfUID IID_IAAXAutomationDelegateV1 { 0x9D5E3D3D, 0x42DC, 0x5EFA, { 0x22, 0x17, 0xEE, 0xE2, 0xE8, 0xE5, 0x3E, 0x2E } };
constexpr acfUID IID_IAAXViewContainerV1 { 0x22DA0BBC, 0xD550, 0x4D5E, { 0x8C, 0xC6, 0x73, 0x44, 0x83, 0xB8, 0x83, 0x7F } };

// Interfaces an instance offers the host
constexpr acfUID IID_IAAXEffectParametersV1 { 0x964E333D, 0x334C, 0x533F, { 0xC2, 0xC7, 0x38, 0x34, 0xC3, 0xC2, 0x3E, 0x3E } };
constexpr acfUID IID_IAAXEffectParametersV2 { 0xF1F47D06, 0x308F, 0x4CC5, { 0x9C, 0x7C, 0x50, 0xA8, 0x3F, 0x8A, 0xB8, 0x13 } };
constexpr acfUID IID_IAAXEffectGUIV1 { 0x964E323D, 0x424C, 0x5E1A, { 0x22, 0x27, 0x28, 0x24, 0x23, 0x22, 0x2E, 0x1E } };

//==============================================================================
// Small value types that cross the interfaces
using AAX_CParamID = const char*;
using AAX_CFieldIndex = uint32_t;
using AAX_CPropertyID = uint32_t;
using AAX_CPropertyValue = int32_t;
using AAX_CBoolean = uint8_t;
using AAX_CTypeID = uint32_t;

class AAX_IString; // the layer's string interface; hosts write results into it
class AAX_IParameter; // the layer's parameter object, handed out by GetParameter
class IACFUnknown;

/** A plug-in chunk as host and plug-in exchange it: a 56-byte header in the
    machine's byte order, then fSize bytes of data.  The host supplies the
    memory; it holds at least as many data bytes as the chunk-size call
    reported. */
struct AAX_SPlugInChunk
{
    int32_t fSize;
    int32_t fVersion;
    uint32_t fManufacturerID;
    uint32_t fProductID;
    uint32_t fPlugInID;
    AAX_CTypeID fChunkID;
    char fName[32];
    char fData[1];
};

constexpr uint32_t AAX_SPlugInChunkHeaderSize = 56;
static_assert (offsetof (AAX_SPlugInChunk, fData) == AAX_SPlugInChunkHeaderSize, "chunk data follows a 56-byte header");

/** A plug-in's identity as the host files it. */
struct AAX_SPlugInIdentifierTriad
{
    uint32_t manufacturerId;
    uint32_t productId;
    uint32_t plugInId;
};

/** One MIDI message as the host queues it for an instance. */
struct AAX_CMidiPacket
{
    uint32_t timestamp;
    uint32_t length;
    uint8_t data[4];
    AAX_CBoolean isImmediate;
};

/** A view size: vertical extent first, then horizontal. */
struct AAX_Point
{
    float vert;
    float horz;
};

/** A rectangle of a view, in pixels. */
struct AAX_Rect
{
    float top;
    float left;
    float width;
    float height;
};

/** What a view container holds, as its GetType answers.  The native view of
    a macOS host, or (on this platform) an X11 window whose identifier GetPtr
    answers. */
constexpr int32_t AAX_eViewContainer_Type_NULL = 0;
constexpr int32_t AAX_eViewContainer_Type_NSView = 1;
constexpr int32_t AAX_eViewContainer_Type_X11Window = 4;

using AAX_CreateObjectProc = IACFUnknown* (*)();
using AAX_ProcessProc = void (*) (void* const instances[], const void* instancesEnd);
using AAX_InitProc = int32_t (*) (const void* instance, int32_t action);
using AAX_BackgroundProc = int32_t (*)();

//==============================================================================
class IACFUnknown
{
public:
    virtual AAX_Result QueryInterface (const acfUID& iid, void** outInterface) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;
};

class IACFComponentFactory : public IACFUnknown
{
public:
    virtual AAX_Result CreateInstance (const acfUID& componentId, IACFUnknown* outer, const acfUID& iid, void** outInterface) = 0;
};

/** The host's record of a registered plug-in; nothing beyond the unknown. */
class IACFPluginDefinition : public IACFUnknown
{
};

/** What ACFRegisterComponent would hand out; never written by this plug-in. */
class IACFComponentDefinition : public IACFUnknown
{
};

class AAX_IACFHostServices : public IACFUnknown
{
public:
    virtual AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note) = 0;
    virtual AAX_Result Trace (int32_t priority, const char* message) = 0;
};

//==============================================================================
class AAX_IACFPropertyMap : public IACFUnknown
{
public:
    /** Answers a value other than 0 when the property is present. */
    virtual int32_t GetProperty (AAX_CPropertyID id, AAX_CPropertyValue* outValue) = 0;
    virtual AAX_Result AddProperty (AAX_CPropertyID id, AAX_CPropertyValue value) = 0;
    virtual AAX_Result RemoveProperty (AAX_CPropertyID id) = 0;
};

class AAX_IACFPropertyMap_V2 : public AAX_IACFPropertyMap
{
public:
    virtual AAX_Result AddPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad* ids, uint32_t count) = 0;
    virtual int32_t GetPropertyWithIDArray (AAX_CPropertyID id, const AAX_SPlugInIdentifierTriad** outIds, uint32_t* outCount) = 0;
};

class AAX_IACFComponentDescriptor : public IACFUnknown
{
public:
    virtual AAX_Result Clear() = 0;
    virtual AAX_Result AddReservedField (AAX_CFieldIndex field, uint32_t fieldType) = 0;
    virtual AAX_Result AddAudioIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioOut (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddAudioBufferLength (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSampleRate (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddClock (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddSideChainIn (AAX_CFieldIndex field) = 0;
    virtual AAX_Result AddDataInPort (AAX_CFieldIndex field, uint32_t packetSize, uint32_t portType) = 0;
    virtual AAX_Result AddAuxOutputStem (AAX_CFieldIndex field, int32_t stemFormat, const char* name) = 0;
    virtual AAX_Result AddPrivateData (AAX_CFieldIndex field, int32_t size, uint32_t options) = 0;
    virtual AAX_Result AddDmaInstance (AAX_CFieldIndex field, uint32_t mode) = 0;
    virtual AAX_Result AddMIDINode (AAX_CFieldIndex field, uint32_t nodeType, const char* name, uint32_t channelMask) = 0;
    virtual AAX_Result AddProcessProc_Native (AAX_ProcessProc process, AAX_IACFPropertyMap* properties, AAX_InitProc init, AAX_BackgroundProc background, uint32_t* outProcId) = 0;
    virtual AAX_Result AddProcessProc_TI (const char* libraryName, const char* processSymbol, AAX_IACFPropertyMap* properties, const char* initSymbol, const char* backgroundSymbol) = 0;
    virtual AAX_Result AddMeters (AAX_CFieldIndex field, const uint32_t* meterIds, uint32_t count) = 0;
};

class AAX_IACFComponentDescriptor_V2 : public AAX_IACFComponentDescriptor
{
public:
    virtual AAX_Result AddTemporaryData (AAX_CFieldIndex field, uint32_t elementSize) = 0;
};

class AAX_IACFEffectDescriptor : public IACFUnknown
{
public:
    virtual AAX_Result AddComponent (AAX_IACFComponentDescriptor* component) = 0;
    virtual AAX_Result AddName (const char* name) = 0;
    virtual AAX_Result AddCategory (uint32_t category) = 0;
    virtual AAX_Result AddCategoryBypassParameter (uint32_t category, AAX_CParamID parameterId) = 0;
    virtual AAX_Result AddProcPtr (void* procedure, uint32_t procId) = 0;
    virtual AAX_Result SetProperties (AAX_IACFPropertyMap* properties) = 0;
    virtual AAX_Result AddResourceInfo (uint32_t resourceType, const char* info) = 0;
    virtual AAX_Result AddMeterDescription (uint32_t meterId, const char* name, AAX_IACFPropertyMap* properties) = 0;
};

class AAX_IACFEffectDescriptor_V2 : public AAX_IACFEffectDescriptor
{
public:
    virtual AAX_Result AddControlMIDINode (uint32_t nodeId, uint32_t nodeType, const char* name, uint32_t channelMask) = 0;
};

class AAX_IACFCollection : public IACFUnknown
{
public:
    // Slots 3 to 6 belong to the host; the plug-in never calls them.
    virtual AAX_Result HostReserved3() = 0;
    virtual AAX_Result HostReserved4() = 0;
    virtual AAX_Result HostReserved5() = 0;
    virtual AAX_Result HostReserved6() = 0;
    virtual AAX_Result AddEffect (const char* effectId, AAX_IACFEffectDescriptor* effect) = 0;
    virtual AAX_Result SetManufacturerName (const char* name) = 0;
    virtual AAX_Result AddPackageName (const char* name) = 0;
    virtual AAX_Result SetPackageVersion (uint32_t version) = 0;
    virtual AAX_Result SetProperties (AAX_IACFPropertyMap* properties) = 0;
};

//==============================================================================
class AAX_IACFController : public IACFUnknown
{
public:
    virtual AAX_Result GetEffectID (AAX_IString* outEffectId) = 0;
    virtual AAX_Result GetSampleRate (float* outSampleRate) = 0;
    virtual AAX_Result GetInputStemFormat (int32_t* outStemFormat) = 0;
    virtual AAX_Result GetOutputStemFormat (int32_t* outStemFormat) = 0;
    virtual AAX_Result GetSignalLatency (int32_t* outSamples) = 0;
    virtual AAX_Result GetCycleCount (int32_t which, int32_t* outCycles) = 0;
    virtual AAX_Result GetTODLocation (int64_t* outLocation) = 0;
    virtual AAX_Result SetSignalLatency (int32_t samples) = 0;
    virtual AAX_Result SetCycleCount (int32_t* which, int32_t* values, int32_t count) = 0;
    virtual AAX_Result PostPacket (AAX_CFieldIndex field, const void* payload, uint32_t size) = 0;
    virtual AAX_Result GetCurrentMeterValue (int32_t meterId, float* outValue) = 0;
    virtual AAX_Result GetMeterPeakValue (int32_t meterId, float* outValue) = 0;
    virtual AAX_Result ClearMeterPeakValue (int32_t meterId) = 0;
    virtual AAX_Result GetMeterClipped (int32_t meterId, AAX_CBoolean* outClipped) = 0;
    virtual AAX_Result ClearMeterClipped (int32_t meterId) = 0;
    virtual AAX_Result GetMeterCount (uint32_t* outCount) = 0;
    virtual AAX_Result GetNextMIDIPacket (int32_t* outPort, AAX_CMidiPacket* outPacket) = 0;
};

class AAX_IACFController_V2 : public AAX_IACFController
{
public:
    virtual AAX_Result SendNotification (int32_t type, const void* data, int32_t size) = 0;
    virtual AAX_Result GetHybridSignalLatency (int32_t* outSamples) = 0;
    virtual AAX_Result GetCurrentAutomationTimestamp (int64_t* outTimestamp) = 0;
    virtual AAX_Result GetHostName (AAX_IString* outName) = 0;
};

class AAX_IACFTransport : public IACFUnknown
{
public:
    virtual AAX_Result GetCurrentTempo (double* outBeatsPerMinute) = 0;
    virtual AAX_Result GetCurrentMeter (int32_t* outNumerator, int32_t* outDenominator) = 0;
    virtual AAX_Result IsTransportPlaying (bool* outPlaying) = 0;
    virtual AAX_Result GetCurrentTickPosition (int64_t* outTicks) = 0;
    virtual AAX_Result GetCurrentLoopPosition (bool* outLooping, int64_t* outStartTick, int64_t* outEndTick) = 0;
    virtual AAX_Result GetCurrentNativeSampleLocation (int64_t* outSamples) = 0;
    virtual AAX_Result GetCustomTickPosition (int64_t* outTicks, int64_t sampleLocation) = 0;
    virtual AAX_Result GetBarBeatPosition (int32_t* outBars, int32_t* outBeats, int64_t* outDisplayTicks, int64_t sampleLocation) = 0;
    virtual AAX_Result GetTicksPerQuarter (uint32_t* outTicks) = 0;
    virtual AAX_Result GetCurrentTicksPerBeat (uint32_t* outTicks) = 0;
};

class AAX_IACFTransport_V2 : public AAX_IACFTransport
{
public:
    virtual AAX_Result GetTimelineSelectionStartPosition (int64_t* outSamples) = 0;
    virtual AAX_Result GetTimeCodeInfo (int32_t* outFrameRate, int32_t* outOffset) = 0;
    virtual AAX_Result GetFeetFramesInfo (int32_t* outFeetFramesRate, int64_t* outOffset) = 0;
};

class AAX_IACFAutomationDelegate : public IACFUnknown
{
public:
    virtual AAX_Result RegisterParameter (AAX_CParamID id) = 0;
    virtual AAX_Result UnregisterParameter (AAX_CParamID id) = 0;
    virtual AAX_Result PostSetValueRequest (AAX_CParamID id, double normalizedValue) = 0;
    virtual AAX_Result PostCurrentValue (AAX_CParamID id, double normalizedValue) = 0;
    virtual AAX_Result PostTouchRequest (AAX_CParamID id) = 0;
    virtual AAX_Result PostReleaseRequest (AAX_CParamID id) = 0;
    virtual AAX_Result GetTouchState (AAX_CParamID id, AAX_CBoolean* outTouched) = 0;
};

class AAX_IACFViewContainer : public IACFUnknown
{
public:
    virtual int32_t GetType() = 0;
    virtual void* GetPtr() = 0;
    virtual AAX_Result GetModifiers (uint32_t* outModifiers) = 0;
    virtual AAX_Result SetViewSize (AAX_Point& size) = 0;
    virtual AAX_Result HandleParameterMouseDown (AAX_CParamID id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseDrag (AAX_CParamID id, uint32_t modifiers) = 0;
    virtual AAX_Result HandleParameterMouseUp (AAX_CParamID id, uint32_t modifiers) = 0;
};

//==============================================================================
/** The instance's data model as the host sees it: parameters by identifier,
    chunks, notifications and coefficient packets. */
class AAX_IACFEffectParameters : public IACFUnknown
{
public:
    virtual AAX_Result Initialize (IACFUnknown* hostUnknown) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;
    virtual AAX_Result GetNumberOfParameters (int32_t* outCount) const = 0;
    virtual AAX_Result GetMasterBypassParameter (AAX_IString* outId) const = 0;
    virtual AAX_Result GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const = 0;
    virtual AAX_Result GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outSteps) const = 0;
    virtual AAX_Result GetParameterName (AAX_CParamID id, AAX_IString* outName) const = 0;
    virtual AAX_Result GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const = 0;
    virtual AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const = 0;
    virtual AAX_Result SetParameterDefaultNormalizedValue (AAX_CParamID id, double value) = 0;
    virtual AAX_Result GetParameterType (AAX_CParamID id, int32_t* outType) const = 0;
    virtual AAX_Result GetParameterOrientation (AAX_CParamID id, int32_t* outOrientation) const = 0;
    virtual AAX_Result GetParameter (AAX_CParamID id, AAX_IParameter** outParameter) = 0;
    virtual AAX_Result GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const = 0;
    virtual AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* outId) const = 0;
    virtual AAX_Result GetParameterValueInfo (AAX_CParamID id, int32_t selector, int32_t* outValue) const = 0;
    virtual AAX_Result GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const = 0;
    virtual AAX_Result GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const = 0;
    virtual AAX_Result GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const = 0;
    virtual AAX_Result SetParameterNormalizedValue (AAX_CParamID id, double value) = 0;
    virtual AAX_Result SetParameterNormalizedRelative (AAX_CParamID id, double delta) = 0;
    virtual AAX_Result TouchParameter (AAX_CParamID id) = 0;
    virtual AAX_Result ReleaseParameter (AAX_CParamID id) = 0;
    virtual AAX_Result UpdateParameterTouch (AAX_CParamID id, AAX_CBoolean touched) = 0;
    virtual AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, int32_t source) = 0;
    virtual AAX_Result UpdateParameterNormalizedRelative (AAX_CParamID id, double delta) = 0;
    virtual AAX_Result GenerateCoefficients() = 0;
    virtual AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t size) const = 0;
    virtual AAX_Result GetNumberOfChunks (int32_t* outCount) const = 0;
    virtual AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkId) const = 0;
    virtual AAX_Result GetChunkSize (AAX_CTypeID chunkId, uint32_t* outSize) = 0;
    virtual AAX_Result GetChunk (AAX_CTypeID chunkId, AAX_SPlugInChunk* outChunk) = 0;
    virtual AAX_Result SetChunk (AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) = 0;
    virtual AAX_Result CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) = 0;
    virtual AAX_Result GetNumberOfChanges (int32_t* outCount) const = 0;
    virtual AAX_Result TimerWakeup() = 0;
    virtual AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t count, float* outValues) const = 0;
    virtual AAX_Result GetCustomData (AAX_CTypeID dataType, uint32_t size, void* data, uint32_t* outWritten) const = 0;
    virtual AAX_Result SetCustomData (AAX_CTypeID dataType, uint32_t size, const void* data) = 0;
    virtual AAX_Result DoMIDITransfers() = 0;
};

class AAX_IACFEffectParameters_V2 : public AAX_IACFEffectParameters
{
public:
    virtual AAX_Result RenderAudio_Hybrid (void* renderInfo) = 0;
    virtual AAX_Result UpdateMIDINodes (AAX_CFieldIndex field, AAX_CMidiPacket& packet) = 0;
    virtual AAX_Result UpdateControlMIDINodes (AAX_CTypeID nodeId, AAX_CMidiPacket& packet) = 0;
};

/** The instance's view as the host sees it: made by the description's
    create-GUI procedure, initialised with the host unknown, given the host's
    view container while the view is open. */
class AAX_IACFEffectGUI : public IACFUnknown
{
public:
    virtual AAX_Result Initialize (IACFUnknown* hostUnknown) = 0;
    virtual AAX_Result Uninitialize() = 0;
    virtual AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) = 0;
    virtual AAX_Result SetViewContainer (IACFUnknown* viewContainer) = 0;
    virtual AAX_Result GetViewSize (AAX_Point* outSize) const = 0;
    virtual AAX_Result Draw (AAX_Rect* area) = 0;
    virtual AAX_Result TimerWakeup() = 0;
    virtual AAX_Result ParameterUpdated (AAX_CParamID id) = 0;
    virtual AAX_Result GetCustomLabel (int32_t selector, AAX_IString* outLabel) const = 0;
    virtual AAX_Result SetControlHighlightInfo (AAX_CParamID id, AAX_CBoolean highlighted, int32_t colour) = 0;
};

//==============================================================================
// The plug-in's exported entry points, as the host finds them by name.
extern "C"
{
using ACFRegisterPluginProc = AAX_Result (*) (IACFUnknown* hostUnknown, IACFPluginDefinition** outDefinition);
using ACFRegisterComponentProc = AAX_Result (*) (IACFUnknown* hostUnknown, const acfUID* componentId, IACFComponentDefinition** outDefinition);
using ACFGetClassFactoryProc = AAX_Result (*) (IACFUnknown* hostUnknown, const acfUID* classId, const acfUID* interfaceId, void** outFactory);
using ACFCanUnloadNowProc = AAX_Result (*)();
using ACFStartupProc = AAX_Result (*) (IACFUnknown* hostUnknown);
using ACFShutdownProc = AAX_Result (*) (IACFUnknown* hostUnknown);
using ACFGetSDKVersionProc = AAX_Result (*) (uint64_t* outVersion);
}
