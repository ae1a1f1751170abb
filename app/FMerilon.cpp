// FMerilon: bridges the tills' command files and the fiscal printer's driver through
// the fiscal database, from the notification area. The program entry and the order
// in which everything comes to life.
#include <QApplication>
#include <QIcon>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "app/Startup.h"
#include "app/StopControl.h"
#include "app/U_Merilon.h"
#include "commands/DirectoryPolling.h"
#include "commands/ReplyFiles.h"
#include "config/Postavke.h"
#include "config/Settings.h"
#include "config/StartupSettings.h"
#include "db/DM_db_source.h"
#include "db/FirebirdClient.h"
#include "journal/Journal.h"
#include "platform/FileSystem.h"
#include "platform/desktop/DesktopUserInterface.h"
#include "platform/desktop/Display.h"
#include "platform/desktop/Log.h"
#include "platform/desktop/ProcessFormats.h"
#include "platform/desktop/SingleInstance.h"
#include "platform/desktop/StopSignals.h"

namespace {

// An error that no step catches reaches the general error box; the program goes on.
class FMerilonApplication : public QApplication {
  public:
    FMerilonApplication(int& argc, char** argv, fm::desktop::DesktopUserInterface& ui)
        : QApplication(argc, argv), ui_(ui) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ui_.showError(e.what());
            return false;
        }
    }

  private:
    fm::desktop::DesktopUserInterface& ui_;
};

// A start-up step in its own guard: its error is shown after the message, and start-up goes on.
template <class Step>
void guarded(fm::UserInterface& ui, const std::string& message, Step step) {
    try {
        step();
    } catch (const std::exception& e) {
        ui.showMessage(message + e.what());
    }
}

// The single-instance guard, and beside it the lock in the program's directory where it can be
// taken. Nullopt when another copy was asked to come to the front; otherwise why this copy
// must not poll, empty when it may.
std::optional<std::string> guardOneCopy(fm::desktop::SingleInstance& instance) {
    std::string unguarded;
    try {
        if (!instance.acquire()) return std::nullopt;
    } catch (const std::exception& e) {
        unguarded = e.what();
    }
    try {
        if (!instance.acquireBeside(fm::files::executableDirectory()))
            return "druga kopija programa iz istog direktorija vec radi";
        if (!unguarded.empty())
            fm::desktop::logLine("dogadjaj", "provjera samo jedne istance: " + unguarded +
                                                 "; cuva je lock fajl u direktoriju programa");
        return std::string();
    } catch (const std::exception& e) {
        return unguarded.empty() ? std::string() : unguarded + "; " + e.what();
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    fm::desktop::fallBackToOffscreenWithoutDisplay();
    fm::desktop::DesktopUserInterface ui;
    FMerilonApplication application(argc, argv, ui);
    fm::desktop::logLine("dogadjaj", fm::desktop::hasSystemTray() ? "pokretanje, obavijesti u trayu"
                                                                  : "pokretanje, obavijesti samo u logu");
    fm::ProcessState state;
    fm::Settings settings(fm::files::executableDirectory() + "MerilonSettings.ini");
    fm::desktop::SingleInstance instance;

    bool polls = true;
    try {
        if (fm::singleInstanceCheckWanted(settings)) {
            std::optional<std::string> unguarded = guardOneCopy(instance);
            if (!unguarded) return 1;
            if (!unguarded->empty()) {
                polls = false;
                ui.showMessage("Greska u provjeri samo jedne istance programa!\r\n" + *unguarded +
                               "\r\nOva kopija programa ne obradjuje fajlove.");
            }
        }
    } catch (const std::exception& e) {  // the settings file is there but cannot be read
        ui.showError(e.what());
        return fm::TF_Merilon::kConfigurationExitCode;
    }

    fm::StopControl stop;
    std::unique_ptr<fm::desktop::StopSignals> stopSignals;
    guarded(ui, "greska incijalizacije\r\n", [&] {
        application.setQuitOnLastWindowClosed(false);
        application.setWindowIcon(fm::programIcon());
        stopSignals = std::make_unique<fm::desktop::StopSignals>();
        QObject::connect(stopSignals.get(), &fm::desktop::StopSignals::stopRequested, [&stop] {
            fm::desktop::logLine(
                "dogadjaj", stop.scanRunning() ? "zaustavljanje po zavrsetku posla u toku" : "zaustavljanje");
            stop.requestStop(0);
        });
    });
    guarded(ui, "Greska postavljanja regionalnog formata \r\n", [] { fm::desktop::setProcessFormats(); });
    guarded(ui, "Greska postavljanja application title \r\n",
            [&ui] { ui.setApplicationTitle("Kappa fiskalni uredjaji - FMerilon"); });

    std::unique_ptr<fm::TF_Merilon> F_Merilon;
    std::unique_ptr<fm::Tdm_db> dm_db;
    std::unique_ptr<fm::Journal> journal;
    std::unique_ptr<fm::ReplyFiles> replies;  // the tills' reply files, when asked for
    std::unique_ptr<fm::DirectoryPoller> poller;
    guarded(ui, "Greska kreiranja formi \r\n", [&] {
        F_Merilon = std::make_unique<fm::TF_Merilon>(state, settings, ui, instance, stop);
        fm::prepareFirebirdClient();
        dm_db = std::make_unique<fm::Tdm_db>(state, ui);
        const std::string journalPath = fm::journalPathBeside(settings.filePath());
        journal = std::make_unique<fm::Journal>(
            journalPath, ui, [](const std::string& line) { fm::desktop::logLine("posao", line); });
        if (state.postavke.TARVOODGOVOR)
            replies = std::make_unique<fm::ReplyFiles>(state.postavke, ui, journal.get());
        if (polls) {
            poller = std::make_unique<fm::DirectoryPoller>(
                *dm_db, settings, replies ? static_cast<fm::JobJournal*>(replies.get()) : journal.get(),
                &F_Merilon->activity());
            F_Merilon->attachDataModule(*dm_db, *poller);
        }
        F_Merilon->attachJournal(journalPath);
        fm::Activity counted;
        fm::countTodayFromJournal(journalPath, counted, ui, fm::nowEpochMs());
        F_Merilon->activity().counted(counted.today, counted.countedDay);
    });

    if (F_Merilon) F_Merilon->show();  // FormShow: the database is opened now
    if (stopSignals) stopSignals->takeOver();
    if (!stop.pendingExit()) {
        fm::desktop::logLine("dogadjaj",
                             state.BazaOtvorena ? "pokrenut, baza otvorena" : "pokrenut, bez baze");
    }
    return stop.exec();
}
