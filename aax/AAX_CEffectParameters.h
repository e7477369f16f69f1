#pragma once

#include "aax/AAX_CChunkDataParser.h"
#include "aax/AAX_CPacketDispatcher.h"
#include "aax/AAX_CParameterManager.h"
#include "aax/AAX_IEffectParameters.h"

#include <cmath>
#include <memory>
#include <set>
#include <string>

class AAX_VAutomationDelegate;
class AAX_VController;
class AAX_VTransport;

/** The instance's data model as the host sees it.  Keeps the parameter
    objects in its parameter manager, posts changed values through its packet
    dispatcher, wraps the host's controller, transport and automation, and
    stores every parameter in one default chunk, "Complete Controls State".

    A subclass creates its parameters in EffectInit and may replace any of
    the host-visible operations; an override must not let an exception reach
    the host (wrap its body in AAXGuardHostCall, as every operation here does),
    and a null out pointer is answered with AAX_ERROR_NULL_OBJECT before
    anything is changed.  Without the host's automation delegate the
    parameter objects get none and store set values at once.

    Threads: the host creates, initialises, uninitialises and releases the
    object on its main thread; parameter, chunk, notification and coefficient
    calls come on whatever host thread makes them.  No lock of its own: the
    dispatcher guards its tables; the parameter manager, the filtered set,
    the chunk parser and the cached chunk size serve one call at a time.
*/
class AAX_CEffectParameters : public AAX_IEffectParameters
{
public:
    static constexpr AAX_CTypeID kDefaultChunkID = 0x656C636B; // 'elck'
    static constexpr const char* kDefaultChunkName = "Complete Controls State";
    static constexpr AAX_CTypeID kPreviewStateNotification = 0x41535076; // 'ASPv'
    static constexpr const char* kPreviewParameterID = "PreviewID";
    static constexpr const char* kMasterBypassID = "MasterBypassID";

    AAX_CEffectParameters();

    /** Deletes the parameters, then whatever host wrappers Uninitialize did
        not. */
    ~AAX_CEffectParameters() override;

    //==========================================================================
    // Lifecycle and notifications (host's main thread)

    /** Makes the controller, automation and transport wrappers, hands them
        to the parameter manager (the automation only when the host offers it)
        and the dispatcher, runs EffectInit and then
        leaves the master bypass out of the default chunk.  Returns
        EffectInit's result. */
    AAX_Result Initialize (IACFUnknown* hostUnknown) override;

    /** Deletes the parameters and the three wrappers, and clears every
        pointer to them (the dispatcher's and the manager's too), so later
        calls find none.  AAX_SUCCESS. */
    AAX_Result Uninitialize() override;

    /** The preview-state notification sets the "PreviewID" parameter (when it
        exists and the data holds 4 bytes); other types change nothing.
        AAX_SUCCESS.  Any host thread. */
    AAX_Result NotificationReceived (AAX_CTypeID type, const void* data, uint32_t size) override;

    //==========================================================================
    // Parameter operations (any host thread).  An unknown identifier gives
    // AAX_ERROR_INVALID_PARAMETER_ID unless said otherwise.

    AAX_Result GetNumberOfParameters (int32_t* outCount) const override;

    /** "MasterBypassID" when such a parameter exists, else empty. */
    AAX_Result GetMasterBypassParameter (AAX_IString* outId) const override;
    AAX_Result GetParameterIsAutomatable (AAX_CParamID id, AAX_CBoolean* outAutomatable) const override;
    AAX_Result GetParameterNumberOfSteps (AAX_CParamID id, int32_t* outSteps) const override;

    /** Unknown identifier: empty name, AAX_SUCCESS. */
    AAX_Result GetParameterName (AAX_CParamID id, AAX_IString* outName) const override;

    /** The longest line (of at most length characters) of the parameter's
        shortened name for length; the whole shortened name when no line
        fits.  Unknown identifier: empty name, AAX_SUCCESS. */
    AAX_Result GetParameterNameOfLength (AAX_CParamID id, AAX_IString* outName, int32_t length) const override;
    AAX_Result GetParameterDefaultNormalizedValue (AAX_CParamID id, double* outValue) const override;
    AAX_Result SetParameterDefaultNormalizedValue (AAX_CParamID id, double value) override;
    AAX_Result GetParameterType (AAX_CParamID id, int32_t* outType) const override;
    AAX_Result GetParameterOrientation (AAX_CParamID id, int32_t* outOrientation) const override;
    AAX_Result GetParameter (AAX_CParamID id, AAX_IParameter** outParameter) override;
    AAX_Result GetParameterIndex (AAX_CParamID id, int32_t* outIndex) const override;
    AAX_Result GetParameterIDFromIndex (int32_t index, AAX_IString* outId) const override;

    /** Not offered: 0, AAX_ERROR_UNIMPLEMENTED. */
    AAX_Result GetParameterValueInfo (AAX_CParamID id, int32_t selector, int32_t* outValue) const override;

    /** A refused text gives AAX_ERROR_INVALID_STRING_CONVERSION. */
    AAX_Result GetParameterValueFromString (AAX_CParamID id, double* outValue, const AAX_IString& text) const override;
    AAX_Result GetParameterStringFromValue (AAX_CParamID id, double value, AAX_IString* outText, int32_t maxLength) const override;
    AAX_Result GetParameterValueString (AAX_CParamID id, AAX_IString* outText, int32_t maxLength) const override;
    AAX_Result GetParameterNormalizedValue (AAX_CParamID id, double* outValue) const override;

    /** Goes to the parameter, which asks the host (touch, request, release)
        once automation is attached. */
    AAX_Result SetParameterNormalizedValue (AAX_CParamID id, double value) override;
    AAX_Result SetParameterNormalizedRelative (AAX_CParamID id, double delta) override;
    AAX_Result TouchParameter (AAX_CParamID id) override;
    AAX_Result ReleaseParameter (AAX_CParamID id) override;
    AAX_Result UpdateParameterTouch (AAX_CParamID id, AAX_CBoolean touched) override;

    /** The host's report of a value: stores it, marks its packet and counts
        one change. */
    AAX_Result UpdateParameterNormalizedValue (AAX_CParamID id, double value, int32_t source) override;
    AAX_Result UpdateParameterNormalizedRelative (AAX_CParamID id, double delta) override;

    /** Posts every dirty packet (AAX_CPacketDispatcher::Dispatch). */
    AAX_Result GenerateCoefficients() override;
    AAX_Result ResetFieldData (AAX_CFieldIndex field, void* data, uint32_t size) const override;

    //==========================================================================
    // Chunks: the default chunk only (any host thread, one at a time)

    AAX_Result GetNumberOfChunks (int32_t* outCount) const override;
    AAX_Result GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkId) const override;

    /** Refills the parser and remembers the size for GetChunk. */
    AAX_Result GetChunkSize (AAX_CTypeID chunkId, uint32_t* outSize) override;

    /** AAX_ERROR_INCORRECT_CHUNK_SIZE unless the size equals the last
        GetChunkSize's answer. */
    AAX_Result GetChunk (AAX_CTypeID chunkId, AAX_SPlugInChunk* outChunk) override;

    /** Sets every unfiltered parameter found in the chunk; the others keep
        their values. */
    AAX_Result SetChunk (AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk) override;

    /** Equal when every unfiltered parameter is found with its current value;
        any chunk but the default one compares equal. */
    AAX_Result CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual) override;
    AAX_Result GetNumberOfChanges (int32_t* outCount) const override;

    //==========================================================================
    // Fixed answers

    AAX_Result TimerWakeup() override;
    AAX_Result GetCurveData (AAX_CTypeID curveType, const float* values, uint32_t count, float* outValues) const override;
    AAX_Result GetCustomData (AAX_CTypeID dataType, uint32_t size, void* data, uint32_t* outWritten) const override;
    AAX_Result SetCustomData (AAX_CTypeID dataType, uint32_t size, const void* data) override;
    AAX_Result DoMIDITransfers() override;
    AAX_Result RenderAudio_Hybrid (void* renderInfo) override;
    AAX_Result UpdateMIDINodes (AAX_CFieldIndex field, AAX_CMidiPacket& packet) override;
    AAX_Result UpdateControlMIDINodes (AAX_CTypeID nodeId, AAX_CMidiPacket& packet) override;

    //==========================================================================
    // For subclasses

    /** Where a subclass creates its parameters and registers their packets;
        runs from Initialize once the wrappers exist.  The base does nothing.
        Host's main thread. */
    virtual AAX_Result EffectInit();

    /** The host wrappers: null before Initialize and after Uninitialize. */
    AAX_VController* Controller() noexcept { return mController.get(); }
    const AAX_VController* Controller() const noexcept { return mController.get(); }
    AAX_VTransport* Transport() noexcept { return mTransport.get(); }
    const AAX_VTransport* Transport() const noexcept { return mTransport.get(); }

    /** Leaves the parameter out of the default chunk (null is ignored). */
    void FilterParameterIDOnSave (AAX_CParamID id);

    /** Refills the chunk parser from the current values. */
    void BuildChunkData();

    /** Whether the host reports the parameter as touched; false without
        automation. */
    bool IsParameterTouched (AAX_CParamID id) const;
    bool IsParameterLinkReady (AAX_CParamID id, int32_t source) const;

    /** Replace a parameter's delegates; AAX_ERROR_INVALID_PARAMETER_ID for an
        unknown identifier. */
    AAX_Result SetTaperDelegate (AAX_CParamID id, AAX_ITaperDelegateBase& taperDelegate, bool preserveValue);
    AAX_Result SetDisplayDelegate (AAX_CParamID id, AAX_IDisplayDelegateBase& displayDelegate);

protected:
    int32_t mNumPlugInChanges = 0;
    uint32_t mChunkSize = 0;
    AAX_CChunkDataParser mChunkParser;
    AAX_CPacketDispatcher mPacketDispatcher;
    AAX_CParameterManager mParameterManager;
    std::set<std::string> mFilteredParameters;

private:
    AAX_IParameter* findParameter (AAX_CParamID id) const;

    /** Calls visit (AAX_IParameter&) on every parameter the default chunk
        holds (present, identifier not filtered) in index order, until visit
        answers false; answers whether it went through them all. */
    template <typename Visit>
    bool visitChunkParameters (Visit&& visit);

    std::unique_ptr<AAX_VController> mController;
    std::unique_ptr<AAX_VTransport> mTransport;
    std::unique_ptr<AAX_VAutomationDelegate> mAutomationDelegate;
};

//==============================================================================
// Value conversions offered to subclasses (any thread)

/** 0..1 (clamped) onto the whole int32 range. */
inline int32_t normalizedToInt32 (double normalizedValue)
{
    const auto clamped = normalizedValue < 0.0 ? 0.0 : (normalizedValue > 1.0 ? 1.0 : normalizedValue);
    return static_cast<int32_t> (std::floor (clamped * 4294967295.0 - 2147483648.0 + 0.5));
}

inline double int32ToNormalized (int32_t value)
{
    return (static_cast<double> (value) + 2147483648.0) / 4294967295.0;
}

inline double boolToNormalized (bool value)
{
    return value ? 1.0 : 0.0;
}
