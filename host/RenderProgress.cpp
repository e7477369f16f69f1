#include "host/RenderProgress.h"

#include <ostream>

namespace KestHost
{
RenderProgress::RenderProgress (std::ostream& stream, bool rewriteInPlace) : out (stream), inPlace (rewriteInPlace)
{
    show (0);
}

void RenderProgress::update (int64_t done, int64_t total)
{
    const int percent = total > 0 ? (int) (done * 100 / total) : 100;
    if (percent <= shown || percent >= 100)
        return;
    if (inPlace || std::chrono::steady_clock::now() - lastShown >= std::chrono::seconds (1))
        show (percent);
}

void RenderProgress::finish()
{
    if (shown < 100)
        show (100);
    if (inPlace)
        out << std::endl;
}

void RenderProgress::show (int percent)
{
    shown = percent;
    lastShown = std::chrono::steady_clock::now();
    if (inPlace)
        out << "\r  " << percent << "%" << std::flush;
    else
        out << "  " << percent << "%" << std::endl;
}
} // namespace KestHost
