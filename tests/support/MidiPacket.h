#pragma once

#include "platform/AAXHostInterfaces.h"

/** A three-byte MIDI packet as the host queues it. */
inline AAX_CMidiPacket midiPacket (uint32_t timestamp, uint8_t status, uint8_t data1, uint8_t data2)
{
    AAX_CMidiPacket packet {};
    packet.timestamp = timestamp;
    packet.length = 3;
    packet.data[0] = status;
    packet.data[1] = data1;
    packet.data[2] = data2;
    return packet;
}
