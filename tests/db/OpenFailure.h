#pragma once

#include <gtest/gtest.h>

#include <string>

#include "db/DM_db_source.h"
#include "tests/support/RecordingUserInterface.h"

namespace fm::test {

// A failed open: one message, the program's words then the layer's, no connection, Timer1 off.
inline void expectOneOpenFailure(const RecordingUserInterface& ui, const Tdm_db& dm) {
    const std::string failurePrefix = "GRESKA! NE MOGU OTVORITI  BAZU PODATAKA\r\n";
    ASSERT_EQ(1u, ui.messages.size());
    EXPECT_EQ(0u, ui.messages[0].rfind(failurePrefix, 0)) << ui.messages[0];
    EXPECT_GT(ui.messages[0].size(), failurePrefix.size()) << "the layer's text follows";
    EXPECT_FALSE(dm.isConnected());
    EXPECT_FALSE(dm.timer1Enabled());
}

}  // namespace fm::test
