#include "platform/UserInterface.h"

namespace fm {

void Obavijesti(UserInterface& ui, const std::string& text) {
    ui.PrikaziObavijest(std::string(), text);
    ui.processPendingEvents();
}

}  // namespace fm
