// Nothing may escape a page's dialog procedure into the dialog manager: every step of a page
// runs inside this guard, which turns a failure into the plug-in's error box and carries on.
#pragma once

#include <exception>

#include "ports/error_report.h"

namespace tideglass {

class UserInterface;

constexpr char kPageOpenContext[] = "An exception occured";
constexpr char kPageUpdateContext[] =
    "An exception occured while updating the desklet configuration";

template <typename Step>
void runPageStep(UserInterface& ui, const char* context, Step&& step) noexcept {
    try {
        step();
    } catch (const std::exception& e) {
        try {
            reportException(ui, context, e);
        } catch (...) {
            // The box itself could not be built (memory); there is nothing left to tell.
        }
    } catch (...) {
        try {
            reportError(ui, context, kUnknownError);
        } catch (...) {
        }
    }
}

}  // namespace tideglass
