#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

/** While it lives, the calling thread is held to file permissions even when
    it runs as root: the capabilities that let root read and search anything
    leave the thread's effective set (they stay permitted, and come back when
    this goes).  So a test run as root can still make a file unreadable with
    chmod 000.  Capabilities belong to a thread: other threads keep theirs. */
class NoPermissionOverride
{
public:
    NoPermissionOverride()
    {
        header.version = _LINUX_CAPABILITY_VERSION_3;
        header.pid = 0;
        if (::syscall (SYS_capget, &header, saved) != 0)
            return;

        __user_cap_data_struct lowered[2] = { saved[0], saved[1] };
        for (const int capability : { CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH })
            lowered[capability / 32].effective &= ~(1u << (capability % 32));
        changed = ::syscall (SYS_capset, &header, lowered) == 0;
    }

    ~NoPermissionOverride()
    {
        if (changed)
            ::syscall (SYS_capset, &header, saved);
    }

    NoPermissionOverride (const NoPermissionOverride&) = delete;
    NoPermissionOverride& operator= (const NoPermissionOverride&) = delete;

private:
    __user_cap_header_struct header {};
    __user_cap_data_struct saved[2] {};
    bool changed = false;
};
