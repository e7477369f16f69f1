#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>

namespace KestHost
{
/** The progress of a render from its start: on a terminal one line
    rewritten at every percent, in a log a line about once a second; always
    0 % first and 100 % last.  Main thread. */
class RenderProgress
{
public:
    RenderProgress (std::ostream& out, bool inPlace);

    void update (int64_t done, int64_t total);
    void finish();

private:
    void show (int percent);

    std::ostream& out;
    bool inPlace;
    int shown = -1;
    std::chrono::steady_clock::time_point lastShown;
};
} // namespace KestHost
