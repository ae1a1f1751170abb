// Figure 3, article scale: a price change list of 1,000 U lines and sales of 100
// lines with letter codes (TARVOSLOVNESIFRE "DA"), known ones and new ones, against
// an F_ROBA of 1,000 and of 100,000 articles on embedded Firebird. Each job runs
// whole (rows, F_SEMAFOR row, marking, job number) without a wait for the PARTNER.

#include <QCoreApplication>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "commands/AnalRacuniKomande.h"

using namespace fm;
using namespace fm::bench;

namespace {

constexpr int kRounds = 5;
constexpr int kPriceListRounds = 3;  // a price list takes seconds

std::string priceList(int articles, int round) {
    std::string bytes;
    for (int k = 0; k < 1000; ++k) {
        bytes += "U,P1,_,______,__;Artikal " + std::to_string(k) + ";" + std::to_string(2 + round) + "." +
                 std::to_string(k % 100) + ";0;;1;2;" + std::to_string(1 + k * (articles / 1000)) + "\r\n";
    }
    return bytes;
}

std::string letterCodeSale(const std::vector<std::string>& codes) {
    std::string bytes;
    for (const std::string& code : codes)
        bytes += "S,P1,_,______,__;Artikal " + code + ";1.50;1;;1;2;;" + code + "\r\n";
    return bytes + "T,P1,_,______,__;\r\n";
}

// The program on a database of its own with that many articles.
class Shop {
  public:
    explicit Shop(int articles) : articles_(articles) {
        Postavke& p = program_.state.postavke;
        withoutPartnerWait(p);
        p.TARVOREZERVNOVRIJEME = -p.TARVODBDRIVERAUTOMATICTIMER - 1000 * 500;  // a price list's budget: 0
        p.TARVOSLOVNESIFRE = true;
        DirectConnection(program_.database.path())
            .run(
                "EXECUTE BLOCK AS DECLARE i INTEGER = 1; BEGIN WHILE (i <= " + std::to_string(articles) +
                ") DO BEGIN INSERT INTO F_ROBA (F_ID_KASE,F_SIFRA_ROBE,F_BAR_CODE,F_NAZIV_ROBE,F_SIFRA_GRUPA,"
                "F_SIFRA_POR_STOPE,F_CIJENA_ROBE,F_KNJIG_SIFRA) VALUES (1, :i, '', 'Artikal ' || :i, 1, 2, "
                "1.5, "
                "'A' || :i); i = i + 1; END END");
    }

    // The job's whole run, in ms.
    double priceList(int round) { return job(::priceList(articles_, round)); }
    double knownCodes() {
        std::vector<std::string> codes;
        for (int k = 0; k < 100; ++k) codes.push_back("A" + std::to_string(1 + k * (articles_ / 100)));
        return job(letterCodeSale(codes));
    }
    double newCodes(int round) {
        std::vector<std::string> codes;
        for (int k = 0; k < 100; ++k) codes.push_back("N" + std::to_string(round) + "x" + std::to_string(k));
        return job(letterCodeSale(codes));
    }

  private:
    double job(const std::string& bytes) {
        const std::string path = program_.drop("j.inp", bytes);
        const Clock::time_point start = Clock::now();
        CommandProcessor(*program_.dm, *program_.settings).AnalRacuniKomande(path);
        const double ms = msBetween(start, Clock::now());
        program_.clearJobRows();
        return ms;
    }

    InProcessProgram program_;
    int articles_;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Shop small(1000), large(100000);

    // Turn about, so that both sizes meet the same moments of a busy machine.
    std::vector<double> priceLists[2], known[2], added[2];
    for (int round = 0; round < kRounds; ++round) {
        for (int size = 0; size < 2; ++size) {
            Shop& shop = size ? large : small;
            if (round < kPriceListRounds) priceLists[size].push_back(shop.priceList(round));
            known[size].push_back(shop.knownCodes());
            added[size].push_back(shop.newCodes(round));
        }
    }

    bool met = true;
    const auto ratio = [&](const std::vector<double>* times) {
        const double value = median(times[1]) / median(times[0]);
        met = met && value <= 1.5;
        return decimal(value, 2) + " (" + decimal(median(times[1]), 0) + " / " +
               decimal(median(times[0]), 0) + " ms)";
    };
    const std::string ratios = ratio(priceLists) + " | " + ratio(known) + " | " + ratio(added);
    report(
        "3 article scale, time at 100,000 / at 1,000 articles: price list of 1,000 U lines | sale of 100 "
        "known "
        "letter codes | sale of 100 new letter codes",
        ratios, "<= 1.5 each", met);
    return 0;
}
