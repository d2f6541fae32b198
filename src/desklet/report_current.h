// Turns the exception being handled into the one error box, for the places that catch
// everything (the child restart and the renderer rebuild).
#pragma once

#include <string>

namespace tideglass {

class UserInterface;

// Call only from inside a catch handler. A standard exception shows its own text, any other
// "unknown error". Never throws: when even the box cannot be shown there is nowhere left to
// report to.
void reportCurrentException(UserInterface& ui, const std::string& context) noexcept;

}  // namespace tideglass
