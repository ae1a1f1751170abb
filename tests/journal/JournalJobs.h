#pragma once

#include <string>

#include "commands/JobEntry.h"

namespace fm::test {

// A finished job of register 1 with its stages, rows and wait filled in.
inline JobEntry job(int number, int outcome, const std::string& message = {}) {
    JobEntry e;
    e.times = {1000000, 1000010, 1000040, 1000045, 1001045, 1001050};
    e.fileName = "/racuni/r" + std::to_string(number) + ".inp";
    e.fileSize = 120;
    e.number = number;
    e.cashRegister = 1;
    e.letter = 'S';
    e.itemRows = 2;
    e.paymentRows = 1;
    e.budgetMs = 7000;
    e.waitedMs = 1000;
    e.outcome = outcome;
    e.action = markFor(outcome);
    e.message = message;
    return e;
}

}  // namespace fm::test
