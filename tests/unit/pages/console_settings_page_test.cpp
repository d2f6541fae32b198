#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "fakes/fake_configurable.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_user_interface.h"
#include "pages/console_settings_page.h"
#include "pages/resource.h"
#include "settings/keys.h"

namespace tideglass {
namespace {

class ConsoleSettingsPageTest : public ::testing::Test {
protected:
    void openPage() { page.open(desklet.token); }

    fakes::FakeConfigurable desklet;
    fakes::FakeDialog dialog;
    fakes::FakeUserInterface ui;
    ConsoleSettingsPage page{dialog, ui};
};

TEST_F(ConsoleSettingsPageTest, OpensWithDefaultsInFillOrder) {
    openPage();
    EXPECT_EQ(dialog.texts[IDC_COMMAND_LINE], "%COMSPEC%");
    EXPECT_EQ(dialog.texts[IDC_START_DIRECTORY], "%HOMEPATH%");
    EXPECT_EQ(dialog.texts[IDC_UPDATE_EVERY], "250");
    EXPECT_EQ(dialog.texts[IDC_COLUMNS], "80");
    EXPECT_EQ(dialog.texts[IDC_ROWS], "25");
    for (int id : {IDC_LEFT_MARGIN, IDC_RIGHT_MARGIN, IDC_TOP_MARGIN, IDC_BOTTOM_MARGIN}) {
        EXPECT_EQ(dialog.texts[id], "8") << "field " << id;
    }
    EXPECT_EQ(dialog.written,
              (std::vector<int>{IDC_COMMAND_LINE, IDC_START_DIRECTORY, IDC_UPDATE_EVERY,
                                IDC_COLUMNS, IDC_ROWS, IDC_LEFT_MARGIN, IDC_RIGHT_MARGIN,
                                IDC_TOP_MARGIN, IDC_BOTTOM_MARGIN}));
    EXPECT_TRUE(desklet.applies.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

struct ApplyCase {
    const char* name;
    std::map<int, std::string> edits;
    ChangeFlags flags;
    std::map<std::string, int32_t> integers;  // expected afterwards (others keep defaults)
    std::map<std::string, std::string> texts;
};

void PrintTo(const ApplyCase& c, std::ostream* os) {
    *os << c.name;
}

class ConsoleSettingsApply : public ConsoleSettingsPageTest,
                             public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ConsoleSettingsApply, StoresChangedFieldsWithTheirFlags) {
    const ApplyCase& c = GetParam();
    openPage();
    for (const auto& [id, text] : c.edits)
        dialog.texts[id] = text;
    page.apply();

    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, c.flags);
    Settings expected;
    for (const auto& [key, value] : c.integers)
        expected.integer(key) = value;
    for (const auto& [key, value] : c.texts)
        expected.text(key) = value;
    EXPECT_EQ(desklet.settings.integers, expected.integers);
    EXPECT_EQ(desklet.settings.strings, expected.strings);
    EXPECT_TRUE(ui.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ConsoleSettingsApply,
    ::testing::Values(
        ApplyCase{"Untouched", {}, 0, {}, {}},
        ApplyCase{"RetypedValues",
                  {{IDC_ROWS, "25"}, {IDC_COLUMNS, "80"}, {IDC_COMMAND_LINE, "%COMSPEC%"}},
                  0,
                  {},
                  {}},
        ApplyCase{"LettersInRowsKeepRowsOthersApply",
                  {{IDC_ROWS, "abc"}, {IDC_COLUMNS, "100"}, {IDC_TOP_MARGIN, "2"}},
                  kConsoleSizeChange | kRenderingChange,
                  {{keys::kColumns, 100}, {keys::kTopMargin, 2}},
                  {}},
        ApplyCase{"MinusInRowsKeepsRows",
                  {{IDC_ROWS, "-3"}, {IDC_LEFT_MARGIN, "4"}},
                  kRenderingChange,
                  {{keys::kLeftMargin, 4}},
                  {}},
        ApplyCase{"EmptyNumberKeepsValue", {{IDC_ROWS, ""}}, 0, {}, {}},
        ApplyCase{"NumberAboveRangeKeepsValue", {{IDC_COLUMNS, "4294967296"}}, 0, {}, {}},
        ApplyCase{
            "ZeroIsAccepted", {{IDC_COLUMNS, "0"}}, kConsoleSizeChange, {{keys::kColumns, 0}}, {}},
        ApplyCase{"LargeNumberKeepsItsBits",
                  {{IDC_ROWS, "4294967295"}, {IDC_COLUMNS, "2147483648"}},
                  kConsoleSizeChange,
                  {{keys::kRows, -1}, {keys::kColumns, -2147483647 - 1}},
                  {}},
        ApplyCase{"ClearedCommandLineKeepsOldOne", {{IDC_COMMAND_LINE, ""}}, 0, {}, {}},
        ApplyCase{"CaseOnlyChangeOfCommandLine",
                  {{IDC_COMMAND_LINE, "%comspec%"}},
                  kChildApplicationChange,
                  {},
                  {{keys::kChildAppCmdline, "%comspec%"}}},
        ApplyCase{"TrailingBlankIsAChange",
                  {{IDC_START_DIRECTORY, "%HOMEPATH% "}},
                  kChildApplicationChange,
                  {},
                  {{keys::kChildAppDir, "%HOMEPATH% "}}},
        ApplyCase{"OnlyAMargin",
                  {{IDC_BOTTOM_MARGIN, "0"}},
                  kRenderingChange,
                  {{keys::kBottomMargin, 0}},
                  {}},
        ApplyCase{"OnlyUpdateEvery",
                  {{IDC_UPDATE_EVERY, "100"}},
                  kPollIntervalChange,
                  {{keys::kPollInterval, 100}},
                  {}},
        ApplyCase{"EverythingChanged",
                  {{IDC_ROWS, "30"},
                   {IDC_COMMAND_LINE, "cmd.exe /k"},
                   {IDC_UPDATE_EVERY, "50"},
                   {IDC_RIGHT_MARGIN, "1"}},
                  kAllChanges,
                  {{keys::kRows, 30}, {keys::kPollInterval, 50}, {keys::kRightMargin, 1}},
                  {{keys::kChildAppCmdline, "cmd.exe /k"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleSettingsPageTest, StoredMinusOneShowsUnsignedAndIsKept) {
    desklet.settings.integer(keys::kTopMargin) = -1;
    openPage();
    EXPECT_EQ(dialog.texts[IDC_TOP_MARGIN], "4294967295");
    page.apply();
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, 0u);
    EXPECT_EQ(desklet.settings.integer(keys::kTopMargin), -1);
}

TEST_F(ConsoleSettingsPageTest, LongTextIsCutAt32767Characters) {
    openPage();
    dialog.texts[IDC_COMMAND_LINE] = std::string(40000, 'x');
    page.apply();
    EXPECT_EQ(desklet.settings.text(keys::kChildAppCmdline), std::string(32767, 'x'));
}

TEST_F(ConsoleSettingsPageTest, EachApplyComparesAgainstTheSettingsOfThatMoment) {
    openPage();
    dialog.texts[IDC_COLUMNS] = "100";
    page.apply();
    page.apply();
    ASSERT_EQ(desklet.applies.size(), 2u);
    EXPECT_EQ(desklet.applies[0].flags, kConsoleSizeChange);
    EXPECT_EQ(desklet.applies[1].flags, 0u);
}

TEST_F(ConsoleSettingsPageTest, WithoutLinkNothingHappens) {
    page.open(0);
    EXPECT_TRUE(dialog.written.empty());
    page.apply();
    EXPECT_TRUE(desklet.applies.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

// A sheet left open after the host destroyed the widget.
TEST_F(ConsoleSettingsPageTest, PageOfADestroyedDeskletDoesNothing) {
    page.open(desklet.token);
    desklet.kill();
    page.apply();
    dialog.written.clear();
    page.open(desklet.token);
    EXPECT_TRUE(desklet.applies.empty());
    EXPECT_TRUE(dialog.written.empty());
}

// The host can build its next widget at the address the destroyed one had.
TEST_F(ConsoleSettingsPageTest, PageOfADestroyedDeskletLeavesANewOneAtItsAddressAlone) {
    openPage();
    desklet.kill();
    desklet.revive();
    page.apply();
    EXPECT_TRUE(desklet.applies.empty());
}

TEST_F(ConsoleSettingsPageTest, DestroyRemovesTheLink) {
    openPage();
    page.close();
    EXPECT_FALSE(dialog.hasLink);
    page.apply();
    EXPECT_TRUE(desklet.applies.empty());
}

TEST_F(ConsoleSettingsPageTest, ApplyFailureIsReportedOnceAndContained) {
    openPage();
    desklet.onApply = [] { throw std::runtime_error("no memory for the grids"); };
    EXPECT_NO_THROW(page.apply());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Tideglass Desklet");
    EXPECT_EQ(ui.boxes[0].text,
              "An exception occured while updating the desklet configuration: no memory for the "
              "grids");

    desklet.onApply = [] { throw 42; };
    EXPECT_NO_THROW(page.apply());
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].text,
              "An exception occured while updating the desklet configuration: unknown error");
}

TEST_F(ConsoleSettingsPageTest, OpeningFailureIsReportedAndContained) {
    dialog.failLinkRead = true;
    EXPECT_NO_THROW(openPage());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "An exception occured: link unreadable");
}

}  // namespace
}  // namespace tideglass
