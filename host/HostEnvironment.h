#pragma once

#include "host/HostObject.h"
#include "host/HostOptions.h"

#include <memory>
#include <string>
#include <vector>

namespace KestHost
{
class HostUnknown;
class HostCollection;
class HostServicesObject;

/** The host side of one session with a plug-in: the options it runs with,
    the host unknown it hands out, every object it has made (owned here, so
    nothing the plug-in does can make them dangle) and the log of every call
    the plug-in made on them, in order.

    One thread at a time.
*/
class HostEnvironment
{
public:
    explicit HostEnvironment (HostOptions options = {});
    ~HostEnvironment();

    HostEnvironment (const HostEnvironment&) = delete;
    HostEnvironment& operator= (const HostEnvironment&) = delete;

    const HostOptions& options() const noexcept { return hostOptions; }

    /** The host unknown, carrying one reference that belongs to the caller
        of this function's first use (the host program itself). */
    HostUnknown& hostUnknown();

    /** Makes a new host object of type T, owned by this environment. */
    template <typename T, typename... Arguments>
    T& make (Arguments&&... arguments)
    {
        auto object = std::make_unique<T> (*this, std::forward<Arguments> (arguments)...);
        auto& made = *object;
        objects.push_back (std::move (object));
        return made;
    }

    /** The next label number for a kind of object: 1, 2, ... */
    int nextNumber (const std::string& kind);

    void log (std::string line) { calls.push_back (std::move (line)); }
    const std::vector<std::string>& callLog() const noexcept { return calls; }
    void clearLog() { calls.clear(); }

    const std::vector<std::unique_ptr<HostObject>>& allObjects() const noexcept { return objects; }
    HostObject* find (const std::string& label) const;

    std::vector<HostCollection*> collections() const;
    std::vector<HostServicesObject*> hostServices() const;

private:
    /** Every object made so far that is a T, in the order they were made. */
    template <typename T>
    std::vector<T*> objectsOfType() const;

    HostOptions hostOptions;
    std::vector<std::unique_ptr<HostObject>> objects;
    std::vector<std::pair<std::string, int>> numbers;
    std::vector<std::string> calls;
    HostUnknown* unknown = nullptr;
};
} // namespace KestHost
