#pragma once

#include <iosfwd>
#include <string>

namespace KestHost
{
/** `kest-host describe`: loads the bundle, starts it up, registers it, prints
    the description it gave, releases the definition, asks whether it may
    unload and shuts it down.  Answers the process exit status (0 when
    registration succeeded).  Host thread. */
int describeBundle (const std::string& bundlePath, std::ostream& out, std::ostream& errors);
} // namespace KestHost
