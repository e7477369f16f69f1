#pragma once

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
};
} // namespace KestHost
