// A desklet's life in a real host process: the hidden console, the real command interpreter,
// restarts, failures and their boxes.
#include <windows.h>

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "e2e/support/dialog_driver.h"
#include "support/widget_host.h"

namespace {

const char kConsoleTaken[] =
    "An exception occured: could not allocate a new console, probably because the current "
    "process already have one. Windows doesn't allow more than one console to be allocated per "
    "process, so you can't use this desklets along with other instances of the same desklet or "
    "with other desklets which allocate a console.";

bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    return host::pumpUntil(done, timeoutMs);
}

class Desklet : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(widget.loaded()); }
    // Runs the widget's own timer (the plug-in set it on the widget window) for a while.
    void runTicks(int count) {
        const size_t target = widget.timerTicks().size() + count;
        waitUntil([&] { return widget.timerTicks().size() >= target; }, 250 * count + 3000);
    }
    // A child that ends at once, in a folder of its own, on a fast timer: it is started again
    // on every tick until the folder is removed, and then its start fails on a tick.
    std::string createWithChildInFolder(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        const std::string folder = std::string(temp) + name;
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string ini = e2e::tempFile(name + ".ini");
        WritePrivateProfileStringA("Desklet", "child-app-cmdline", "%COMSPEC% /c exit",
                                   ini.c_str());
        WritePrivateProfileStringA("Desklet", "child-app-dir", folder.c_str(), ini.c_str());
        WritePrivateProfileStringA("Desklet", "poll-interval", "15", ini.c_str());
        EXPECT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
        runTicks(3);
        EXPECT_TRUE(widget.boxes().boxes().empty());
        return folder;
    }
    e2e::WidgetHost widget;
};

TEST_F(Desklet, CreationStartsTheInterpreterInAHiddenConsole) {
    ASSERT_NE(widget.create(), nullptr);
    EXPECT_EQ(widget.recorder().names().front(), "DeskletSetStatic");
    HWND console = GetConsoleWindow();
    ASSERT_NE(console, nullptr);
    EXPECT_FALSE(IsWindowVisible(console));
    EXPECT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

TEST_F(Desklet, SecondInstanceShowsConsoleErrorAndIsRemoved) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    const DWORD firstChild = e2e::childProcesses().front();
    HWND second = CreateWindowExA(0, "STATIC", "second", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    widget.recorder().clear();

    void* failed = widget.entry().OnCreate(second, widget.module(), nullptr, nullptr);

    EXPECT_EQ(failed, nullptr);
    ASSERT_TRUE(widget.boxes().waitFor(1, 3000));
    ASSERT_EQ(widget.boxes().boxes().size(), 1u);
    EXPECT_EQ(widget.boxes().boxes()[0].caption, "Tideglass Desklet");
    EXPECT_EQ(widget.boxes().boxes()[0].text, kConsoleTaken);
    EXPECT_EQ(std::string(kConsoleTaken).size(),
              std::string("An exception occured: ").size() + 288);
    // The second widget's calls only: the first one's ticks may hand it a new overlay meanwhile
    // (the box's message loop runs them).
    std::vector<std::string> secondCalls;
    for (const host::HostCall& call : widget.recorder().calls()) {
        if (call.window == second)
            secondCalls.push_back(call.name);
    }
    EXPECT_EQ(secondCalls, (std::vector<std::string>{"DeskletSetStatic", "DeskletRemove"}));
    host::HostCall removed;
    ASSERT_TRUE(widget.recorder().last("DeskletRemove", removed));
    EXPECT_EQ(removed.window, second);

    // The first widget keeps working.
    EXPECT_TRUE(e2e::processRunning(firstChild));
    runTicks(2);
    EXPECT_TRUE(e2e::processRunning(firstChild));
    DestroyWindow(second);
}

TEST_F(Desklet, DestroyEndsTheChildAndFreesTheConsole) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    const DWORD child = e2e::childProcesses().front();

    widget.destroy();

    EXPECT_TRUE(waitUntil([&] { return !e2e::processRunning(child); }, 3000));
    EXPECT_EQ(GetConsoleWindow(), nullptr);
    ASSERT_NE(widget.create(), nullptr) << "a new instance can allocate the console again";
    EXPECT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

TEST_F(Desklet, ChildThatExitsIsStartedAgainAtTheNextTick) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    const DWORD first = e2e::childProcesses().front();
    waitUntil([] {
        for (const auto& row : e2e::consoleRows())
            if (row.find('>') != std::string::npos)
                return true;
        return false;
    });

    widget.typeText("exit");
    widget.typeKey(VK_RETURN);

    EXPECT_TRUE(waitUntil([&] { return !e2e::processRunning(first); }));
    EXPECT_TRUE(waitUntil([&] {
        auto children = e2e::childProcesses();
        return children.size() == 1 && children.front() != first;
    }));
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

TEST_F(Desklet, MissingProgramShowsOneBoxAndIsNotRetried) {
    const std::string ini = e2e::tempFile("tideglass-missing-program.ini");
    WritePrivateProfileStringA("Desklet", "child-app-cmdline", "C:\\no\\such\\program.exe",
                               ini.c_str());
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    ASSERT_TRUE(widget.boxes().waitFor(1, 3000));
    runTicks(3);

    ASSERT_EQ(widget.boxes().boxes().size(), 1u);
    const std::string text = widget.boxes().boxes()[0].text;
    const std::string context = "Could not run the child application: ";
    ASSERT_EQ(text.compare(0, context.size(), context), 0) << text;
    char system[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_PATH_NOT_FOUND, 0x400, system, sizeof system, nullptr);
    char notFound[512] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_FILE_NOT_FOUND, 0x400, notFound, sizeof notFound, nullptr);
    const std::string detail = text.substr(context.size());
    EXPECT_TRUE(detail == notFound || detail == system) << detail;
    EXPECT_TRUE(e2e::childProcesses().empty());
}

TEST_F(Desklet, ControlEventsDoNotEndTheHost) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0);
    runTicks(2);
    SUCCEED() << "the test process is still alive";
    EXPECT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
}

TEST_F(Desklet, EnvironmentReferencesAreExpanded) {
    const std::string ini = e2e::tempFile("tideglass-expand.ini");
    WritePrivateProfileStringA("Desklet", "child-app-cmdline", "%COMSPEC% /k echo %OS%-marker",
                               ini.c_str());
    WritePrivateProfileStringA("Desklet", "child-app-dir", "%SystemRoot%", ini.c_str());
    ASSERT_NE(widget.create(ini.c_str(), "Desklet"), nullptr);
    char os[64] = {}, root[MAX_PATH] = {};
    GetEnvironmentVariableA("OS", os, sizeof os);
    GetEnvironmentVariableA("SystemRoot", root, sizeof root);
    const std::string marker = std::string(os) + "-marker";
    EXPECT_TRUE(waitUntil([&] {
        bool sawMarker = false, sawDir = false;
        for (const auto& row : e2e::consoleRows()) {
            sawMarker |= row.find(marker) != std::string::npos;
            sawDir |= _strnicmp(row.c_str(), root, std::strlen(root)) == 0;
        }
        return sawMarker && sawDir;
    })) << "the interpreter printed the expanded text and runs in the expanded folder";
    EXPECT_TRUE(widget.boxes().boxes().empty());
}

TEST_F(Desklet, DefaultStartDirectoryIsTheHomeFolder) {
    ASSERT_NE(widget.create(), nullptr);
    char home[MAX_PATH] = {};
    GetEnvironmentVariableA("HOMEPATH", home, sizeof home);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    EXPECT_TRUE(waitUntil([&] {
        for (const auto& row : e2e::consoleRows()) {
            if (row.find(std::string(home) + ">") != std::string::npos)
                return true;
        }
        return false;
    })) << "prompt shows "
        << home;
}

// Every process started by `root` and by those it started, by image name.
std::map<DWORD, std::string> descendantsOf(DWORD root) {
    std::multimap<DWORD, std::pair<DWORD, std::string>> byParent;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        byParent.insert({entry.th32ParentProcessID, {entry.th32ProcessID, entry.szExeFile}});
    CloseHandle(snapshot);
    std::map<DWORD, std::string> found;
    std::vector<DWORD> parents{root};
    while (!parents.empty()) {
        const DWORD parent = parents.back();
        parents.pop_back();
        for (auto [it, end] = byParent.equal_range(parent); it != end; ++it) {
            if (found.emplace(it->second.first, it->second.second).second)
                parents.push_back(it->second.first);
        }
    }
    return found;
}

TEST_F(Desklet, DestroyEndsEveryProcessTheChildStarted) {
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    const DWORD child = e2e::childProcesses().front();
    widget.typeText("cmd /k");
    widget.typeKey(VK_RETURN);
    widget.typeText("ping -n 100 127.0.0.1");
    widget.typeKey(VK_RETURN);
    std::map<DWORD, std::string> tree;
    ASSERT_TRUE(waitUntil([&] {
        tree = descendantsOf(child);
        for (const auto& [pid, name] : tree)
            if (_stricmp(name.c_str(), "ping.exe") == 0 && e2e::processRunning(pid))
                return true;
        return false;
    })) << "the inner interpreter starts ping";
    tree[child] = "cmd.exe";

    widget.destroy();

    const bool allEnded = waitUntil([&] {
        for (const auto& entry : tree)
            if (e2e::processRunning(entry.first))
                return false;
        return true;
    });
    for (const auto& [pid, name] : tree) {
        EXPECT_FALSE(e2e::processRunning(pid)) << name << " " << pid << " is left";
        if (HANDLE left = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(left, 1);
            CloseHandle(left);
        }
    }
    EXPECT_TRUE(allEnded);
}

// The child's handle table is looked at from outside: a handle the host made inheritable must
// not be there under the value it has in the host.
TEST_F(Desklet, ChildInheritsNoHandleOfTheHost) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE event = CreateEventA(&inheritable, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    ASSERT_NE(widget.create(), nullptr);
    ASSERT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
    HANDLE child = OpenProcess(PROCESS_DUP_HANDLE, FALSE, e2e::childProcesses().front());
    ASSERT_NE(child, nullptr);

    HANDLE copy = nullptr;
    if (DuplicateHandle(child, event, GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
        SetEvent(copy);  // whatever event of the child's this is, it is not the host's
        CloseHandle(copy);
    }
    EXPECT_EQ(WaitForSingleObject(event, 0), DWORD(WAIT_TIMEOUT));
    CloseHandle(child);
    CloseHandle(event);
}

}  // namespace

namespace {

// Runs `action` from inside an open box of the plug-in until it returns true. It runs from a
// thread timer, which the box's own message loop runs as it would run the host's menu.
class InsideBox {
public:
    explicit InsideBox(std::function<bool(HWND box)> action) {
        action_ = std::move(action);
        timer_ = SetTimer(nullptr, 0, 20, &InsideBox::run);
    }
    ~InsideBox() {
        KillTimer(nullptr, timer_);
        action_ = nullptr;
    }

private:
    static VOID CALLBACK run(HWND, UINT, UINT_PTR timer, DWORD) {
        HWND box = tideglass::e2e::findDialog("Tideglass Desklet", GetCurrentProcessId());
        if (box != nullptr && action_ && action_(box))
            KillTimer(nullptr, timer);
    }
    static inline std::function<bool(HWND)> action_;
    UINT_PTR timer_ = 0;
};

// A restart that fails on a tick shows its box while the tick holds the desklet lock; the box's
// own message loop keeps delivering the fast poll timer, so ticks run nested on this thread.
// They must neither deadlock nor show a second box.
TEST_F(Desklet, FailedRestartOnATickShowsOneBoxDespiteNestedTicks) {
    const std::string folder = createWithChildInFolder("tideglass-vanishing");

    // The box is closed from inside once its loop has delivered some ticks.
    widget.boxes().setCloseDelay(60000);
    std::size_t ticksAtBox = 0, nested = 0;
    InsideBox closeAfterNestedTicks([&](HWND box) {
        if (ticksAtBox == 0)
            ticksAtBox = widget.timerTicks().size();
        nested = widget.timerTicks().size() - ticksAtBox;
        if (nested < 5 || widget.boxes().boxes().empty())
            return false;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    ASSERT_TRUE(waitUntil([&] { return RemoveDirectoryA(folder.c_str()) != FALSE; }));
    ASSERT_TRUE(widget.boxes().waitFor(1, 5000));
    ASSERT_TRUE(waitUntil([&] { return nested >= 5; }, 30000)) << "ticks while the box is open";
    runTicks(10);
    ASSERT_EQ(widget.boxes().boxes().size(), 1u);
    EXPECT_EQ(widget.boxes().boxes()[0].text.rfind("Could not run the child application: ", 0), 0u);
}

// The box has no owner, so the host stays usable and can destroy the widget from inside the
// box's message loop. The tick that showed the box must end on a live desklet, which is freed
// afterwards: the console goes, and a new widget can take it.
TEST_F(Desklet, DestroyFromInsideTheFailureBoxFreesTheDeskletAfterTheTick) {
    const std::string folder = createWithChildInFolder("tideglass-destroy-in-box");
    widget.boxes().setCloseDelay(60000);
    bool consoleKeptForTheTick = false;
    InsideBox destroyInside([&](HWND box) {
        if (widget.boxes().boxes().empty())
            return false;  // until the watcher has recorded it
        widget.destroy();
        consoleKeptForTheTick = GetConsoleWindow() != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    ASSERT_TRUE(waitUntil([&] { return RemoveDirectoryA(folder.c_str()) != FALSE; }));
    ASSERT_TRUE(waitUntil([&] { return widget.desklet() == nullptr; }));
    EXPECT_TRUE(consoleKeptForTheTick) << "the tick that showed the box still runs";
    EXPECT_TRUE(waitUntil([] { return GetConsoleWindow() == nullptr; }));
    EXPECT_EQ(widget.boxes().boxes().size(), 1u);
    ASSERT_NE(widget.create(), nullptr);
    EXPECT_TRUE(waitUntil([] { return e2e::childProcesses().size() == 1; }));
}

}  // namespace
