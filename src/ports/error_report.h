// The one way failures reach the user: a modal error box captioned "Tideglass Desklet".
#pragma once

#include <exception>
#include <string>

namespace tideglass {

class UserInterface;

constexpr char kErrorCaption[] = "Tideglass Desklet";
constexpr char kUnknownError[] = "unknown error";

void reportError(UserInterface& ui, const std::string& context, const std::string& detail);
void reportException(UserInterface& ui, const std::string& context, const std::exception& e);

}  // namespace tideglass
