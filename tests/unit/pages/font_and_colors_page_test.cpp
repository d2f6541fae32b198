#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "fakes/fake_choosers.h"
#include "fakes/fake_configurable.h"
#include "fakes/fake_dialog.h"
#include "fakes/fake_user_interface.h"
#include "pages/font_and_colors_page.h"
#include "pages/resource.h"
#include "settings/keys.h"

namespace tideglass {
namespace {

class FontAndColorsPageTest : public ::testing::Test {
protected:
    void openPage() { page.open(desklet.token); }
    int32_t background() { return desklet.settings.integer(keys::kBackgroundColor); }

    fakes::FakeConfigurable desklet;
    fakes::FakeDialog dialog;
    fakes::FakeChoosers choosers;
    fakes::FakeUserInterface ui;
    FontAndColorsPage page{dialog, choosers, ui};
};

TEST_F(FontAndColorsPageTest, OpensWithDefaults) {
    openPage();
    EXPECT_TRUE(dialog.checks[IDC_IGNORE_FG_COLORS]);
    EXPECT_TRUE(dialog.checks[IDC_IGNORE_BG_COLORS]);
    EXPECT_TRUE(dialog.checks[IDC_IGNORE_STYLE]);
    EXPECT_FALSE(dialog.checks[IDC_INVERT_COLORS]);
    EXPECT_TRUE(dialog.checks[IDC_BLACK_IS_TRANSPARENT]);
    EXPECT_EQ(dialog.texts[IDC_TRANSPARENCY], "128");
    EXPECT_EQ(dialog.written,
              (std::vector<int>{IDC_IGNORE_FG_COLORS, IDC_IGNORE_BG_COLORS, IDC_IGNORE_STYLE,
                                IDC_INVERT_COLORS, IDC_BLACK_IS_TRANSPARENT, IDC_TRANSPARENCY}));
}

struct TransparencyCase {
    const char* name;
    const char* field;
    uint32_t background;
    ChangeFlags flags;
};

void PrintTo(const TransparencyCase& c, std::ostream* os) {
    *os << c.name << " \"" << c.field << '"';
}

class Transparency : public FontAndColorsPageTest,
                     public ::testing::WithParamInterface<TransparencyCase> {};

TEST_P(Transparency, LowEightBitsBecomeTheAlpha) {
    const auto& c = GetParam();
    desklet.settings.integer(keys::kBackgroundColor) = static_cast<int32_t>(0x80123456u);
    openPage();
    dialog.texts[IDC_TRANSPARENCY] = c.field;
    page.apply();
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, c.flags);
    EXPECT_EQ(static_cast<uint32_t>(background()), c.background) << std::hex << background();
}

INSTANTIATE_TEST_SUITE_P(
    Field, Transparency,
    ::testing::Values(TransparencyCase{"Opaque", "255", 0xFF123456u, kRenderingChange},
                      TransparencyCase{"Transparent", "0", 0x00123456u, kRenderingChange},
                      TransparencyCase{"Unchanged", "128", 0x80123456u, 0},
                      TransparencyCase{"Wraps256", "256", 0x00123456u, kRenderingChange},
                      TransparencyCase{"Wraps300", "300", 0x2C123456u, kRenderingChange},
                      TransparencyCase{"MinusKeeps", "-1", 0x80123456u, 0},
                      TransparencyCase{"LettersKeep", "abc", 0x80123456u, 0},
                      TransparencyCase{"EmptyKeeps", "", 0x80123456u, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FontAndColorsPageTest, CheckBoxesStoreOneOrZero) {
    desklet.settings.integer(keys::kIgnoreStyle) = 2;  // hand-edited INI file
    openPage();
    EXPECT_TRUE(dialog.checks[IDC_IGNORE_STYLE]);
    page.apply();
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_EQ(desklet.settings.integer(keys::kIgnoreStyle), 1);

    dialog.checks[IDC_INVERT_COLORS] = true;
    dialog.checks[IDC_IGNORE_FG_COLORS] = false;
    page.apply();
    EXPECT_EQ(desklet.applies[1].flags, kRenderingChange);
    EXPECT_EQ(desklet.settings.integer(keys::kInvertColors), 1);
    EXPECT_EQ(desklet.settings.integer(keys::kIgnoreFgColors), 0);

    page.apply();
    EXPECT_EQ(desklet.applies[2].flags, 0u);  // nothing changed, still applied
}

TEST_F(FontAndColorsPageTest, TextColorChooserStoresWholeColorRef) {
    openPage();
    choosers.colorAnswer = 0x00E0E0E0u;  // the user confirms the light grey offered
    page.buttonClicked(IDC_TEXT_COLOR);
    ASSERT_EQ(choosers.colorCalls.size(), 1u);
    EXPECT_EQ(choosers.colorCalls[0].initial, 0x00E0E0E0u);
    EXPECT_EQ(choosers.colorCalls[0].custom, &moduleCustomColors());
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_EQ(desklet.settings.integer(keys::kTextColor), 0x00E0E0E0);
}

TEST_F(FontAndColorsPageTest, BackgroundChooserKeepsAlpha) {
    openPage();
    choosers.colorAnswer = 0x00FFFFFFu;
    page.buttonClicked(IDC_BACKGROUND_COLOR);
    ASSERT_EQ(choosers.colorCalls.size(), 1u);
    EXPECT_EQ(choosers.colorCalls[0].initial, 0u);
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_EQ(static_cast<uint32_t>(background()), 0x80FFFFFFu);
}

TEST_F(FontAndColorsPageTest, ChooserTakesLiveSettingsNotUnappliedEdits) {
    openPage();
    dialog.texts[IDC_TRANSPARENCY] = "255";
    dialog.checks[IDC_INVERT_COLORS] = true;
    choosers.colorAnswer = 0x000000FFu;
    page.buttonClicked(IDC_BACKGROUND_COLOR);
    EXPECT_EQ(static_cast<uint32_t>(background()), 0x800000FFu);
    EXPECT_EQ(desklet.settings.integer(keys::kInvertColors), 0);
    page.apply();  // the edits still wait in the controls
    EXPECT_EQ(static_cast<uint32_t>(background()), 0xFF0000FFu);
    EXPECT_EQ(desklet.settings.integer(keys::kInvertColors), 1);
}

TEST_F(FontAndColorsPageTest, CancelledChoosersChangeNothing) {
    openPage();
    const Settings before = desklet.settings;
    for (int id : {IDC_TEXT_COLOR, IDC_BACKGROUND_COLOR, IDC_FONT})
        page.buttonClicked(id);
    EXPECT_EQ(choosers.colorCalls.size(), 2u);
    EXPECT_EQ(choosers.fontCalls.size(), 1u);
    EXPECT_TRUE(desklet.applies.empty());
    EXPECT_EQ(desklet.settings.integers, before.integers);
    EXPECT_EQ(std::memcmp(&desklet.settings.font, &before.font, sizeof(FontBlock)), 0);
}

TEST_F(FontAndColorsPageTest, FontChooserStartsOnOemCharset) {
    openPage();
    std::strcpy(desklet.settings.font.faceName, "Lucida Console");
    desklet.settings.font.charSet = 0;
    FontBlock chosen{};
    chosen.height = -12;
    chosen.charSet = 0;
    std::strcpy(chosen.faceName, "Courier New");
    choosers.fontAnswer = chosen;

    page.buttonClicked(IDC_FONT);
    dialog.checks[IDC_SHOW_NON_OEM_FONTS] = true;
    page.buttonClicked(IDC_FONT);

    ASSERT_EQ(choosers.fontCalls.size(), 2u);
    EXPECT_EQ(choosers.fontCalls[0].fontAtCall.charSet, kOemCharset);
    EXPECT_STREQ(choosers.fontCalls[0].fontAtCall.faceName, "Lucida Console");
    EXPECT_FALSE(choosers.fontCalls[0].showNonOem);
    EXPECT_EQ(choosers.fontCalls[1].fontAtCall.charSet, kOemCharset);
    EXPECT_TRUE(choosers.fontCalls[1].showNonOem);
    ASSERT_EQ(desklet.applies.size(), 2u);
    EXPECT_EQ(desklet.applies[0].flags, kRenderingChange);
    EXPECT_STREQ(desklet.settings.font.faceName, "Courier New");
    EXPECT_EQ(desklet.settings.font.height, -12);
}

TEST_F(FontAndColorsPageTest, OtherButtonsAndMissingLinkAreIgnored) {
    openPage();
    choosers.colorAnswer = 0x123456u;
    page.buttonClicked(IDC_INVERT_COLORS);
    page.buttonClicked(IDC_SHOW_NON_OEM_FONTS);
    page.close();
    page.buttonClicked(IDC_TEXT_COLOR);
    page.apply();
    EXPECT_TRUE(choosers.colorCalls.empty());
    EXPECT_TRUE(desklet.applies.empty());
}

// A chooser is not owned by the sheet: the other page can apply while it is open, and what it
// applied must survive the chooser's own apply.
class ChooserOpenWhileOtherPageApplies : public FontAndColorsPageTest,
                                         public ::testing::WithParamInterface<int> {};

TEST_P(ChooserOpenWhileOtherPageApplies, KeepsTheOtherPagesEdits) {
    openPage();
    choosers.colorAnswer = 0x123456u;
    choosers.fontAnswer = FontBlock{};
    choosers.whileOpen = [&] {
        EXPECT_EQ(desklet.holds, 0) << "the widget can go while the chooser is open";
        desklet.settings.text(keys::kChildAppCmdline) = "other.exe";
        desklet.settings.integer(keys::kColumns) = 120;
    };
    page.buttonClicked(GetParam());
    ASSERT_EQ(desklet.applies.size(), 1u);
    EXPECT_EQ(desklet.settings.text(keys::kChildAppCmdline), "other.exe");
    EXPECT_EQ(desklet.settings.integer(keys::kColumns), 120);
}

INSTANTIATE_TEST_SUITE_P(EachChooser, ChooserOpenWhileOtherPageApplies,
                         ::testing::Values(IDC_TEXT_COLOR, IDC_BACKGROUND_COLOR, IDC_FONT));

// The sheet can outlive the widget: a page must not reach a destroyed desklet, also not when
// the widget goes while a chooser is open.
TEST_F(FontAndColorsPageTest, PageOfADestroyedDeskletDoesNothing) {
    openPage();
    choosers.colorAnswer = 0x123456u;
    choosers.whileOpen = [&] { desklet.kill(); };
    page.buttonClicked(IDC_TEXT_COLOR);
    choosers.whileOpen = nullptr;
    page.buttonClicked(IDC_BACKGROUND_COLOR);
    page.apply();
    EXPECT_EQ(choosers.colorCalls.size(), 1u);
    EXPECT_TRUE(desklet.applies.empty());
}

TEST_F(FontAndColorsPageTest, ChooserApplyFailureIsReportedOnceAndContained) {
    openPage();
    desklet.onApply = [] { throw std::runtime_error("out of memory"); };
    choosers.colorAnswer = 0x123456u;
    EXPECT_NO_THROW(page.buttonClicked(IDC_TEXT_COLOR));
    EXPECT_NO_THROW(page.apply());
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text,
              "An exception occured while updating the desklet configuration: out of memory");
}

}  // namespace
}  // namespace tideglass
