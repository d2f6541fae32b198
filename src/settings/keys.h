// Setting keys as they appear in the store and in the INI file.
#pragma once

namespace tideglass::keys {

constexpr char kChildAppCmdline[] = "child-app-cmdline";
constexpr char kChildAppDir[] = "child-app-dir";
constexpr char kColumns[] = "columns";
constexpr char kRows[] = "rows";
constexpr char kTextColor[] = "text-color";
constexpr char kBackgroundColor[] = "background-color";
constexpr char kLeftMargin[] = "left-margin";
constexpr char kRightMargin[] = "right-margin";
constexpr char kTopMargin[] = "top-margin";
constexpr char kBottomMargin[] = "bottom-margin";
constexpr char kPollInterval[] = "poll-interval";
constexpr char kIgnoreFgColors[] = "ignore-fg-colors";
constexpr char kIgnoreBgColors[] = "ignore-bg-colors";
constexpr char kIgnoreStyle[] = "ignore-style";
constexpr char kInvertColors[] = "invert-colors";
constexpr char kBlackIsTransparent[] = "black-is-transparent";
constexpr char kFont[] = "font";

}  // namespace tideglass::keys
