#pragma once

#include <string>

#include "platform/Result.h"

namespace fm::test {

// The message a call failed with; empty when it succeeded.
template <class T>
std::string failureOf(const Result<T>& result) {
    return result ? std::string() : result.error();
}

}  // namespace fm::test
