#pragma once

#include "config/Postavke.h"

namespace fm::test {

// The settings of a test till: every register id 1, numbers in plain form, till "AB1234".
void setOneTill(Postavke& p);

}  // namespace fm::test
