#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace KestHost
{
/** A file written under a temporary name in its target's folder and renamed
    over the target only when it is complete, so that the target holds
    either what it held before or the whole new file.  The temporary file is
    removed when the writer is destroyed uncommitted (a failure, a full disk)
    and when the program is interrupted (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
    or SIGPIPE when the output it prints to has gone: the signal
    handler removes every unfinished file, then lets the signal end the
    program as it would have).  A file-size limit turns into a write error
    instead of ending the program.

    Main thread (the signal handler runs on whichever thread the signal
    reaches and only unlinks).
*/
class ReplacingFile
{
public:
    /** What keeps path from being written, or empty: a target that exists
        but is not a regular file (a folder, a device), a folder that does
        not exist.  Symbolic links are followed. */
    static std::string problemWith (const std::string& path);

    /** True when both paths name one existing file (links and relative
        paths resolved), or the same place when they do not exist yet. */
    static bool sameFile (const std::string& first, const std::string& second);

    /** Creates the temporary file beside path.  Throws std::runtime_error
        naming path and why. */
    explicit ReplacingFile (const std::string& path);

    /** Removes the temporary file unless it was committed. */
    ~ReplacingFile();

    ReplacingFile (const ReplacingFile&) = delete;
    ReplacingFile& operator= (const ReplacingFile&) = delete;

    /** Writes at the current position; false after any error. */
    bool write (const void* data, size_t size);
    bool seek (int64_t position);
    int64_t position() const noexcept { return offset; }

    /** Why the last write or seek failed, or empty. */
    const std::string& failure() const noexcept { return error; }

    /** Puts the data on disk and renames the file over the target (keeping
        an earlier target's permissions).  Throws std::runtime_error naming
        the target and why, and leaves the target as it was. */
    void commit();

    const std::string& temporaryPath() const noexcept { return temporary; }

private:
    void discard() noexcept;

    std::string target;
    std::string temporary;
    int descriptor = -1;
    int slot = -1;
    int64_t offset = 0;
    std::string error;
};
} // namespace KestHost
