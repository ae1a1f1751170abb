#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "db/JobCodes.h"

// What a command file asks for, read and validated before anything is written: the
// processor writes its rows from it, fmerilon-check prints it.
namespace fm {

enum class JobKind { None, Receipt, PriceChanges, DeleteArticle, OfficialDeposit, ReportZ, ReportX };

// One field as read: its number in the record (5 is the first after the status).
struct ReadField {
    std::size_t number = 0;
    std::string meaning;
    std::string text;
};

// One record of the file as the job reads it; line is 1-based.
struct ReadRecord {
    std::size_t line = 0;
    char letter = 0;
    std::string role;  // what the record is in this job
    std::vector<ReadField> fields;
};

struct SaleItem {
    std::size_t line = 0;
    std::string name;
    double price = 0;
    double quantity = 0;
    int group = 0;
    int tax = 0;
    std::string codeText;
    bool codeIsNumber = false;  // a code of fewer than 6 characters without letter codes
    int code = 0;               // its value then; otherwise the database looks the code up
    bool storno() const { return quantity < 0; }
};

struct Payment {
    std::size_t line = 0;
    bool ofTotal = false;  // the sum of the items before it, method 0
    int method = 0;
    double amount = 0;
};

struct PriceChange {
    std::size_t line = 0;
    std::string name;
    double price = 0;
    int group = 0;
    int tax = 0;
    int code = 0;
};

using ReceiptLine = std::variant<SaleItem, Payment>;

struct CommandJob {
    enum class Verdict { NotYet, ProcessedAlready, TakeUp } verdict = Verdict::TakeUp;
    JobKind kind = JobKind::None;
    int bookingType = kSaleReceipt;  // the command booking type, as far as the reading reached
    std::vector<ReadRecord> records;
    std::vector<ReceiptLine> receipt;  // items and payments in file order
    std::vector<PriceChange> priceChanges;
    int referredReceipt = 0;  // K: F_REKL_BROJ
    std::string memo;         // a receipt's memo; an official deposit's amount as MEMO
    int article = 0;          // O: the article number
    double amount = 0;        // I: the amount
    std::string invalid;      // not empty: the file is invalid; the text after "Greska:"

    bool valid() const { return verdict == Verdict::TakeUp && invalid.empty(); }
    std::size_t itemCount() const;
    std::size_t paymentCount() const;
};

// Reads the file's lines (parseCommandLines) into its job. letterCodes is
// TARVOSLOVNESIFRE; jobNumber goes into the messages that name the job.
CommandJob readCommandJob(const std::vector<std::string>& lines, bool letterCodes, int jobNumber);

// The same from the file's bytes as read up to the size limit (overSizeLimit: more was
// there, the bytes are its head). A file over a limit is never read past its first
// kCommandLineLimit bytes: processed already when its header's status is not "__", else invalid.
CommandJob readCommandFile(std::string_view bytes, bool overSizeLimit, bool letterCodes, int jobNumber);

// A receipt as its rows carry it in the database (its F_SEMAFOR row's booking type,
// referred receipt and memo; its item and payment rows in any order), as one short key:
// two receipts with the same key ask for the same thing, however their numbers were
// written. Built alike from a command file and from the rows of a job handed over.
class ReceiptKey {
  public:
    ReceiptKey(long long bookingType, long long referredReceipt, const std::string& memo);
    void item(const std::string& name, double price, double quantity, long long group, long long tax);
    void payment(long long method, double amount);
    std::string text() const;

  private:
    std::string header_;
    std::vector<std::string> rows_;
};

// The key of a valid receipt; empty for any other job.
std::string receiptKey(const CommandJob& job);

}  // namespace fm
