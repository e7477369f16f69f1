#pragma once

#include <string>

namespace KestHost
{
class HostCollection;

/** The package a plug-in described, as text for a person: package names,
    maker and version, then each effect with its names, category, procedures
    and variants (fields, process procedure, properties).  Host thread. */
std::string printDescription (const HostCollection& collection);
} // namespace KestHost
