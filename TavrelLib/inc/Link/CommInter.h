#pragma once

#include "Link/ReadComplete.h"

#include <mutex>

// The abstract device link. Its owner destroys a link through the concrete type, so there is
// deliberately no virtual destructor; the protected one keeps anyone from deleting through us.
class CommInter {
public:
    virtual int Scan() = 0;
    virtual int Open(unsigned index) = 0;
    virtual int IsOpen() = 0;
    virtual int Read(void* buffer, unsigned length) = 0;
    virtual int Write(const void* data, unsigned length) = 0;
    virtual void Close() = 0;
    // A read that may end early once complete says the bytes so far suffice. A link that
    // can't stop early reads the whole count, which only takes longer.
    virtual int ReadUntil(void* buffer, unsigned length, ReadComplete /*complete*/) {
        return Read(buffer, length);
    }

protected:
    CommInter() = default;
    ~CommInter() = default;
    CommInter(const CommInter&) = delete;
    CommInter& operator=(const CommInter&) = delete;

    // Waited on without time limit; re-entrant for its owning thread like the platform mutex.
    std::recursive_mutex lock_;
};
