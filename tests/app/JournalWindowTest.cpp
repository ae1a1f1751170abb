// The journal's latest jobs in pages, filtered, and the window's view of the selected job.
#include <gtest/gtest.h>

#include <QColor>
#include <QDateTime>
#include <QPlainTextEdit>
#include <QTableView>

#include "app/JournalModel.h"
#include "app/JournalWindow.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempDir.h"

namespace fm::test {
namespace {

// 450 jobs, every third one "Er", each with a message naming its number.
void fillJournal(const std::string& path) {
    JournalStore store(path);
    for (int number = 1; number <= 450; ++number) {
        JobEntry e;
        e.number = number;
        e.fileName = "/racuni/r" + std::to_string(number) + ".inp";
        e.outcome = number % 3 == 0 ? -3 : 0;
        e.action = markFor(*e.outcome);
        e.message = number % 3 == 0 ? "Proces nije izvrsen!\r\ngreska posla " + std::to_string(number) : "";
        ASSERT_EQ(failureOf(store.add(e)), "");
    }
}

TEST(JournalModel, FetchesInPagesNewestFirstAndFilters) {
    TempDir dir;
    fillJournal(dir.file("d.db"));
    JournalStore store(dir.file("d.db"));
    JournalModel model(store);
    model.reload();

    EXPECT_EQ(model.rowCount(), JournalModel::kPage);
    EXPECT_EQ(model.entry(0)->number, 450);
    ASSERT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    model.fetchMore({});
    EXPECT_EQ(model.rowCount(), 450);
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.entry(449)->number, 1);
    for (int row = 1; row < model.rowCount(); ++row)
        ASSERT_EQ(model.entry(row)->number, model.entry(row - 1)->number - 1)
            << row;  // none twice, none left out

    const QModelIndex okStatus = model.index(0, JournalModel::Status);  // 450 is "Er"
    const QModelIndex erStatus = model.index(1, JournalModel::Status);
    EXPECT_NE(model.data(okStatus, Qt::BackgroundRole).value<QColor>(),
              model.data(erStatus, Qt::BackgroundRole).value<QColor>());
    EXPECT_EQ(model.data(model.index(0, JournalModel::Message)).toString(),
              QStringLiteral("Proces nije izvrsen! | greska posla 450"));

    model.setFilter("Er", "");
    EXPECT_EQ(model.rowCount(), 150);
    EXPECT_FALSE(model.canFetchMore({}));
    model.setFilter("OK", "r44");
    EXPECT_EQ(model.rowCount(), 8);  // r44, r440 to r449 but 441, 444 and 447
    model.setFilter("", "greska posla 99");
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.entry(0)->number, 99);
}

TEST(JournalWindow, ShowsTheFullMessageOfTheSelectedJob) {
    TempDir dir;
    fillJournal(dir.file("d.db"));
    JournalWindow window(dir.file("d.db"));
    auto* table = window.findChild<QTableView*>();
    auto* details = window.findChild<QPlainTextEdit*>();
    ASSERT_TRUE(table && details);
    EXPECT_NE(details->toPlainText().indexOf(QStringLiteral("\n\nProces nije izvrsen!")), -1)
        << details->toPlainText().toStdString();
    EXPECT_NE(details->toPlainText().indexOf(QStringLiteral("greska posla 450")), -1);
    table->selectRow(3);  // 447
    EXPECT_NE(details->toPlainText().indexOf(QStringLiteral("Posao 447, kasa 0, status Er")), -1);
}

// A "No" printed later, a receipt printed twice and a job still open, each marked apart.
TEST(JournalWindow, ShowsLateOutcomesAndFiscalNumbers) {
    TempDir dir;
    {
        JournalStore store(dir.file("d.db"));
        JobEntry late, twice, open;
        late.late = LateOutcome::Printed;
        late.lateMs = 1765290192345;
        late.times.takenUp = late.lateMs - 60000;
        late.fiscalNumbers = {4711};
        twice.fiscalNumbers = {4712, 4713};
        twice.printedTwice = true;
        open.open = true;
        for (JobEntry* e : {&late, &twice, &open}) {
            e->outcome = -2;
            ASSERT_EQ(failureOf(store.add(*e)), "");
        }
    }
    JournalWindow window(dir.file("d.db"));
    const auto shown = [&](int row, int column, int role = Qt::DisplayRole) {
        return window.model().data(window.model().index(row, column), role);
    };
    EXPECT_EQ(shown(2, JournalModel::Late).toString(),
              "odstampan kasnije " + QDateTime::fromMSecsSinceEpoch(1765290192345).toString("HH:mm:ss"));
    EXPECT_EQ(shown(2, JournalModel::Fiscal).toString(), QStringLiteral("4711"));
    EXPECT_EQ(shown(1, JournalModel::Fiscal).toString(), QStringLiteral("4712, 4713 ODSTAMPAN DVA PUTA"));
    EXPECT_EQ(shown(0, JournalModel::Late).toString(), QStringLiteral("otvoren"));
    EXPECT_NE(shown(2, JournalModel::Late, Qt::BackgroundRole),
              shown(0, JournalModel::Late, Qt::BackgroundRole));
    EXPECT_TRUE(shown(1, JournalModel::Fiscal, Qt::BackgroundRole).isValid());

    window.findChild<QTableView*>()->selectRow(2);
    const QString details = window.findChild<QPlainTextEdit*>()->toPlainText();
    EXPECT_NE(details.indexOf("Fiskalni broj: 4711\nKasnije: odstampan kasnije "), -1)
        << details.toStdString();
}

}  // namespace
}  // namespace fm::test
