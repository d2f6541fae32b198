#include "ports/error_report.h"

#include "ports/user_interface.h"

namespace tideglass {

void reportError(UserInterface& ui, const std::string& context, const std::string& detail) {
    ui.showError(kErrorCaption, context + ": " + detail);
}

void reportException(UserInterface& ui, const std::string& context, const std::exception& e) {
    reportError(ui, context, e.what());
}

}  // namespace tideglass
