#pragma once

// The MIDI node that the host places in a processing context: the packets that
// arrived at a local MIDI input for the block being processed.

#include "platform/AAXHostInterfaces.h"

/** The packets of one block, in time order; each packet's timestamp is its
    sample offset within the block. */
struct AAX_CMidiStream
{
    uint32_t mBufferSize;
    AAX_CMidiPacket* mBuffer;
};

/** A MIDI node of a processing context.  The host fills its buffer before it
    calls the process procedure; the plug-in reads it during that call.

    Audio thread, inside the process procedure.
*/
class AAX_IMIDINode
{
public:
    virtual AAX_CMidiStream* GetNodeBuffer() = 0;

protected:
    ~AAX_IMIDINode() = default;
};
