#pragma once

namespace dbx {

// The one way a test stands in for a facility of the program: while an object of a class
// derived from TestSeam<That> exists, Active() returns it and the program asks it instead of
// the real facility. Seams nest; the newest one counts. Made, read and ended on the
// user-interface thread only: a job gets what it needs from the seam when it is started.
template <typename Derived>
class TestSeam {
  public:
    TestSeam(const TestSeam&) = delete;
    TestSeam& operator=(const TestSeam&) = delete;

    static Derived* Active() { return active_; }

  protected:
    TestSeam() : previous_(active_) { active_ = static_cast<Derived*>(this); }
    ~TestSeam() { active_ = previous_; }

  private:
    Derived* previous_;
    static inline Derived* active_ = nullptr;
};

}  // namespace dbx
