#pragma once

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

protected:
    CommInter() = default;
    ~CommInter() = default;
    CommInter(const CommInter&) = delete;
    CommInter& operator=(const CommInter&) = delete;

    // Waited on without time limit; re-entrant for its owning thread like the platform mutex.
    std::recursive_mutex lock_;
};
