#pragma once

// The code a call fails with; hr::kOk when it does not fail.
#include "platform/com/error.h"
#include "platform/com/hresult.h"

namespace com::test {

template <class Call>
HResult CodeOf(Call&& call) {
  try {
    call();
  } catch (const Error& e) {
    return e.code();
  }
  return hr::kOk;
}

}  // namespace com::test
