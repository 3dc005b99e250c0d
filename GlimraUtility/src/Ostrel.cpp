#include "Ostrel.h"

Ostrel::~Ostrel() {
    stop = 1;
    for (QThread* worker : {firstWorker, secondWorker, thirdWorker})
        if (worker)
            worker->wait();
}
