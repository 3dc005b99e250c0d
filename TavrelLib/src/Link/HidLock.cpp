#include "HidLock.h"

std::recursive_mutex& HidLock() {
    static std::recursive_mutex lock;
    return lock;
}
