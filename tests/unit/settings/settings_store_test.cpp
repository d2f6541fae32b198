#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "settings/keys.h"
#include "settings/settings.h"

namespace tideglass {
namespace {

template <typename Map>
std::vector<std::string> keysOf(const Map& map) {
    std::vector<std::string> result;
    for (const auto& entry : map)
        result.push_back(entry.first);
    return result;
}

TEST(SettingsStore, FreshStoreHoldsEveryDefault) {
    Settings s;
    EXPECT_EQ(s.strings.size(), 2u);
    EXPECT_EQ(s.integers.size(), 14u);
    EXPECT_TRUE(s.reals.empty());
    EXPECT_EQ(s.text(keys::kChildAppCmdline), "%COMSPEC%");
    EXPECT_EQ(s.text(keys::kChildAppDir), "%HOMEPATH%");
    EXPECT_EQ(s.integer(keys::kTextColor), -2039584);
    EXPECT_EQ(s.integer(keys::kBackgroundColor), -2147483647 - 1);
    EXPECT_EQ(s.integer(keys::kPollInterval), 250);
    const FontBlock zero{};
    EXPECT_EQ(std::memcmp(&s.font, &zero, sizeof zero), 0);
}

TEST(SettingsStore, MapsIterateInByteOrder) {
    Settings s;
    EXPECT_EQ(
        keysOf(s.integers),
        (std::vector<std::string>{"background-color", "black-is-transparent", "bottom-margin",
                                  "columns", "ignore-bg-colors", "ignore-fg-colors", "ignore-style",
                                  "invert-colors", "left-margin", "poll-interval", "right-margin",
                                  "rows", "text-color", "top-margin"}));
    EXPECT_EQ(keysOf(s.strings), (std::vector<std::string>{"child-app-cmdline", "child-app-dir"}));
    s.integer("\xff-high") = 1;  // bytes above 0x7f sort after ASCII
    s.integer("top") = 1;        // a prefix sorts first
    EXPECT_EQ(keysOf(s.integers).back(), "\xff-high");
    EXPECT_LT(keysOf(s.integers)[13], "top-margin");
}

TEST(SettingsStore, AbsentKeyIsInsertedEmpty) {
    Settings s;
    EXPECT_EQ(s.text("no-such-text"), "");
    EXPECT_EQ(s.integer("no-such-number"), 0);
    EXPECT_EQ(s.strings.count("no-such-text"), 1u);
    EXPECT_EQ(s.integers.count("no-such-number"), 1u);
}

TEST(SettingsStore, CopiesShareNothing) {
    Settings source;
    Settings copy = source;
    copy.integer(keys::kColumns) = 120;
    copy.text(keys::kChildAppDir) = "C:\\";
    copy.font.faceName[0] = 'X';
    EXPECT_EQ(source.integer(keys::kColumns), 80);
    EXPECT_EQ(source.text(keys::kChildAppDir), "%HOMEPATH%");
    EXPECT_FALSE(source.font.hasFaceName());

    source.integer(keys::kRows) = 50;
    EXPECT_EQ(copy.integer(keys::kRows), 25);
}

TEST(SettingsStore, SelfAssignmentKeepsEveryValue) {
    Settings s;
    s.integer(keys::kColumns) = 132;
    s.font.height = -12;
    Settings& alias = s;
    s = alias;
    EXPECT_EQ(s.integer(keys::kColumns), 132);
    EXPECT_EQ(s.font.height, -12);
    EXPECT_EQ(s.integers.size(), 14u);
}

}  // namespace
}  // namespace tideglass
