#pragma once

#include <cstddef>
#include <cstring>
#include <string>

namespace KestHost
{
/** The slot of a virtual member function in its class's table, as the
    Itanium C++ ABI lays it out (a pointer to a virtual member holds 1 plus the
    slot's byte offset); -1 for a non-virtual member.  Any thread. */
template <typename Member>
int vtableSlot (Member member)
{
    static_assert (sizeof (Member) == 2 * sizeof (std::ptrdiff_t), "Itanium member pointer expected");
    std::ptrdiff_t words[2];
    std::memcpy (words, &member, sizeof (words));
    if ((words[0] & 1) == 0)
        return -1;
    return static_cast<int> ((words[0] - 1) / static_cast<std::ptrdiff_t> (sizeof (void*)));
}

/** A text argument as the call log shows it: quoted, or null. */
inline std::string quoted (const char* text)
{
    return text != nullptr ? "\"" + std::string (text) + "\"" : std::string ("null");
}
} // namespace KestHost
