#include "desklet/report_current.h"

#include <exception>

#include "ports/error_report.h"

namespace tideglass {

void reportCurrentException(UserInterface& ui, const std::string& context) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            reportException(ui, context, e);
        } catch (...) {
            reportError(ui, context, kUnknownError);
        }
    } catch (...) {
    }
}

}  // namespace tideglass
