#pragma once

#include "commands/JobRecord.h"

namespace fm {

struct RecordContext;

// F_PREDAJA (F_ID_KASE, F_RBR, TIPKNJIZENJA, CEKANJE), the program's own table of
// hand-overs: a job's row, with its booking type and wait budget, is written in the same
// transaction as its F_SEMAFOR row and removed once the job is over. After a crash it
// tells whether the F_SEMAFOR row was committed, which F_SEMAFOR itself no longer tells
// once the PARTNER has done the job and removed its row.

// Opens the hand-over's transaction with the job's F_PREDAJA row (in place of any row
// left under its number), creating the table when it is missing; the next sqlexec (the
// F_SEMAFOR row) commits them. False when the table cannot be used: the F_SEMAFOR row
// then goes alone.
bool beginTracedHandOver(const RecordContext& db, int jobNumber, int bookingType, int budget);

enum class HandOverState { Committed, NotCommitted, Unknown };

// Whether the interrupted job was handed over; Unknown while the database does not
// answer. A job at its rows was when its F_PREDAJA row is there: the row's booking type
// and budget go into the job. A hand-over without F_PREDAJA: the PARTNER's traces
// decide, the job's row or its error row in F_SEMAFOR, or a receipt's rows that the
// PARTNER has not consumed; when nothing of the job is left it counts as committed
// (done by the PARTNER), so that it is never handed over twice.
HandOverState interruptedHandOver(const RecordContext& db, JobInFlight& job);

// Removes the job's F_PREDAJA row (nothing without the table). A failure leaves a row
// that the job's next hand-over (should the number come again) replaces.
void forgetHandOver(const RecordContext& db, int jobNumber);

}  // namespace fm
