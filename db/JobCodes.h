#pragma once

// The numbers that a job's rows and its outcome are known by.
namespace fm {

// Command booking types: TIPKNJIZENJA of a job's F_SEMAFOR row.
enum : int {
    kSaleReceipt = 0,
    kReferringReceipt = 1,
    kPriceChanges = 2,
    kReportZ = 4,
    kReportX = 5,
    kOfficialDeposit = 50,  // plus the kind of the deposit or withdrawal, 0 to kLastOfficialDepositKind
    kDeleteArticle = 80,
};

inline constexpr int kLastOfficialDepositKind = 29;

// Outcome codes of a job; the first four are also the answers of ProvjeriSemafor.
enum : int {
    kDone = 0,
    kSemaforUnreadable = -1,
    kNotFinished = -2,
    kPartnerError = -3,
    kItemsLeft = -4,
    kPaymentsLeft = -5,
    kInvalidFile = -255,
};

}  // namespace fm
