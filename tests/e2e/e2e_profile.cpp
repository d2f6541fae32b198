// The portable INI profile against the system's private-profile functions: files written by
// either are read alike by both, and the same edits produce the same bytes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/win32_profile.h"
#include "settings/ini_file_profile.h"
#include "settings/keys.h"
#include "settings/persistence.h"
#include "settings/settings.h"
#include "settings/value_text.h"

namespace tideglass {
namespace {

constexpr char kHandMade[] =
    "; host settings\r\ntop=1\r\n\r\n[Sec]\r\n  Key1 = value one  \r\n;comment=x\r\nnoequals\r\n"
    "key1=dup\r\n=novalue\r\n\tTab\t=\t\"q v\"\t\r\nempty=\r\n[ Sp ]\r\nk=sp\r\n[sec]\r\n"
    "k2=second\r\n[Last]\r\nz=1\r\n\r\n";

struct Write {
    const char* section;
    const char* key;
    std::string value;
};

const std::vector<Write>& interchangeWrites() {
    static const std::vector<Write> writes = {
        {"Widget", "plain", "C:\\Program Files\\x.exe /c \"echo hi\""},
        {"Widget", "quoted", "\"q v\""},
        {"Widget", "single", "'x'"},
        {"widget", "Spaces", "  lead and trail  "},
        {"Widget", "empty", ""},
        {"Widget", "ansi", "caf\xe9 \x80"},
        {"Other", "k", "v"},
        {"Widget", "equals", "a=b=c"},
        {"WIDGET", "PLAIN", "replaced"},
        {"Widget", "long", std::string(30000, 'L')},
    };
    return writes;
}

class ProfileInterchange : public testing::Test {
protected:
    ProfileInterchange() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        directory =
            std::string(temp) + "tideglass-profile-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(directory.c_str(), nullptr);
    }
    ~ProfileInterchange() override {
        for (const std::string& file : files)
            DeleteFileA(file.c_str());
        RemoveDirectoryA(directory.c_str());
    }

    std::string newFile(const char* name, const std::string& contents = {}) {
        files.push_back(directory + "\\" + name);
        DeleteFileA(files.back().c_str());
        if (!contents.empty())
            std::ofstream(files.back(), std::ios::binary) << contents;
        return files.back();
    }
    static std::string bytesOf(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Every value and block of the interchange set, read through both adapters, must agree.
    void expectSameReads(const std::string& file) {
        const char* keys[][2] = {{"Widget", "plain"},  {"Widget", "quoted"}, {"Widget", "single"},
                                 {"Widget", "spaces"}, {"Widget", "empty"},  {"Widget", "ansi"},
                                 {"other", "K"},       {"Widget", "equals"}, {"Widget", "long"},
                                 {"Widget", "absent"}, {"Nowhere", "k"},     {"Widget", "font"}};
        for (const auto& key : keys) {
            for (uint32_t size : {32768u, 3u}) {
                std::vector<char> a(size, '#'), b(size, '#');
                const uint32_t na = system.readString(key[0], key[1], "dflt", a.data(), size, file);
                const uint32_t nb =
                    portable.readString(key[0], key[1], "dflt", b.data(), size, file);
                EXPECT_EQ(na, nb) << key[0] << "/" << key[1] << " size " << size;
                EXPECT_EQ(std::string(a.data()), std::string(b.data())) << key[1];
            }
        }
        for (uint32_t size : {60u, 59u}) {
            std::vector<uint8_t> a(size, 0xEE), b(size, 0xEE);
            const bool okA = system.readStruct("widget", "font", a.data(), size, file);
            const bool okB = portable.readStruct("widget", "font", b.data(), size, file);
            EXPECT_EQ(okA, okB) << "block of " << size;
            // On a failed read Wine leaves decoded bytes behind; only a good read is compared.
            if (okA && okB) {
                EXPECT_EQ(a, b);
            }
        }
    }
    static std::vector<uint8_t> fontBytes() {
        std::vector<uint8_t> block(60);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<uint8_t>(i * 37 + 11);
        return block;
    }
    void writeAll(Profile& profile, const std::string& file) {
        for (const Write& write : interchangeWrites()) {
            EXPECT_TRUE(profile.writeString(write.section, write.key, write.value, file));
        }
        const auto block = fontBytes();
        EXPECT_TRUE(profile.writeStruct("Widget", "font", block.data(), 60, file));
    }

    Win32Profile system;
    IniFileProfile portable;
    std::string directory;
    std::vector<std::string> files;
};

TEST_F(ProfileInterchange, DefaultSettingsSaveToIdenticalFiles) {
    const std::string bySystem = newFile("system.ini");
    const std::string byPortable = newFile("portable.ini");
    const Settings defaults;
    saveSettingsToProfile(system, defaults, bySystem, "Tideglass 1");
    saveSettingsToProfile(portable, defaults, byPortable, "Tideglass 1");
    const std::string bytes = bytesOf(bySystem);
    EXPECT_EQ(bytes.rfind("[Tideglass 1]\r\nfont=" + std::string(122, '0') + "\r\n", 0), 0u)
        << bytes;
    EXPECT_EQ(bytes, bytesOf(byPortable));
}

TEST_F(ProfileInterchange, SettingsSavedByOneLoadThroughTheOther) {
    Settings saved;
    saved.text(keys::kChildAppCmdline) = "cmd.exe /k \"prompt $g\"";
    saved.integer(keys::kBackgroundColor) = -16777216;
    saved.integer(keys::kColumns) = 100;
    saved.font.height = -14;
    std::strcpy(saved.font.faceName, "Lucida Console");
    const std::string bySystem = newFile("saved-system.ini");
    const std::string byPortable = newFile("saved-portable.ini");
    saveSettingsToProfile(system, saved, bySystem, "W");
    saveSettingsToProfile(portable, saved, byPortable, "W");

    Settings fromSystem, fromPortable;
    loadSettingsFromProfile(portable, fromSystem, bySystem, "w");
    loadSettingsFromProfile(system, fromPortable, byPortable, "w");
    for (const Settings* loaded : {&fromSystem, &fromPortable}) {
        EXPECT_EQ(loaded->strings, saved.strings);
        EXPECT_EQ(loaded->integers, saved.integers);
        EXPECT_EQ(std::memcmp(&loaded->font, &saved.font, sizeof saved.font), 0);
    }
}

TEST_F(ProfileInterchange, FileWrittenBySystemReadsAlike) {
    const std::string file = newFile("by-system.ini");
    writeAll(system, file);
    expectSameReads(file);
}

TEST_F(ProfileInterchange, FileWrittenPortablyReadsAlike) {
    const std::string file = newFile("by-portable.ini");
    writeAll(portable, file);
    expectSameReads(file);
}

TEST_F(ProfileInterchange, SameEditsOfAHandMadeFileGiveTheSameBytes) {
    const std::string bySystem = newFile("hand-system.ini", kHandMade);
    const std::string byPortable = newFile("hand-portable.ini", kHandMade);
    writeAll(system, bySystem);
    writeAll(portable, byPortable);
    for (const auto& file : {bySystem, byPortable}) {
        system.writeString("sec", "k2", "changed", file);
        system.writeString("Last", "z2", "2", file);
    }
    EXPECT_EQ(bytesOf(bySystem), bytesOf(byPortable));
    expectSameReads(bySystem);
}

TEST_F(ProfileInterchange, DamagedFontNeverReachesTheStore) {
    // The system's read fails on a bad checksum, or on a block longer than asked for, but leaves
    // decoded bytes in the block it was given; loading must keep the font it had.
    const std::string badChecksum = std::string(118, '4') + "4141";
    const std::string tooLong = std::string(128, '4') + "00";
    for (const std::string& value : {badChecksum, tooLong}) {
        const std::string file = newFile("damaged.ini", "[W]\r\nfont=" + value + "\r\n");
        Settings settings;
        std::strcpy(settings.font.faceName, "Terminal");
        const FontBlock before = settings.font;
        FontBlock scribbled = before;
        EXPECT_FALSE(system.readStruct("W", "font", &scribbled, sizeof scribbled, file));
        loadSettingsFromProfile(system, settings, file, "W");
        EXPECT_EQ(std::memcmp(&settings.font, &before, sizeof before), 0) << value.size();
        DeleteFileA(file.c_str());
    }
}

// Every text a user can type comes back from a save and a load exactly as it was.
class TextRoundTrip : public ProfileInterchange, public testing::WithParamInterface<std::string> {};

// Long values are named by their length and ends only.
std::string shown(const std::string& text) {
    if (text.size() <= 60)
        return "[" + text + "]";
    return std::to_string(text.size()) + " chars [" + text.substr(0, 8) + "..." +
           text.substr(text.size() - 8) + "]";
}

TEST_P(TextRoundTrip, SavedTextLoadsIdentically) {
    const std::string file = newFile("round-trip.ini");
    Settings saved;
    saved.text(keys::kChildAppCmdline) = GetParam();
    saved.text(keys::kChildAppDir) = GetParam();
    saveSettingsToProfile(system, saved, file, "W");
    saveSettingsToProfile(system, saved, file, "W");  // a second save changes nothing
    Settings loaded;
    loadSettingsFromProfile(system, loaded, file, "W");
    EXPECT_TRUE(loaded.text(keys::kChildAppCmdline) == GetParam())
        << shown(GetParam()) << " came back as " << shown(loaded.text(keys::kChildAppCmdline));
    EXPECT_TRUE(loaded.text(keys::kChildAppDir) == GetParam())
        << shown(loaded.text(keys::kChildAppDir));
    Settings portably;
    loadSettingsFromProfile(portable, portably, file, "W");
    EXPECT_TRUE(portably.strings == loaded.strings) << shown(portably.text(keys::kChildAppDir));
}

INSTANTIATE_TEST_SUITE_P(
    Values, TextRoundTrip,
    testing::Values("\"C:\\Program Files\\App\\app.exe\" \"C:\\Users\\me\\my file.txt\"",
                    "\"C:\\windows\\system32\\cmd.exe\" /k echo \"hi there\"", "\"quoted\"",
                    "'single'", "\"", "'", "\"\"", "\"a'", " lead", "trail ", "  both  ", "\tTab\t",
                    "a;b=c", ";x", "=y", "caf\xe9 \x80\xff", std::string(kLongestProfileText, 'L'),
                    "\"" + std::string(kLongestProfileText - 4, 'Q') + "\"",
                    " " + std::string(kLongestProfileText - 3, 'S')),
    [](const testing::TestParamInfo<std::string>& info) { return std::to_string(info.index); });

TEST_F(ProfileInterchange, PlainValuesAreWrittenAsTheyAlwaysWere) {
    const std::string file = newFile("plain.ini");
    Settings saved;
    saved.text(keys::kChildAppCmdline) = "cmd.exe /k \"echo hi\"";
    saveSettingsToProfile(system, saved, file, "W");
    EXPECT_NE(bytesOf(file).find("\r\nchild-app-cmdline=cmd.exe /k \"echo hi\"\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace tideglass
