#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fakes/fake_profile.h"
#include "settings/ini_file_profile.h"
#include "settings/keys.h"
#include "settings/persistence.h"
#include "settings/settings.h"
#include "settings/value_text.h"

namespace tideglass {
namespace {

using fakes::FakeProfile;

const std::string kFile = "C:\\host\\desklets.ini";
const std::string kSection = "Tideglass 3";

bool sameFont(const FontBlock& a, const FontBlock& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class PersistenceTest : public ::testing::Test {
protected:
    void serve(const std::string& key, const std::string& value) {
        profile.values[{kSection, key}] = value;
    }
    void load() { loadSettingsFromProfile(profile, settings, kFile, kSection); }

    FakeProfile profile;
    Settings settings;
};

TEST_F(PersistenceTest, SavingTheDefaultsWritesSeventeenKeysInOrder) {
    saveSettingsToProfile(profile, settings, kFile, kSection);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"font", std::string(122, '0')},
        {"child-app-cmdline", "%COMSPEC%"},
        {"child-app-dir", "%HOMEPATH%"},
        {"background-color", "-2147483648"},
        {"black-is-transparent", "1"},
        {"bottom-margin", "8"},
        {"columns", "80"},
        {"ignore-bg-colors", "1"},
        {"ignore-fg-colors", "1"},
        {"ignore-style", "1"},
        {"invert-colors", "0"},
        {"left-margin", "8"},
        {"poll-interval", "250"},
        {"right-margin", "8"},
        {"rows", "25"},
        {"text-color", "-2039584"},
        {"top-margin", "8"}};
    ASSERT_EQ(profile.calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const FakeProfile::Call& call = profile.calls[i];
        EXPECT_EQ(call.operation, i == 0 ? "writeStruct" : "writeString") << i;
        EXPECT_EQ(call.key, expected[i].first) << i;
        EXPECT_EQ(call.value, expected[i].second) << i;
        EXPECT_EQ(call.section, kSection) << i;
        EXPECT_EQ(call.file, kFile) << i;
    }
    EXPECT_EQ(profile.calls[0].size, 60u);
}

TEST_F(PersistenceTest, LoadReadsFontThenEveryKnownKeyInKeyOrder) {
    load();
    ASSERT_EQ(profile.calls.size(), 17u);
    EXPECT_EQ(profile.calls[0].operation, "readStruct");
    EXPECT_EQ(profile.calls[0].key, "font");
    EXPECT_EQ(profile.calls[0].size, 60u);
    EXPECT_EQ(profile.calls[1].key, "child-app-cmdline");
    EXPECT_EQ(profile.calls[2].key, "child-app-dir");
    EXPECT_EQ(profile.calls[3].key, "background-color");
    EXPECT_EQ(profile.calls[16].key, "top-margin");
    for (size_t i = 1; i < profile.calls.size(); ++i) {
        EXPECT_EQ(profile.calls[i].operation, "readString");
        EXPECT_EQ(profile.calls[i].value, "") << "fallback of " << profile.calls[i].key;
        EXPECT_EQ(profile.calls[i].size, 32768u);
        EXPECT_EQ(profile.calls[i].file, kFile);
        EXPECT_EQ(profile.calls[i].section, kSection);
    }
    // Nothing found: every default stays.
    Settings defaults;
    EXPECT_EQ(settings.strings, defaults.strings);
    EXPECT_EQ(settings.integers, defaults.integers);
}

struct IntegerLoadCase {
    const char* key;
    const char* text;
    int32_t expected;
};

std::ostream& operator<<(std::ostream& out, const IntegerLoadCase& c) {
    return out << c.key << "=" << c.text;
}

class IntegerLoadTest : public PersistenceTest,
                        public ::testing::WithParamInterface<IntegerLoadCase> {};

TEST_P(IntegerLoadTest, ValueIsParsedOrTheOldOneKept) {
    serve(GetParam().key, GetParam().text);
    load();
    Settings expected;
    expected.integer(GetParam().key) = GetParam().expected;
    EXPECT_EQ(settings.integers, expected.integers);
}

INSTANTIATE_TEST_SUITE_P(
    SectionValues, IntegerLoadTest,
    ::testing::Values(IntegerLoadCase{"columns", "100", 100}, IntegerLoadCase{"rows", "abc", 25},
                      IntegerLoadCase{"rows", "30x", 30}, IntegerLoadCase{"rows", "  -7", -7},
                      IntegerLoadCase{"rows", "+12", 12}, IntegerLoadCase{"rows", "true", 25},
                      IntegerLoadCase{"text-color", "0xFF0000", 0},
                      IntegerLoadCase{"text-color", "4292927712", -2039584},
                      IntegerLoadCase{"background-color", "2147483648", -2147483647 - 1},
                      IntegerLoadCase{"background-color", "-16777216", -16777216},
                      IntegerLoadCase{"poll-interval", " \t", 250}));

TEST_F(PersistenceTest, EachIntegerIsParsedAfresh) {
    serve("background-color", "12abc");
    serve("black-is-transparent", "zz");
    serve("bottom-margin", "-");
    serve("columns", "77");
    load();
    EXPECT_EQ(settings.integer(keys::kBackgroundColor), 12);
    EXPECT_EQ(settings.integer(keys::kBlackIsTransparent), 1);
    EXPECT_EQ(settings.integer(keys::kBottomMargin), 8);
    EXPECT_EQ(settings.integer(keys::kColumns), 77);
}

TEST_F(PersistenceTest, EmptyTextKeepsTheDefaultAndLongTextIsCut) {
    serve("child-app-dir", "");
    serve("child-app-cmdline", std::string(40000, 'c'));
    load();
    EXPECT_EQ(settings.text(keys::kChildAppDir), "%HOMEPATH%");
    EXPECT_EQ(settings.text(keys::kChildAppCmdline), std::string(32767, 'c'));
}

TEST_F(PersistenceTest, UnknownKeysAreNeitherReadNorWritten) {
    serve("unknown", "5");
    load();
    EXPECT_EQ(settings.integers.count("unknown"), 0u);
    EXPECT_EQ(settings.strings.count("unknown"), 0u);
    saveSettingsToProfile(profile, settings, kFile, kSection);
    for (const auto& call : profile.calls)
        EXPECT_NE(call.key, "unknown");
    EXPECT_EQ(profile.values.at({kSection, "unknown"}), "5");
}

TEST_F(PersistenceTest, MissingFontLeavesTheBlockZero) {
    load();
    EXPECT_TRUE(sameFont(settings.font, FontBlock{}));
}

TEST_F(PersistenceTest, DamagedFontLeavesTheBlockAsItWas) {
    std::strcpy(settings.font.faceName, "Lucida Console");
    settings.font.height = -12;
    const FontBlock before = settings.font;
    profile.damaged[{kSection, "font"}] = std::vector<uint8_t>(60, 0xCD);
    load();
    EXPECT_TRUE(sameFont(settings.font, before));
}

TEST_F(PersistenceTest, SavedStoreLoadsBackUnchanged) {
    Settings saved;
    saved.text(keys::kChildAppCmdline) = "cmd.exe /k \"echo hi\"";
    saved.integer(keys::kTextColor) = static_cast<int32_t>(0xFF00FF00u);
    saved.integer(keys::kColumns) = 132;
    saved.font.height = -16;
    saved.font.charSet = kOemCharset;
    std::strcpy(saved.font.faceName, "Terminal");
    saveSettingsToProfile(profile, saved, kFile, kSection);
    load();
    EXPECT_EQ(settings.strings, saved.strings);
    EXPECT_EQ(settings.integers, saved.integers);
    EXPECT_TRUE(sameFont(settings.font, saved.font));
}

// The system's read strips blanks and one pair of quotes at the ends; such values get one more
// pair, and every other value is written as it always was.
TEST(ProfileText, OnlyValuesTheReadWouldChangeAreProtected) {
    const std::pair<std::string, std::string> table[] = {
        {"cmd.exe /k \"echo hi\"", "cmd.exe /k \"echo hi\""},
        {"\"C:\\x y\\a.exe\" \"arg\"", "\"\"C:\\x y\\a.exe\" \"arg\"\""},
        {"'a'", "\"'a'\""},
        {"\"", "\""},
        {"\"a'", "\"a'"},
        {"''", "\"''\""},
        {" lead", "\" lead\""},
        {"trail\t", "\"trail\t\""},
        {"a;b=c", "a;b=c"},
        {"", ""},
        {std::string(kLongestProfileText + 5, 'x'), std::string(kLongestProfileText, 'x')},
        {" " + std::string(kLongestProfileText, 'x'),
         "\" " + std::string(kLongestProfileText - 3, 'x') + "\""},
    };
    for (const auto& [value, written] : table)
        EXPECT_EQ(profileText(value), written) << value.substr(0, 40);
}

TEST_F(PersistenceTest, FailedWritesAreSilent) {
    profile.failWrites = true;
    saveSettingsToProfile(profile, settings, kFile, kSection);
    EXPECT_EQ(profile.calls.size(), 17u);
    EXPECT_TRUE(profile.values.empty());
}

// The same operations on a real file through the portable profile.
TEST(PersistenceOnFile, ColumnsOnlySectionAndUnknownKeySurviveASave) {
    namespace fs = std::filesystem;
    const fs::path path = fs::temp_directory_path() / "tideglass-persistence-test.ini";
    std::ofstream(path, std::ios::binary) << "[W]\r\ncolumns=100\r\nlegacy=yes\r\n";
    IniFileProfile profile;
    Settings settings;
    loadSettingsFromProfile(profile, settings, path.string(), "w");
    Settings expected;
    expected.integer(keys::kColumns) = 100;
    EXPECT_EQ(settings.integers, expected.integers);
    EXPECT_EQ(settings.strings, expected.strings);

    saveSettingsToProfile(profile, settings, path.string(), "W");
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(text.rfind("[W]\r\ncolumns=100\r\nlegacy=yes\r\nfont=000000", 0), 0u) << text;
    EXPECT_NE(text.find("\r\ntop-margin=8\r\n"), std::string::npos);

    Settings reloaded;
    reloaded.integer(keys::kRows) = 1;
    loadSettingsFromProfile(profile, reloaded, path.string(), "W");
    EXPECT_EQ(reloaded.integers, expected.integers);
    fs::remove(path);
}

}  // namespace
}  // namespace tideglass
