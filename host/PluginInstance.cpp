#include "host/PluginInstance.h"

#include "aax/AAX_CString.h"
#include "host/HostAutomationDelegate.h"
#include "host/HostCollection.h"
#include "host/HostController.h"
#include "host/HostEffectDescriptor.h"
#include "host/HostPropertyMap.h"
#include "host/HostUnknown.h"

#include <stdexcept>

namespace KestHost
{
namespace
{
constexpr uint32_t effectParametersProcId = 0;
constexpr AAX_CPropertyID propertyOutputStemFormat = 52;
constexpr int maxAnswerRounds = 8;

std::string resultText (AAX_Result result)
{
    return std::to_string (result);
}

/** The variant whose process procedure declares the stem format. */
const HostComponentDescriptor* findVariant (const HostEffectDescriptor& effect, int32_t stemFormat, AAX_ProcessProc& process)
{
    for (auto* component : effect.components())
        for (auto& procedure : component->processProcedures())
        {
            if (procedure.procedure == nullptr || procedure.properties == nullptr)
                continue;
            for (auto& property : procedure.properties->properties())
                if (property.first == propertyOutputStemFormat && property.second == stemFormat)
                {
                    process = reinterpret_cast<AAX_ProcessProc> (procedure.procedure);
                    return component;
                }
        }
    return nullptr;
}
} // namespace

HostOptions PluginInstance::optionsFor (float sampleRate, int channels)
{
    HostOptions options;
    options.sampleRate = sampleRate;
    options.stemFormat = channels == 1 ? stemFormatMono : stemFormatStereo;
    return options;
}

PluginInstance::PluginInstance (const HostCollection& description, float sampleRate, int channels, int maxBlock, size_t midiCapacity)
    : environment (optionsFor (sampleRate, channels))
{
    if (description.effects().empty())
        throw std::runtime_error ("the plug-in describes no effect");
    const auto& effectDescriptor = *description.effects().front().second;

    AAX_CreateObjectProc create = nullptr;
    for (auto& procedure : effectDescriptor.procedures())
        if (procedure.procId == effectParametersProcId && procedure.procedure != nullptr)
            create = reinterpret_cast<AAX_CreateObjectProc> (procedure.procedure);
    if (create == nullptr)
        throw std::runtime_error ("the plug-in has no creation procedure for its effect");

    AAX_ProcessProc process = nullptr;
    const auto* variant = findVariant (effectDescriptor, environment.options().stemFormat, process);
    if (variant == nullptr)
        throw std::runtime_error ("the plug-in has no " + std::string (channels == 1 ? "mono" : "stereo") + " variant");

    auto* created = create();
    if (created == nullptr)
        throw std::runtime_error ("the plug-in's creation procedure made nothing");
    if (created->QueryInterface (IID_IAAXEffectParametersV2, reinterpret_cast<void**> (&parameters)) != AAX_SUCCESS || parameters == nullptr)
        throw std::runtime_error ("the plug-in's instance offers no effect-parameters interface");

    const auto initialised = parameters->Initialize (&environment.hostUnknown());
    if (initialised != AAX_SUCCESS)
    {
        parameters->Uninitialize();
        parameters->Release();
        throw std::runtime_error ("the plug-in's instance failed to initialise: " + resultText (initialised));
    }

    algorithmContext = std::make_unique<HostAlgorithmContext> (*variant, process, channels, maxBlock, midiCapacity);
    for (auto& field : algorithmContext->storedFields())
        parameters->ResetFieldData (field.index, field.data, field.size);
    updateCoefficients();
}

PluginInstance::~PluginInstance()
{
    parameters->Uninitialize();
    parameters->Release();
}

AAX_Result PluginInstance::setParameter (const char* id, double value)
{
    const auto result = parameters->SetParameterNormalizedValue (id, value);
    answerAutomation();
    updateCoefficients();
    return result;
}

double PluginInstance::parameter (const char* id) const
{
    double value = 0.0;
    parameters->GetParameterNormalizedValue (id, &value);
    return value;
}

void PluginInstance::answerAutomation()
{
    auto* automation = dynamic_cast<HostAutomationDelegate*> (environment.find ("automation"));
    if (automation == nullptr)
        return;

    for (int round = 0; round < maxAnswerRounds; ++round)
    {
        const auto requests = automation->takeSetValueRequests();
        if (requests.empty())
            break;
        for (auto& request : requests)
            parameters->UpdateParameterNormalizedValue (request.id.c_str(), request.value, 0);
    }
}

void PluginInstance::idle()
{
    parameters->TimerWakeup();
    answerAutomation();
}

int PluginInstance::latencySamples()
{
    auto* controller = dynamic_cast<HostController*> (environment.find ("controller"));
    return controller != nullptr ? controller->signalLatency() : 0;
}

void PluginInstance::updateCoefficients()
{
    parameters->GenerateCoefficients();
    if (algorithmContext == nullptr)
        return;
    auto* controller = dynamic_cast<HostController*> (environment.find ("controller"));
    if (controller == nullptr)
        return;
    for (auto& field : algorithmContext->storedFields())
        if (auto* payload = controller->postedPacket (field.index))
            algorithmContext->setPacket (field.index, *payload);
}

std::vector<PluginInstance::Chunk> PluginInstance::saveChunks()
{
    int32_t count = 0;
    parameters->GetNumberOfChunks (&count);

    std::vector<Chunk> chunks;
    for (int32_t index = 0; index < count; ++index)
    {
        AAX_CTypeID id = 0;
        uint32_t size = 0;
        if (parameters->GetChunkIDFromIndex (index, &id) != AAX_SUCCESS || parameters->GetChunkSize (id, &size) != AAX_SUCCESS)
            throw std::runtime_error ("the plug-in refused to describe its chunk " + std::to_string (index));

        Chunk chunk { id, std::vector<uint8_t> (AAX_SPlugInChunkHeaderSize + size, 0) };
        auto* record = reinterpret_cast<AAX_SPlugInChunk*> (chunk.record.data());
        record->fChunkID = id;
        const auto got = parameters->GetChunk (id, record);
        if (got != AAX_SUCCESS || record->fSize < 0 || static_cast<uint32_t> (record->fSize) > size)
            throw std::runtime_error ("the plug-in refused its chunk " + std::to_string (index) + ": " + resultText (got));
        chunk.record.resize (AAX_SPlugInChunkHeaderSize + static_cast<size_t> (record->fSize));
        chunks.push_back (std::move (chunk));
    }
    return chunks;
}

AAX_Result PluginInstance::restoreChunk (const Chunk& chunk)
{
    if (chunk.record.size() < AAX_SPlugInChunkHeaderSize)
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    const auto* record = reinterpret_cast<const AAX_SPlugInChunk*> (chunk.record.data());
    if (record->fSize < 0 || AAX_SPlugInChunkHeaderSize + static_cast<size_t> (record->fSize) > chunk.record.size())
        return AAX_ERROR_INCORRECT_CHUNK_SIZE;
    const auto result = parameters->SetChunk (chunk.id, record);
    answerAutomation();
    updateCoefficients();
    return result;
}
} // namespace KestHost
