// The DLL's surface as a host meets it: information, null objects, creation and its failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/host_functions.h"
#include "support/message_boxes.h"
#include "support/plugin_library.h"

namespace {

class PluginSurface : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plugin.loaded()) << plugin.path();
        host::HostRecorder::instance().clear();
    }
    host::PluginLibrary plugin;
};

TEST_F(PluginSurface, InformationNamesTheDeskletAndItsVersion) {
    char name[128], author[128], description[128];
    std::memset(name, 0x5A, sizeof name);
    std::memset(description, 0x5A, sizeof description);
    std::memset(author, 0x5A, sizeof author);
    int version = 0;
    plugin.entry().OnGetInformation(name, author, &version, description);

    EXPECT_STREQ(name, "Tideglass");
    EXPECT_EQ(static_cast<unsigned char>(name[10]), 0x5A) << "nothing past the terminating zero";
    EXPECT_EQ(version, 110);
    EXPECT_GT(std::strlen(author), 0u);
    const std::string expected =
        "This desklets displays a configurable Windows console on your desktop";
    ASSERT_EQ(expected.size(), 69u);
    EXPECT_EQ(std::string(description), expected);
    EXPECT_EQ(description[69], '\0');
    EXPECT_EQ(static_cast<unsigned char>(description[70]), 0x5A);
}

TEST_F(PluginSurface, EntryPointsIgnoreANullObject) {
    char file[MAX_PATH];
    GetTempPathA(MAX_PATH, file);
    std::strcat(file, "tideglass-null-save.ini");
    DeleteFileA(file);

    plugin.entry().OnDestroy(nullptr, nullptr);
    plugin.entry().OnProcessMessage(nullptr, nullptr, WM_TIMER, 1, 0);
    plugin.entry().OnSave(nullptr, file, "Desklet", FALSE);
    EXPECT_EQ(plugin.entry().OnAddPropertySheets(nullptr, 0), 0);

    EXPECT_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES) << "nothing was written";
    EXPECT_TRUE(host::HostRecorder::instance().calls().empty());
}

TEST_F(PluginSurface, ExportsArePlainNamesOnly) {
    for (const char* name : {"OnGetInformation", "OnCreate", "OnDestroy", "OnProcessMessage",
                             "OnSave", "OnAddPropertySheets"}) {
        EXPECT_NE(GetProcAddress(plugin.module(), name), nullptr) << name;
    }
    for (const char* decorated : {"OnCreate@16", "_OnCreate@16", "OnDestroy@8", "OnSave@16"}) {
        EXPECT_EQ(GetProcAddress(plugin.module(), decorated), nullptr) << decorated;
    }
}

}  // namespace
