#include "support/widget_host.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace e2e {

WidgetHost::WidgetHost() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA widgetClass{};
        widgetClass.lpfnWndProc = &WidgetHost::windowProc;
        widgetClass.hInstance = GetModuleHandleA(nullptr);
        widgetClass.lpszClassName = "TideglassTestWidget";
        RegisterClassA(&widgetClass);
        registered = true;
    }
    window_ = CreateWindowExA(0, "TideglassTestWidget", "widget", WS_POPUP, 0, 0, 100, 100, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    host::HostRecorder::instance().clear();
    host::HostRecorder::instance().onOverlay = nullptr;
    host::HostRecorder::instance().onAddPropertySheet = nullptr;
}

WidgetHost::~WidgetHost() {
    destroy();
    if (window_ != nullptr)
        DestroyWindow(window_);
    host::HostRecorder::instance().onOverlay = nullptr;
    host::HostRecorder::instance().onAddPropertySheet = nullptr;
}

void* WidgetHost::create(const char* iniFile, const char* iniSection) {
    desklet_ = plugin_.entry().OnCreate(window_, plugin_.module(), iniFile, iniSection);
    return desklet_;
}

void WidgetHost::destroy() {
    if (desklet_ == nullptr)
        return;
    void* desklet = desklet_;
    desklet_ = nullptr;
    plugin_.entry().OnDestroy(desklet, window_);
}

void WidgetHost::save(const std::string& iniFile, const std::string& section) {
    plugin_.entry().OnSave(desklet_, iniFile.c_str(), section.c_str(), FALSE);
}

double typicalTickPeriod(const std::vector<DWORD>& ticks) {
    std::vector<DWORD> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        gaps.push_back(ticks[i] - ticks[i - 1]);
    if (gaps.empty())
        return 0.0;
    std::sort(gaps.begin(), gaps.end());
    return double(gaps[gaps.size() / 4]);
}

void WidgetHost::send(UINT message, WPARAM wParam, LPARAM lParam) {
    plugin_.entry().OnProcessMessage(desklet_, window_, message, wParam, lParam);
}

void WidgetHost::typeKey(UINT virtualKey) {
    host::pressKey(keySink(), virtualKey);
}

void WidgetHost::typeText(const std::string& text) {
    host::typeText(keySink(), text);
}

bool WidgetHost::pressKey(const std::string& name) {
    return host::pressNamedKey(keySink(), name);
}

host::KeySink WidgetHost::keySink() {
    return [this](UINT message, WPARAM wParam, LPARAM lParam) { send(message, wParam, lParam); };
}

LRESULT CALLBACK WidgetHost::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WidgetHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr) {
        if (message == WM_TIMER && wParam == 1)
            self->ticks_.push_back(GetTickCount());
        // A host hands every message of the widget's window to the plug-in.
        if (self->desklet_ != nullptr) {
            self->plugin_.entry().OnProcessMessage(self->desklet_, window, message, wParam, lParam);
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool consoleInfo(CONSOLE_SCREEN_BUFFER_INFO& info) {
    HANDLE out =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    bool ok = GetConsoleScreenBufferInfo(out, &info) != FALSE;
    CloseHandle(out);
    return ok;
}

std::vector<std::string> consoleRows() {
    std::vector<std::string> rows;
    HANDLE out =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return rows;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(out, &info)) {
        const int width = info.srWindow.Right - info.srWindow.Left + 1;
        for (SHORT y = info.srWindow.Top; y <= info.srWindow.Bottom; ++y) {
            std::string row(width, ' ');
            DWORD read = 0;
            ReadConsoleOutputCharacterA(out, &row[0], width, COORD{info.srWindow.Left, y}, &read);
            row.resize(read);
            rows.push_back(row);
        }
    }
    CloseHandle(out);
    return rows;
}

std::vector<DWORD> childProcesses(const char* exeName) {
    std::vector<DWORD> result;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return result;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            _stricmp(entry.szExeFile, exeName) == 0 && processRunning(entry.th32ProcessID)) {
            result.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return result;
}

std::map<DWORD, std::string> descendants(DWORD root) {
    std::multimap<DWORD, std::pair<DWORD, std::string>> byParent;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (processRunning(entry.th32ProcessID))
                byParent.insert(
                    {entry.th32ParentProcessID, {entry.th32ProcessID, entry.szExeFile}});
        }
        CloseHandle(snapshot);
    }
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

bool suspendProcess(DWORD pid, bool suspend) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    int threads = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid)
            continue;
        if (HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)) {
            threads += (suspend ? SuspendThread(thread) : ResumeThread(thread)) != DWORD(-1);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
    return threads > 0;
}

bool processRunning(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr)
        return false;
    bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner))
        return text;
    if (HGLOBAL memory = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* data = static_cast<const wchar_t*>(GlobalLock(memory))) {
            text = data;
            GlobalUnlock(memory);
        }
    }
    CloseClipboard();
    return text;
}

bool setClipboardText(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    const bool set = OpenClipboard(owner) && EmptyClipboard() &&
                     SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!set)
        GlobalFree(memory);
    return set;
}

std::vector<std::wstring> consoleRowsAt(SHORT left, SHORT top, SHORT columns, SHORT rows) {
    std::vector<std::wstring> text;
    HANDLE out =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return text;
    for (SHORT y = top; y < top + rows; ++y) {
        std::wstring row(size_t(columns), L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out, &row[0], DWORD(columns), COORD{left, y}, &read);
        row.resize(read);
        text.push_back(row);
    }
    CloseHandle(out);
    return text;
}

std::string tempFile(const std::string& name) {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    DeleteFileA(path.c_str());
    return path;
}

std::string readIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
    char buffer[4096] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str());
    return buffer;
}

}  // namespace e2e
