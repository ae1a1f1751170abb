#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/DM_db_source.h"
#include "tests/support/FreshDatabase.h"
#include "tests/support/QueryRows.h"
#include "tests/support/RecordingUserInterface.h"

namespace fm::test {

// A data module on a fresh embedded database, connected, recording every statement.
class DbFixture : public testing::Test {
  protected:
    explicit DbFixture(FreshDatabase::PartnerTables partnerTables = FreshDatabase::PartnerTables::Yes)
        : database(partnerTables) {
        ui.realPauses = false;
        state.postavke.K71B3 = 1;
        state.postavke.FID_RACUNA = 1;
        state.postavke.FID_ROBA = 1;
    }

    // Connects and sets BazaOtvorena as start-up does; the messages and statements of
    // connecting move to connectMessages and connectStatements.
    void connect() {
        dm = std::make_unique<Tdm_db>(state, ui);
        dm->onStatement([this](const std::string& sql) { statements.push_back(sql); });
        state.BazaOtvorena = dm->OtvoriBazuPodataka(database.iniPath());
        ASSERT_TRUE(state.BazaOtvorena) << (ui.messages.empty() ? "" : ui.messages.back());
        connectStatements = std::move(statements);
        statements.clear();
        connectMessages = std::move(ui.messages);
        ui.messages.clear();
    }

    // The named columns of every row of a query as text, joined by "/".
    std::vector<std::string> rows(const std::string& sql, const std::vector<std::string>& columns) {
        return test::rows(*dm, sql, columns, "/");
    }

    FreshDatabase database;
    RecordingUserInterface ui;
    ProcessState state;
    std::unique_ptr<Tdm_db> dm;
    std::vector<std::string> statements;
    std::vector<std::string> connectMessages;
    std::vector<std::string> connectStatements;
};

}  // namespace fm::test
