#pragma once

#include "commands/JobRecord.h"

namespace fm {

class Tdm_db;

// F_PREDAJA (F_ID_KASE, F_RBR, TIPKNJIZENJA), the program's own table of hand-overs: a
// job's row is written in the same transaction as its F_SEMAFOR row and removed once
// the job record holds the hand-over. After a crash in the middle of a hand-over it
// tells whether the F_SEMAFOR row was committed, which F_SEMAFOR itself no longer
// tells once the PARTNER has done the job and removed its row.

// Opens the hand-over's transaction with the job's F_PREDAJA row, creating the table
// when it is missing; the next sqlexec (the F_SEMAFOR row) commits both. False when
// the table cannot be used: the F_SEMAFOR row then goes alone.
bool beginTracedHandOver(Tdm_db& dm_db, int jobNumber, int bookingType);

enum class HandOverState { Committed, NotCommitted, Unknown };

// Whether the interrupted hand-over of the job was committed; Unknown while the
// database does not answer. Without an F_PREDAJA row to go by, the PARTNER's traces
// decide: the job's row or its error row in F_SEMAFOR, or a receipt's rows that the
// PARTNER has not consumed; when nothing of the job is left it counts as committed
// (done by the PARTNER), so that it is never handed over twice.
HandOverState interruptedHandOver(Tdm_db& dm_db, const JobInFlight& job);

// Removes the job's F_PREDAJA row. A failure leaves a row that nothing reads again.
void forgetHandOver(Tdm_db& dm_db, int jobNumber);

}  // namespace fm
