// A command file read into its job without a database: the wait budget of every
// command, messages that name line and field, the booking type reached.
#include <gtest/gtest.h>

#include <climits>
#include <variant>

#include "commands/CommandFile.h"
#include "commands/CommandJob.h"
#include "commands/WaitBudget.h"

namespace fm {
namespace {

Postavke defaults() {
    Postavke p;
    p.TARVOBRZINASTAMPANJASTAVKI = 300;
    p.TARVOVREMESTAMPANJAZAGLAVLJA = 1500;
    p.TARVOVREMESTAMPANJAZAVRSETKA = 2000;
    p.TARVOREZERVNOVRIJEME = 0;
    p.TARVODBDRIVERAUTOMATICTIMER = 3000;
    return p;
}

CommandJob read(const std::string& bytes, bool letterCodes = false) {
    return readCommandJob(parseCommandLines(bytes), letterCodes, 42);
}

// Of a file over a limit only the header is read: it decides whether the file was processed.
TEST(CommandFileLimits, AFileOverALimitIsJudgedByItsHeaderAlone) {
    const std::string lines(kCommandLinesLimit + 1, '\n');
    EXPECT_EQ(readCommandFile("Z,P1,1,AB1234,OK;" + lines, false, false, 1).verdict,
              CommandJob::Verdict::ProcessedAlready);
    const CommandJob waiting = readCommandFile("V,P1,_,______,__;+memo\r\n", true, false, 1);
    EXPECT_EQ(waiting.verdict, CommandJob::Verdict::TakeUp);
    EXPECT_EQ(waiting.invalid, overLimitMessage());
}

TEST(WaitBudget, EveryCommandWithTheDefaults) {
    const Postavke p = defaults();
    EXPECT_EQ(waitBudget(JobKind::Receipt, 4, p), 13600);  // 3 items and 1 payment
    EXPECT_EQ(waitBudget(JobKind::Receipt, 0, p), 10000);
    EXPECT_EQ(waitBudget(JobKind::Receipt, -1, p), 9000);  // a count not available
    EXPECT_EQ(waitBudget(JobKind::PriceChanges, 3, p), 4500);
    EXPECT_EQ(waitBudget(JobKind::DeleteArticle, 0, p), 5000);
    EXPECT_EQ(waitBudget(JobKind::OfficialDeposit, 0, p), 5000);
    EXPECT_EQ(waitBudget(JobKind::ReportZ, 0, p), 8000);
    EXPECT_EQ(waitBudget(JobKind::ReportX, 0, p), 8000);
    EXPECT_EQ(waitBudget(JobKind::None, 5, p), 0);
}

TEST(WaitBudget, EverySettingEntersWhereItBelongs) {
    Postavke p = defaults();
    p.TARVOBRZINASTAMPANJASTAVKI = 100;
    p.TARVOVREMESTAMPANJAZAGLAVLJA = 10;
    p.TARVOVREMESTAMPANJAZAVRSETKA = 20;
    p.TARVOREZERVNOVRIJEME = 7000;  // not in the normal receipt budget
    p.TARVODBDRIVERAUTOMATICTIMER = 1;
    EXPECT_EQ(waitBudget(JobKind::Receipt, 2, p), 2 * 700 + 2010 + 1520 + 1);
    EXPECT_EQ(waitBudget(JobKind::Receipt, -1, p), 7000 + 6000 + 1);
    EXPECT_EQ(waitBudget(JobKind::PriceChanges, 2, p), 1000 + 7000 + 1);
    EXPECT_EQ(waitBudget(JobKind::DeleteArticle, 0, p), 9001);
    EXPECT_EQ(waitBudget(JobKind::OfficialDeposit, 0, p), 9001);
    EXPECT_EQ(waitBudget(JobKind::ReportZ, 0, p), 12001);
    EXPECT_EQ(waitBudget(JobKind::ReportX, 0, p), 12001);

    p.TARVODBDRIVERAUTOMATICTIMER = INT_MAX;  // kept within an int
    EXPECT_EQ(waitBudget(JobKind::ReportZ, 0, p), INT_MAX);
}

TEST(CommandJobTest, AReceiptKeepsItsItemsAndPaymentsInFileOrder) {
    const CommandJob job = read(
        "V,P1,_,______,__;+Hvala\r\nS,P1,_,______,__;Kafa, velika;1.5;-2;;3;4;;7\r\nT,P1,_,______,__;\r\n"
        "T,P1,_,______,__;1\r\nS,P1,_,______,__;Sok;1;1;;1;2;;3871234567890\r\nT,P1,_,______,__;2;5\r\n");
    ASSERT_TRUE(job.valid()) << job.invalid;
    EXPECT_EQ(job.kind, JobKind::Receipt);
    EXPECT_EQ(job.memo, "+Hvala");
    ASSERT_EQ(job.receipt.size(), 4u);  // the T with one character is ignored
    const SaleItem& first = std::get<SaleItem>(job.receipt[0]);
    EXPECT_EQ(first.name, "Kafa, velika");
    EXPECT_TRUE(first.storno());
    EXPECT_TRUE(first.codeIsNumber);
    EXPECT_EQ(first.code, 7);
    EXPECT_TRUE(std::get<Payment>(job.receipt[1]).ofTotal);
    EXPECT_FALSE(std::get<SaleItem>(job.receipt[2]).codeIsNumber);  // a bar code, looked up
    EXPECT_EQ(std::get<Payment>(job.receipt[3]).method, 2);
    EXPECT_EQ(job.itemCount(), 2u);
    EXPECT_EQ(job.paymentCount(), 2u);

    EXPECT_FALSE(
        std::get<SaleItem>(read("S,P1,_,______,__;a;1;1;;1;2;;K1\r\n\r\n", true).receipt[0]).codeIsNumber);
}

TEST(CommandJobTest, InvalidFieldsNameTheirLineNumberMeaningAndText) {
    const struct {
        const char* bytes;
        const char* invalid;
    } cases[] = {
        {"S,P1,_,______,__;a;1;1;;1;2;;7\r\nS,P1,_,______,__;b;x1;1;;1;2;;7\r\n",
         "linija 2, polje 6 (cijena): 'x1' nije ispravan broj"},
        {"S,P1,_,______,__;a;1;1;;1;2;;K1\r\n\r\n",
         "linija 1, polje 12 (sifra artikla): 'K1' nije ispravan cijeli broj"},
        {"\r\nS,P1,_,______,__;a;1;1;;1;2;;7\r\nT,P1,_,______,__;1;+-5\r\n",
         "linija 3, polje 6 (iznos): '+-5' nije ispravan broj"},
        {"U,P1,_,______,__;a;1;0;;1;2;7\r\nU,P1,_,______,__;b;1;0;;1;2;\r\n",
         "linija 2, polje 11 (sifra artikla): '' nije ispravan cijeli broj"},
        {"K,P1,_,______,__;24x\r\nT,P1,_,______,__;\r\n",
         "linija 1, polje 5 (broj ranijeg racuna): '24x' nije ispravan cijeli broj"},
        {"S,P1,_,______,__;a;1;1;;1;2;;7\r\nO,P1,_,______,__;1\r\n",
         "Nekorektan format racuna/komande broj 42 (linija 2: zapis 'O' ne pripada racunu)"},
        {"I,P1,_,______,__;-46;5\r\n\r\n",
         "linija 1, polje 5 (vrsta unosa/iznosa): Vrsta sluzbenog unosa/iznosa -46 je izvan opsega 0 do 29"},
        {"I,P1,_,______,__;30;x\r\n\r\n",
         "linija 1, polje 5 (vrsta unosa/iznosa): Vrsta sluzbenog unosa/iznosa 30 je izvan opsega 0 do 29"},
        {"U,P1,_,______,__;a;1;0;;1;2;7\r\nU,P1,_,______,__;b;1;0;;1;2;2147483647\r\n",
         "linija 2, polje 11 (sifra artikla): sifra robe 2147483647 je najveca vrijednost; artikal s njom se "
         "ne moze upisati"},
    };
    for (const auto& c : cases) EXPECT_EQ(read(c.bytes).invalid, c.invalid) << c.bytes;
}

TEST(CommandJobTest, TheBookingTypeIsTheOneTheReadingReached) {
    EXPECT_EQ(read("K,P1,_,______,__;x\r\nT,P1,_,______,__;\r\n").bookingType, kSaleReceipt);
    EXPECT_EQ(read("K,P1,_,______,__;245\r\nT,P1,_,______,__;1;x\r\n").bookingType, kReferringReceipt);
    EXPECT_EQ(read("U,P1,_,______,__;a;x;0;;1;2;7\r\n\r\n").bookingType, 0);
    EXPECT_EQ(read("U,P1,_,______,__;a;1;0;;1;2;7\r\nU,P1,_,______,__;a;x;0;;1;2;7\r\n").bookingType,
              kPriceChanges);
    EXPECT_EQ(read("I,P1,_,______,__;2;5\r\n\r\n").bookingType, 52);
    EXPECT_EQ(read("I,P1,_,______,__;2;5\r\n\r\n").memo, "5");
    EXPECT_EQ(read("I,P1,_,______,__;0;5\r\n\r\n").bookingType, 50);
    EXPECT_EQ(read("I,P1,_,______,__;29;5\r\n\r\n").bookingType, 79);
    EXPECT_EQ(read("O,P1,_,______,__;1001\r\n\r\n").bookingType, kDeleteArticle);
}

TEST(CommandJobTest, WhichFilesAreTakenUp) {
    EXPECT_EQ(read("Z,P1,_,______,__;").verdict, CommandJob::Verdict::NotYet);
    EXPECT_EQ(read("V,P1,_,______,__;+a\r\n\r\nS,P1,_,______,__;a;1;1;;1;2;;7").verdict,
              CommandJob::Verdict::NotYet);
    EXPECT_EQ(read("Z,P1,1,AB1234,OK;\r\n\r\n").verdict, CommandJob::Verdict::ProcessedAlready);
    EXPECT_EQ(read(" \r\n").invalid, "fajl ne sadrzi nijedan zapis");
    EXPECT_EQ(read("V,P1,_,______,__;+a\r\n\r\n").invalid, "iza memo zapisa nema racuna");
    EXPECT_EQ(read(std::string("Z,P1,_,______,__;\r\nx\0y\r\n", 24)).invalid,
              "linija 2 sadrzi nedozvoljen znak NUL (kod 0)");
    const CommandJob none = read("Q,P1,_,______,__;\r\n\r\n");
    EXPECT_TRUE(none.valid());
    EXPECT_EQ(none.kind, JobKind::None);
}

// The duplicate guard's key: the values as the rows carry them, not how the file wrote them.
TEST(CommandJobTest, TheReceiptKeyIsThatOfTheValuesAsWritten) {
    const auto key = [](const std::string& bytes) { return receiptKey(read(bytes)); };
    const std::string sale = "S,P1,_,______,__;Hljeb;1.2;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n";
    EXPECT_EQ(key(sale), key("S,P2,_,______,__;Hljeb ;1.20;1.0;;01;2;;1002\r\n\r\nT,P9,_,______,__;\r\n"));
    EXPECT_EQ(key(sale), key("S,P1,_,______,__;Hljeb;1.2;1;;1;2;;1002\r\nT,P1,_,______,__;0;1.2\r\n"));
    EXPECT_NE(key(sale), key("S,P1,_,______,__;Hljeb;1.2;2;;1;2;;1002\r\nT,P1,_,______,__;\r\n"));
    EXPECT_NE(key(sale), key("S,P1,_,______,__;Hljeb;1.2;1;;1;2;;1002\r\n\r\n"));
    EXPECT_NE(key(sale),
              key("K,P1,_,______,__;7\r\nS,P1,_,______,__;Hljeb;1.2;1;;1;2;;1002\r\nT,P1,_,______,__;\r\n"));
    EXPECT_EQ(key("Z,P1,_,______,__;\r\n\r\n"), "");

    // Built from the rows in the database, in any order, the key is the file's.
    ReceiptKey rows(0, 0, "");
    rows.payment(0, 1.2);
    rows.item("Hljeb", 1.2, 1, 1, 2);
    EXPECT_EQ(rows.text(), key(sale));
}

}  // namespace
}  // namespace fm
