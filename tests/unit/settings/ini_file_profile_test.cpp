#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/ini_file_profile.h"

namespace tideglass {
namespace {

namespace fs = std::filesystem;

class IniFileProfileTest : public ::testing::Test {
protected:
    IniFileProfileTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        directory =
            fs::temp_directory_path() / (std::string("tideglass-ini-") + info->name() + "-" +
                                         std::to_string(reinterpret_cast<uintptr_t>(this)));
        fs::remove_all(directory);
        fs::create_directories(directory);
        file = (directory / "host.ini").string();
    }
    ~IniFileProfileTest() override {
        std::error_code ignored;
        fs::permissions(file, fs::perms::owner_all, ignored);
        fs::remove_all(directory, ignored);
    }

    void put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string contents() const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string read(const std::string& section, const std::string& key, uint32_t size = 64,
                     const std::string& fallback = "") {
        std::string buffer(size, '#');
        const uint32_t n = profile.readString(section, key, fallback, buffer.data(), size, file);
        EXPECT_EQ(n, std::strlen(buffer.c_str()));
        return buffer.substr(0, n);
    }

    IniFileProfile profile;
    fs::path directory;
    std::string file;
};

TEST_F(IniFileProfileTest, WrittenValuesAndBlocksReadBack) {
    uint8_t block[60];
    for (int i = 0; i < 60; ++i)
        block[i] = static_cast<uint8_t>(255 - i);
    EXPECT_TRUE(profile.writeStruct("Widget 1", "font", block, sizeof block, file));
    EXPECT_TRUE(profile.writeString("Widget 1", "child-app-dir", "C:\\Users", file));
    EXPECT_TRUE(profile.writeString("Widget 1", "columns", "-12", file));

    EXPECT_EQ(read("widget 1", "CHILD-APP-DIR"), "C:\\Users");
    EXPECT_EQ(read("Widget 1", "columns"), "-12");
    uint8_t back[60] = {};
    EXPECT_TRUE(profile.readStruct("Widget 1", "font", back, sizeof back, file));
    EXPECT_EQ(std::memcmp(back, block, sizeof block), 0);
    EXPECT_EQ(contents().substr(0, 18), "[Widget 1]\r\nfont=F");
}

TEST_F(IniFileProfileTest, ReadsValuesAsWindowsHandsThemOut) {
    put("[S]\r\nq=\"quoted\"\r\nsq='x'\r\nlone=\"\r\nempty=\r\nbare\r\n");
    EXPECT_EQ(read("S", "q"), "quoted");
    EXPECT_EQ(read("S", "q", 4), "quo");
    EXPECT_EQ(read("S", "sq"), "x");
    EXPECT_EQ(read("S", "lone"), "\"");
    EXPECT_EQ(read("S", "empty", 64, "fallback"), "");
    EXPECT_EQ(read("S", "bare", 64, "fallback  "), "fallback");
    EXPECT_EQ(read("S", "absent", 64, " \"kept\" "), " \"kept\"");
    char buffer[1] = {'#'};
    EXPECT_EQ(profile.readString("S", "q", "", buffer, 1, file), 0u);
    EXPECT_EQ(buffer[0], '\0');
}

TEST_F(IniFileProfileTest, MissingFileReadsAsAbsentKeys) {
    file = (directory / "none.ini").string();
    EXPECT_EQ(read("S", "k", 64, "dflt"), "dflt");
    uint8_t block[4] = {1, 2, 3, 4};
    EXPECT_FALSE(profile.readStruct("S", "font", block, sizeof block, file));
    EXPECT_EQ(block[0], 1);
}

TEST_F(IniFileProfileTest, DamagedBlockFailsWithoutTouchingTheBuffer) {
    put("[S]\r\nbad=0a0b16\r\nlong=0a0b0015\r\nhex=0a0g15\r\nodd=0a0b150\r\ngood=0a0b15\r\n");
    for (const char* key : {"bad", "long", "hex", "odd", "absent"}) {
        uint8_t block[2] = {0xEE, 0xEE};
        EXPECT_FALSE(profile.readStruct("S", key, block, sizeof block, file)) << key;
        EXPECT_EQ(block[0], 0xEE) << key;
        EXPECT_EQ(block[1], 0xEE) << key;
    }
    uint8_t block[2] = {};
    EXPECT_TRUE(profile.readStruct("S", "good", block, sizeof block, file));
    EXPECT_EQ(block[1], 0x0B);
}

TEST_F(IniFileProfileTest, SaveKeepsUnknownKeysCommentsAndOtherSections) {
    put("; host settings\r\n[Other]\r\nx=1\r\n[W]\r\n; mine\r\nunknown=keep me\r\ncolumns=80\r\n");
    EXPECT_TRUE(profile.writeString("W", "columns", "100", file));
    EXPECT_TRUE(profile.writeString("W", "rows", "30", file));
    EXPECT_TRUE(profile.writeString("Other", "y", "2", file));
    EXPECT_EQ(contents(),
              "; host settings\r\n[Other]\r\nx=1\r\ny=2\r\n[W]\r\n; mine\r\nunknown=keep me\r\n"
              "columns=100\r\nrows=30\r\n");
}

TEST_F(IniFileProfileTest, ReadOnlyFileIsNotWritten) {
    put("[S]\r\na=1\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const uint8_t block[2] = {1, 2};
    EXPECT_FALSE(profile.writeString("S", "a", "2", file));
    EXPECT_FALSE(profile.writeString("S", "new", "2", file));
    EXPECT_FALSE(profile.writeStruct("S", "font", block, sizeof block, file));
    EXPECT_EQ(contents(), "[S]\r\na=1\r\n");
    EXPECT_EQ(read("S", "a"), "1");
}

TEST_F(IniFileProfileTest, DirectoryOrMissingFolderIsNotWritten) {
    EXPECT_FALSE(profile.writeString("S", "a", "1", directory.string()));
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_EQ(read("S", "a"), "");
    const std::string nested = (directory / "no-such-folder" / "x.ini").string();
    EXPECT_FALSE(profile.writeString("S", "a", "1", nested));
    EXPECT_FALSE(fs::exists(nested));
}

TEST_F(IniFileProfileTest, UnchangedValueLeavesTheFileAlone) {
    put("[S]\r\n  a = 1  \r\n\r\n");
    EXPECT_TRUE(profile.writeString("s", "A", "1", file));
    EXPECT_EQ(contents(), "[S]\r\n  a = 1  \r\n\r\n");
}

}  // namespace
}  // namespace tideglass
