#pragma once

#include <functional>
#include <string>
#include <vector>

/** The file system calls of this test binary, seen as they happen: write,
    fsync, rename (also renameat2 and link) and flock are replaced in this binary by
    versions that record each call on a path below the watched folder, may
    run a hook before it (another instance acting meanwhile) and may make it
    fail (a disk that refuses to flush).  Calls elsewhere, and every call
    while nothing is watched, go straight to the system.

    The thread that runs the test; the hooks run on the calling thread. */
namespace SystemCallLog
{
struct Call
{
    std::string name;   // "write", "fsync", "rename" or "lock"
    std::string path;   // the file written, flushed or locked, or the rename's source
    std::string target; // the rename's target
};

/** Starts recording calls below the folder; clears what was recorded. */
void watch (const std::string& folder);
/** Stops recording and forgets the hooks. */
void stop();
std::vector<Call> calls();

/** Runs before each recorded call; returns 0 to let the call go ahead, or
    the error number the call then fails with. */
void setHook (std::function<int (const Call&)> hook);

/** Ends watching when the test ends, whatever happens. */
struct Watching
{
    explicit Watching (const std::string& folder) { watch (folder); }
    ~Watching() { stop(); }
};
} // namespace SystemCallLog
