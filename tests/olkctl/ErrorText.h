// The message a call fails with, for tests that compare exact error texts.
#pragma once

#include <string>

// The what() of the E the call throws, or "(no error)"; other exceptions pass.
template <class E, class F> std::string ErrorText(const F &call) {
  try {
    call();
  } catch (const E &e) {
    return e.what();
  }
  return "(no error)";
}
