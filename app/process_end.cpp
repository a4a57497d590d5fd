#include "process_end.h"

#include <cstdlib>

namespace dbx {
namespace {

ProcessEndTestSeam* g_activeEndSeam = nullptr;

}  // namespace

void EndProcess(int code) {
    if (ProcessEndTestSeam* seam = ProcessEndTestSeam::Active()) {
        seam->Record(code);
        return;
    }
    std::_Exit(code);
}

ProcessEndTestSeam::ProcessEndTestSeam() : previous_(g_activeEndSeam) {
    g_activeEndSeam = this;
}

ProcessEndTestSeam::~ProcessEndTestSeam() {
    g_activeEndSeam = previous_;
}

ProcessEndTestSeam* ProcessEndTestSeam::Active() {
    return g_activeEndSeam;
}

void ProcessEndTestSeam::Record(int code) {
    ++requests_;
    lastCode_ = code;
}

}  // namespace dbx
