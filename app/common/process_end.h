#pragma once

#include "common/test_seam.h"

namespace dbx {

// Ends the process at once with `code`: no window is closed and no destructor runs, as after
// Exit and Live Update. While a ProcessEndTestSeam exists, the request is recorded instead
// and the call returns.
void EndProcess(int code);

// Test seam: records the requests to end the process.
class ProcessEndTestSeam : public TestSeam<ProcessEndTestSeam> {
  public:
    int Requests() const { return requests_; }
    int LastCode() const { return lastCode_; }
    void Record(int code);

  private:
    int requests_ = 0;
    int lastCode_ = -1;
};

}  // namespace dbx
