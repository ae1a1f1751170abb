#pragma once

#include <string>

namespace fm {

class Settings;
class Tdm_db;

// Outcome codes of a job.
enum : int {
    kDone = 0,
    kSemaforUnreadable = -1,
    kNotFinished = -2,
    kPartnerError = -3,
    kItemsLeft = -4,
    kPaymentsLeft = -5,
    kInvalidFile = -255,
};

// A job taken up: its number (F_RBR), command booking type and outcome so far.
struct Job {
    int number = 0;
    int bookingType = 0;
    int outcome = kDone;
    std::string message;  // outcome message of an invalid file
};

// The end of every job taken up: waits for the PARTNER within VrijemeCekanja
// (not for an invalid file), diagnoses a receipt's timeout, writes or removes
// "Tarvo.err", marks or deletes the command file, and advances and saves BrojRacuna.
// Errors of the file steps are shown as notices and end nothing. True on success.
bool finishJob(Tdm_db& dm_db, const Settings& settings, const std::string& fileName, Job& job);

}  // namespace fm
