#pragma once

#include <cstdint>

namespace KestHost
{
/** What the stand-in host offers and refuses.  Everything is offered by
    default, the way a complete host behaves. */
struct HostOptions
{
    // The host unknown's component factory and what it creates.
    bool offerComponentFactory = true;
    bool factoryQueryClaimsSuccessWithoutObject = false;
    bool createCollection = true;
    bool createDescriptors = true;
    bool createHostServices = true;
    bool offerLaterVersions = true;
    bool offerPluginDefinition = true;

    // Interfaces the host unknown offers an instance.
    bool offerController = true;
    bool offerControllerV2 = true;
    bool offerTransport = true;
    bool offerTransportV2 = true;
    bool offerAutomationDelegate = true;
    bool offerViewContainer = true;

    // What the controller tells an instance about its processing.
    float sampleRate = 48000.0f;
    int32_t stemFormat = 0x00010002; // stereo; 0x00000001 is mono
};
} // namespace KestHost
