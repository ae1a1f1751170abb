#include "config/StartupSettings.h"

#include <exception>
#include <string>

#include "config/Settings.h"
#include "platform/Text.h"
#include "platform/UserInterface.h"

namespace fm {

namespace {

bool yes(const std::string& value) { return value == "DA"; }

void readRegisterNumbers(const Settings& settings, Postavke& p, UserInterface& ui) {
    struct Key {
        const char* name;
        int Postavke::*field;
    };
    static constexpr Key keys[] = {
        {"FID_OBJEKTA", &Postavke::FID_OBJEKTA},       {"FID_POR_STOPA", &Postavke::FID_POR_STOPA},
        {"FID_OPERATERA", &Postavke::FID_OPERATERA},   {"FID_ROBA", &Postavke::FID_ROBA},
        {"FID_GRUPA_ROBA", &Postavke::FID_GRUPA_ROBA}, {"FID_RACUNA", &Postavke::FID_RACUNA},
        {"FID_KUPACA", &Postavke::FID_KUPACA},
    };
    try {
        for (const Key& key : keys) p.*key.field = toWholeNumber(settings.CitajPostavku(key.name, "1"));
    } catch (const std::exception& e) {
        ui.showMessage(std::string("Greska u podesavanju settings.ini - ik dkase mora biti broj\r\n") +
                       e.what());
    }
}

void readTheRest(const Settings& settings, Postavke& p) {
    auto number = [&](const char* key, const char* defaultValue) {
        return toWholeNumber(settings.CitajPostavku(key, defaultValue));
    };
    p.TARVOOBRISI_FAJL = yes(settings.CitajPostavku("TARVOOBRISI_FAJL", "NE"));
    p.TARVOLOGGRESKE = settings.CitajPostavku("TARVOLOGGRESKE", "");
    p.K71B3 = number("K71B3", "1");
    p.F_BROJ_KASE = text::trim(settings.CitajPostavku("F_BROJ_KASE", ""));
    p.TARVOBRZINASTAMPANJASTAVKI = number("TARVOBRZINASTAMPANJASTAVKI", "300");
    p.TARVOVREMESTAMPANJAZAGLAVLJA = number("TARVOVREMESTAMPANJAZAGLAVLJA", "1500");
    p.TARVOVREMESTAMPANJAZAVRSETKA = number("TARVOVREMESTAMPANJAZAVRSETKA", "2000");
    p.TARVOREZERVNOVRIJEME = number("TARVOREZERVNOVRIJEME", "0");
    p.TARVOSLOVNESIFRE = yes(settings.CitajPostavku("TARVOSLOVNESIFRE", "NE"));
    p.TARVOLOCALDIR = settings.CitajPostavku("TARVOLOCALDIR", "C:\\RACUNI");
    p.TARVORACUN = settings.CitajPostavku("TARVORACUN", "*.inp");
    p.TARVODBDRIVERAUTOMATICTIMER = number("TARVODBDRIVERAUTOMATICTIMER", "3000");
    p.TARVOZASTITADUPLIKATA = yes(settings.CitajPostavku("TARVOZASTITADUPLIKATA", "NE"));
    p.TARVOODGOVOR = yes(settings.CitajPostavku("TARVOODGOVOR", "NE"));
    p.TARVOODGOVORDIR = settings.CitajPostavku("TARVOODGOVORDIR", "");
}

}  // namespace

const std::vector<std::string>& settingKeys() {
    // clang-format off
    static const std::vector<std::string> keys = {
        "TARVOPROVJERIISTANCU", "FID_OBJEKTA", "FID_POR_STOPA", "FID_OPERATERA", "FID_ROBA", "FID_GRUPA_ROBA",
        "FID_RACUNA", "FID_KUPACA", "TARVOOBRISI_FAJL", "TARVOLOGGRESKE", "K71B3", "F_BROJ_KASE",
        "TARVOBRZINASTAMPANJASTAVKI", "TARVOVREMESTAMPANJAZAGLAVLJA", "TARVOVREMESTAMPANJAZAVRSETKA",
        "TARVOREZERVNOVRIJEME", "TARVOSLOVNESIFRE", "TARVOLOCALDIR", "TARVORACUN", "TARVODBDRIVERAUTOMATICTIMER",
        "TARVOZASTITADUPLIKATA", "TARVOODGOVOR", "TARVOODGOVORDIR", "RBRR"};
    // clang-format on
    return keys;
}

bool singleInstanceCheckWanted(const Settings& settings) {
    return yes(settings.CitajPostavku("TARVOPROVJERIISTANCU", "DA"));
}

bool readStartupSettings(const Settings& settings, Postavke& postavke, UserInterface& ui) {
    try {
        postavke.TARVOPROVJERIISTANCU = singleInstanceCheckWanted(settings);
        readRegisterNumbers(settings, postavke, ui);
        readTheRest(settings, postavke);
        return true;
    } catch (const std::exception& e) {
        ui.showError(e.what());
        return false;
    }
}

}  // namespace fm
