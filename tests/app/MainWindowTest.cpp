// The main window on the offscreen platform: no tray, so the stop question is answered
// No and the window minimises instead of hiding in the tray.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <memory>
#include <string>

#include "app/StopControl.h"
#include "app/U_Merilon.h"
#include "config/Postavke.h"
#include "config/Settings.h"
#include "platform/desktop/DesktopUserInterface.h"
#include "platform/desktop/SingleInstance.h"
#include "tests/support/LogCapture.h"
#include "tests/support/SettingsFile.h"

namespace fm {
namespace {

class MainWindow : public ::testing::Test {
  protected:
    void create(const std::string& settingsText) {
        settings = std::make_unique<Settings>(file.write(settingsText));
        window = std::make_unique<TF_Merilon>(state, *settings, ui, instance, stop);
    }

    int stopQuestions() const { return test::countOf(log.text(), "[FMerilon pitanje]"); }

    test::SettingsFile file;
    test::LogCapture log;
    ProcessState state;
    std::unique_ptr<Settings> settings;
    desktop::DesktopUserInterface ui;
    desktop::SingleInstance instance;
    StopControl stop;
    std::unique_ptr<TF_Merilon> window;
};

const char* const kGoodSettings = "F_BROJ_KASE= AB1234 \r\nRBRR=41\r\n";

TEST_F(MainWindow, HasItsTitleStripPictureAndTrayIcon) {
    create(kGoodSettings);
    EXPECT_EQ(window->windowTitle(), "FMERILON");
    EXPECT_EQ(window->size(), QSize(500, 366));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(128, 128, 255));

    const auto* panel = window->findChild<QLabel*>("Panel1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 500, 17));
    EXPECT_EQ(panel->text(), "FMERILON");
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(166, 202, 240));

    const auto* image = window->findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->geometry(), QRect(0, 17, 500, 349));
    EXPECT_EQ(image->pixmap().size(), QSize(500, 350));

    const auto* icon = window->findChild<QSystemTrayIcon*>("CoolTrayIcon1");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->toolTip(), "FMerilon");
    EXPECT_EQ(icon->icon().availableSizes().value(0), QSize(54, 54));
    ASSERT_NE(icon->contextMenu(), nullptr);
    ASSERT_EQ(icon->contextMenu()->actions().size(), 2);
    EXPECT_EQ(icon->contextMenu()->actions().at(0)->text(), "Zadnji poslovi");
    EXPECT_EQ(icon->contextMenu()->actions().at(1)->text(), "Zatvaranje FMerilona");
}

TEST_F(MainWindow, KeysWithACharacterAskTheStopQuestionOthersDoNot) {
    create(kGoodSettings);
    window->show();
    QTest::keyClick(window.get(), Qt::Key_Left);
    QTest::keyClick(window.get(), Qt::Key_Shift);
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(stopQuestions(), 0);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Q);
    EXPECT_EQ(stopQuestions(), 3);
    EXPECT_TRUE(window->isVisible());  // answered No
    EXPECT_FALSE(stop.pendingExit());
}

TEST_F(MainWindow, MinimisesOnceTwoSecondsAfterShowing) {
    create(kGoodSettings);
    window->show();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }, 10000));
    window->showNormal();
    QTest::qWait(2500);
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWindow, ThePictureIsThereWheneverTheWindowIsOnScreen) {
    create(kGoodSettings);
    const auto* image = window->findChild<QLabel*>("Image1");
    ASSERT_NE(image, nullptr);
    window->show();
    EXPECT_EQ(image->pixmap().size(), QSize(500, 350));
    window->showMinimized();
    EXPECT_TRUE(image->pixmap().isNull());
    window->showNormal();
    EXPECT_EQ(image->pixmap().size(), QSize(500, 350));
    window->hide();
    EXPECT_TRUE(image->pixmap().isNull());
    window->showMaximized();
    EXPECT_EQ(image->pixmap().size(), QSize(500, 350));
}

TEST_F(MainWindow, AWrongFiscalRegisterNumberEndsTheProgramAfterTheShowStep) {
    create("F_BROJ_KASE=12345\r\n");
    window->show();
    EXPECT_TRUE(log.contains("[FMerilon poruka] Neispravan IBFK!\n"));
    EXPECT_EQ(stop.pendingExit(), TF_Merilon::kConfigurationExitCode);
}

TEST_F(MainWindow, AnotherCopyBringsTheWindowBack) {
    create(kGoodSettings);
    window->show();
    window->hide();
    emit instance.handOverRequested();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized() || window->isMaximized());
}

TEST_F(MainWindow, ADoubleClickCoversTheScreenAndAnotherCopyBringsBackTheSmallWindow) {
    create(kGoodSettings);
    const QRect normal = window->geometry();
    window->show();
    window->hide();
    auto* icon = window->findChild<QSystemTrayIcon*>("CoolTrayIcon1");
    ASSERT_NE(icon, nullptr);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isMaximized());
    EXPECT_EQ(window->geometry(), window->screen()->availableGeometry());
    EXPECT_EQ(window->findChild<QLabel*>("Panel1")->width(), window->width());

    emit instance.handOverRequested();
    EXPECT_FALSE(window->isMaximized());
    EXPECT_EQ(window->geometry(), normal);
    EXPECT_EQ(window->findChild<QLabel*>("Image1")->geometry(), QRect(0, 17, 500, 349));
}

TEST_F(MainWindow, WithoutACompleteFormCreateAnotherCopyIsNotHeard) {
    create("F_BROJ_KASE=AB1234\r\nK71B3=jedan\r\n");
    EXPECT_TRUE(log.contains("[FMerilon greska]"));
    window->show();
    window->hide();
    emit instance.handOverRequested();
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace fm
