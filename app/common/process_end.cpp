#include "common/process_end.h"

#include <cstdlib>

namespace dbx {

void EndProcess(int code) {
    if (ProcessEndTestSeam* seam = ProcessEndTestSeam::Active()) {
        seam->Record(code);
        return;
    }
    std::_Exit(code);
}

void ProcessEndTestSeam::Record(int code) {
    ++requests_;
    lastCode_ = code;
}

}  // namespace dbx
