#pragma once

#include <mutex>

// The one process-wide lock around every HID open, close, read, write and flush. Taken after
// a link's own lock, never before it.
std::recursive_mutex& HidLock();
