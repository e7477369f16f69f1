#include "wrapper/JuceAAX_Processor.h"

#include "aax/AAXHostCallGuard.h"

#include <cstring>

// The processor's chunks: the base's default chunk at index 0 and the
// engine's state at the next index.  Both carry the parameter values, so the
// parameter objects are brought in step with the engine before the default
// chunk is written or compared, and after the state is restored: whichever
// order the host restores the two in, the sound is the state's.

namespace AAXClasses
{
namespace
{
constexpr int32_t stateChunkVersion = 1;
}

AAX_Result JuceAAX_Processor::GetNumberOfChunks (int32_t* outCount) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outCount))
            return AAX_ERROR_NULL_OBJECT;
        int32_t baseCount = 0;
        AAX_CEffectParameters::GetNumberOfChunks (&baseCount);
        *outCount = baseCount + 1;
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetChunkIDFromIndex (int32_t index, AAX_CTypeID* outChunkId) const
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outChunkId))
            return AAX_ERROR_NULL_OBJECT;
        int32_t baseCount = 0;
        AAX_CEffectParameters::GetNumberOfChunks (&baseCount);
        if (index != baseCount)
            return AAX_CEffectParameters::GetChunkIDFromIndex (index, outChunkId);
        *outChunkId = kStateChunkID;
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetChunkSize (AAX_CTypeID chunkId, uint32_t* outSize)
{
    return AAXGuardHostCall ([&]
    {
        if (chunkId != kStateChunkID)
        {
            if (chunkId == kDefaultChunkID)
                publishEngineParameters();
            return AAX_CEffectParameters::GetChunkSize (chunkId, outSize);
        }

        if (AAXAnyNull (outSize))
            return AAX_ERROR_NULL_OBJECT;
        pendingState.reset();
        engine->getStateInformation (pendingState);
        pendingStateValid = true;
        *outSize = static_cast<uint32_t> (pendingState.getSize());
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::GetChunk (AAX_CTypeID chunkId, AAX_SPlugInChunk* outChunk)
{
    return AAXGuardHostCall ([&]
    {
        if (chunkId != kStateChunkID)
        {
            if (chunkId == kDefaultChunkID)
                publishEngineParameters();
            return AAX_CEffectParameters::GetChunk (chunkId, outChunk);
        }

        if (outChunk == nullptr)
            return AAX_ERROR_NULL_OBJECT;
        if (! pendingStateValid)
            return AAX_ERROR_INCORRECT_CHUNK_SIZE;

        // The host's record holds exactly the size it was told: a state that
        // changed since then is refused until the size is asked again.  The
        // size told stays valid, so the chunk may be fetched any number of times.
        juce::MemoryBlock current;
        engine->getStateInformation (current);
        if (current != pendingState)
            return AAX_ERROR_INCORRECT_CHUNK_SIZE;

        outChunk->fSize = static_cast<int32_t> (current.getSize());
        outChunk->fVersion = stateChunkVersion;
        std::memset (outChunk->fName, 0, sizeof (outChunk->fName));
        std::strncpy (outChunk->fName, kStateChunkName, sizeof (outChunk->fName) - 1);
        current.copyTo (outChunk->fData, 0, current.getSize());
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::SetChunk (AAX_CTypeID chunkId, const AAX_SPlugInChunk* chunk)
{
    return AAXGuardHostCall ([&]
    {
        if (chunkId != kStateChunkID)
            return AAX_CEffectParameters::SetChunk (chunkId, chunk);

        if (chunk == nullptr)
            return AAX_ERROR_NULL_OBJECT;
        if (chunk->fSize < 0)
            return AAX_ERROR_INCORRECT_CHUNK_SIZE;

        engine->setStateInformation (chunk->fData, chunk->fSize);
        publishEngineParameters();
        ++mNumPlugInChanges;
        return AAX_SUCCESS;
    });
}

AAX_Result JuceAAX_Processor::CompareActiveChunk (const AAX_SPlugInChunk* chunk, AAX_CBoolean* outIsEqual)
{
    return AAXGuardHostCall ([&]
    {
        if (AAXAnyNull (outIsEqual))
            return AAX_ERROR_NULL_OBJECT;
        publishEngineParameters();
        return AAX_CEffectParameters::CompareActiveChunk (chunk, outIsEqual);
    });
}
} // namespace AAXClasses
