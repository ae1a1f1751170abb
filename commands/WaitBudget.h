#pragma once

#include "commands/CommandJob.h"
#include "config/Postavke.h"

namespace fm {

// How long the PARTNER is given for a job, in ms (VrijemeCekanja). rows: a receipt's
// item and payment rows, or a price change list's rows, as the database counted them;
// -1 when a receipt's count failed. Settings may be any int: the sum is kept in an int.
int waitBudget(JobKind kind, long long rows, const Postavke& p);

}  // namespace fm
