#include "journal/JournalText.h"

#include <QDateTime>

#include "platform/Text.h"

namespace fm {

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string numeral(std::int64_t value) { return std::to_string(value); }

}  // namespace

std::string formatMoment(std::int64_t epochMs) {
    if (epochMs == 0) return {};
    return QDateTime::fromMSecsSinceEpoch(epochMs)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
        .toStdString();
}

std::string oneLine(const std::string& text) { return text::printable(text); }

std::string lateOutcomeOf(const JobEntry& entry) {
    if (entry.late == LateOutcome::None) return entry.open ? "otvoren" : "";
    const std::string text = lateOutcomeText(entry.late);
    return entry.lateMs ? text + " " + formatMoment(entry.lateMs) : text;
}

std::string journalCsv(const std::vector<JobEntry>& entries) {
    std::string csv =
        "preuzet,procitan,predaja,predan,odluceno,oznacen,fajl,velicina,broj,kasa,komanda,tip,stavke,"
        "placanja,"
        "budzet_ms,cekano_ms,ishod,status,fajl_radnja,poruka,citanje_ms,redovi_ms,predaja_ms,cekanje_ms,"
        "oznacavanje_ms,oporavak,kasni_ishod,kasno,fiskalni,dvaput,otvoren,osteceno\r\n";
    for (const JobEntry& e : entries) {
        const std::vector<std::string> fields{formatMoment(e.times.takenUp),
                                              formatMoment(e.times.read),
                                              formatMoment(e.times.handingOver),
                                              formatMoment(e.times.handedOver),
                                              formatMoment(e.times.decided),
                                              formatMoment(e.times.marked),
                                              e.fileName,
                                              numeral(std::int64_t(e.fileSize)),
                                              numeral(e.number),
                                              numeral(e.cashRegister),
                                              e.letter ? std::string(1, e.letter) : std::string(),
                                              numeral(e.bookingType),
                                              numeral(e.itemRows),
                                              numeral(e.paymentRows),
                                              numeral(e.budgetMs),
                                              numeral(e.waitedMs),
                                              e.outcome ? numeral(*e.outcome) : std::string(),
                                              e.status(),
                                              fileActionText(e.action),
                                              e.message,
                                              numeral(e.readMs()),
                                              numeral(e.rowsMs()),
                                              numeral(e.handOverMs()),
                                              numeral(e.waitMs()),
                                              numeral(e.markingMs()),
                                              e.recovered ? "DA" : "NE",
                                              lateOutcomeText(e.late),
                                              formatMoment(e.lateMs),
                                              fiscalNumbersText(e),
                                              e.printedTwice ? "DA" : "NE",
                                              e.open ? "DA" : "NE",
                                              e.damaged};
        for (std::size_t i = 0; i < fields.size(); ++i) csv += (i ? "," : "") + csvField(fields[i]);
        csv += "\r\n";
    }
    return csv;
}

std::string journalTable(const std::vector<JobEntry>& entries) {
    std::string table;
    for (const JobEntry& e : entries) {
        std::string line = formatMoment(e.times.takenUp ? e.times.takenUp : e.times.marked);
        line.resize(24, ' ');
        line += "posao " + numeral(e.number) + "  " + e.status() + "  fajl " + fileActionText(e.action) +
                "  cekano " + numeral(e.waitedMs) + " ms  " + oneLine(e.fileName);
        if (!e.fiscalNumbers.empty()) line += "  fiskalni " + fiscalNumbersText(e);
        if (e.printedTwice) line += std::string("  ") + kPrintedTwiceText;
        const std::string late = lateOutcomeOf(e);
        if (!late.empty()) line += "  " + late;
        if (!e.message.empty()) line += "  " + oneLine(e.message);
        if (!e.damaged.empty()) line += "  OSTECENO: " + oneLine(e.damaged);
        table += line + "\n";
    }
    return table;
}

}  // namespace fm
