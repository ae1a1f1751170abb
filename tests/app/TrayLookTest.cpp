// The tray icon's hint and looks as the tray host shows them, in this process (Xvfb with
// trayer in CI). Skipped without a display that has a tray. Screenshots of the hint while
// waiting and of the warning look are left in the build's screenshots folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolTip>

#include "app/U_Merilon.h"
#include "commands/JobEntry.h"
#include "platform/desktop/DesktopUserInterface.h"
#include "platform/desktop/Display.h"
#include "tests/app/ScreenTools.h"

namespace fm::test {
namespace {

// Rests the pointer on the icon; the tooltip window, "" when none comes.
std::string tooltipOf(const std::string& icon) {
    const qint64 pid = QCoreApplication::applicationPid();
    run("xdotool", {"mousemove", "0", "700"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return windowNow(pid, isTooltip).empty(); }, 5000))
        << "the last tooltip stayed";
    hoverIcon(icon);
    return findWindow(pid, isTooltip);
}

TEST(TrayLook, TheHintWhileWaitingAndTheWarningLook) {
    if (!desktop::hasSystemTray()) GTEST_SKIP() << "no display with a system tray";
    QSystemTrayIcon tray(programIcon());
    tray.show();
    desktop::DesktopUserInterface ui;
    ui.attachTrayIcon(&tray);
    const std::string icon = findTrayIcon(QCoreApplication::applicationPid());
    ASSERT_FALSE(icon.empty());

    Activity activity;
    activity.doing = Activity::Doing::Waiting;
    activity.number = 1204;
    activity.fileName = "C:\\RACUNI\\r1204.inp";
    activity.budgetMs = 7100;
    activity.waitedMs = 3200;
    activity.today = {41, 1, 2};
    ui.showActivity(activity);
    std::string tooltip = tooltipOf(icon);
    ASSERT_FALSE(tooltip.empty());
    EXPECT_EQ(QToolTip::text().toStdString(), activityHint(activity));
    QTest::qWait(300);
    screenshot("tray-waiting.png", upToTheTopRight(areaOf(tooltip)));

    activity.partnerStalled = true;
    activity.stalledSinceMs = nowEpochMs() - 6 * 60 * 1000;
    activity.jobsWaiting = 2;
    activity.waitedMs = 6100;
    ui.showActivity(activity);
    tooltip = tooltipOf(icon);
    ASSERT_FALSE(tooltip.empty());
    EXPECT_NE(QToolTip::text().indexOf(QStringLiteral("\nPARTNER ne preuzima poslove od ")), -1)
        << QToolTip::text().toStdString();
    QTest::qWait(300);
    screenshot("tray-warning.png", upToTheTopRight(areaOf(tooltip)));
}

}  // namespace
}  // namespace fm::test
