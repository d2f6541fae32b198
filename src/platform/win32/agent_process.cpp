// Starting a console agent and talking to it: the shared block and events are made here and
// handed to the agent by inheritance only, through an explicit list, for the moment of its
// creation; the agent gets no more than SYNCHRONIZE on the host process, to end with it, and the
// host's process id on its command line, to wake only a window of the host's.
#include "platform/win32/agent_process.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/win32/agent_stops.h"
#include "platform/win32/process_creation.h"
#include "platform/win32/win32_processes.h"

namespace tideglass::win32 {
namespace {

constexpr DWORD kStartTimeoutMs = 15000;
// An agent takes a request as soon as it is woken; one that has not after this long is hung.
// Once taken, starting the program may take a while on a busy machine.
constexpr ULONGLONG kTakeTimeoutMs = 2000;
constexpr ULONGLONG kAnswerTimeoutMs = 15000;
constexpr DWORD kRequestSliceMs = 20;

std::wstring moduleFileName() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&moduleFileName), &module);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), DWORD(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// rundll32 of the caller's own kind: a 32-bit process on 64-bit Windows is redirected from the
// system folder to the 32-bit one.
std::wstring rundll32Path() {
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"rundll32.exe";
    return std::wstring(folder) + L"\\rundll32.exe";
}

UniqueKernelHandle inheritableCopy(HANDLE handle, DWORD access, DWORD options) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, access,
                           TRUE, options))
        return UniqueKernelHandle();
    return UniqueKernelHandle(copy);
}

std::string systemText(DWORD error) {
    Win32Processes processes;
    std::string text = processes.errorText(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

}  // namespace

AgentProcess::AgentProcess(HWND widgetWindow) {
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        DWORD(sizeof(agent::Block)), nullptr));
    if (!mapping_)
        throw std::runtime_error("no shared memory for the agent: " + systemText(::GetLastError()));
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_ || !agent::initialize(view_.get(), sizeof(agent::Block)))
        throw std::runtime_error("no shared memory for the agent: " + systemText(::GetLastError()));
    block_ = static_cast<agent::Block*>(view_.get());
    block_->widgetWindow.store(uint64_t(uintptr_t(widgetWindow)), std::memory_order_relaxed);
    wake_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    reply_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!wake_ || !reply_)
        throw std::runtime_error("no events for the agent: " + systemText(::GetLastError()));
    launch();
    waitUntilReady();
    agentStarted();
}

AgentProcess::~AgentProcess() {
    stop();
}

bool AgentProcess::requestStart() {
    ::ResetEvent(reply_.get());
    block_->request.store(uint32_t(agent::RequestKind::StartChild), std::memory_order_release);
    wake();
    HANDLE waits[] = {reply_.get(), process_.get()};
    const ULONGLONG begun = ::GetTickCount64();
    for (;;) {
        const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, kRequestSliceMs);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_TIMEOUT)
            return false;  // the agent ended
        const ULONGLONG waited = ::GetTickCount64() - begun;
        const bool taken = block_->request.load(std::memory_order_acquire) == 0;
        if ((!taken && waited >= kTakeTimeoutMs) || waited >= kAnswerTimeoutMs) {
            ::TerminateProcess(process_.get(), 1);
            return false;
        }
    }
}

void AgentProcess::stop() noexcept {
    if (!process_)
        return;
    block_->quit.store(1, std::memory_order_release);
    wake();
    agentTold(std::move(process_));
}

// The inheritable copies live only for the moment of CreateProcess, and only they are inherited:
// without a list of them no agent is started, rather than one that inherits every inheritable
// handle of the host.
void AgentProcess::launch() {
    UniqueKernelHandle self;
    HANDLE selfCopy = nullptr;
    if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                          &selfCopy, SYNCHRONIZE, TRUE, 0))
        self.reset(selfCopy);
    UniqueKernelHandle mapping = inheritableCopy(mapping_.get(), 0, DUPLICATE_SAME_ACCESS);
    UniqueKernelHandle wake = inheritableCopy(wake_.get(), 0, DUPLICATE_SAME_ACCESS);
    UniqueKernelHandle reply = inheritableCopy(reply_.get(), 0, DUPLICATE_SAME_ACCESS);
    if (!self || !mapping || !wake || !reply)
        throw std::runtime_error("could not hand the agent its handles: " +
                                 systemText(::GetLastError()));

    const std::wstring dll = moduleFileName();
    if (dll.empty())
        throw std::runtime_error("the plug-in's own file name is not known");
    wchar_t handles[128];
    std::swprintf(handles, 128, L" %llx %llx %llx %llx %lx",
                  static_cast<unsigned long long>(uintptr_t(mapping.get())),
                  static_cast<unsigned long long>(uintptr_t(wake.get())),
                  static_cast<unsigned long long>(uintptr_t(reply.get())),
                  static_cast<unsigned long long>(uintptr_t(self.get())),
                  static_cast<unsigned long>(::GetCurrentProcessId()));
    const std::wstring rundll32 = rundll32Path();
    std::wstring commandLine = L"\"" + rundll32 + L"\" \"" + dll + L"\",ConsoleAgent" + handles;

    HANDLE inherited[] = {mapping.get(), wake.get(), reply.get(), self.get()};
    SIZE_T listSize = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &listSize);
    std::vector<unsigned char> listMemory(listSize);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    if (listSize == 0 || !::InitializeProcThreadAttributeList(list, 1, 0, &listSize))
        throw std::runtime_error("could not list the handles to hand the agent: " +
                                 systemText(::GetLastError()));
    const bool listed = ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                                    inherited, sizeof inherited, nullptr, nullptr);
    const DWORD listError = ::GetLastError();
    if (!listed) {
        ::DeleteProcThreadAttributeList(list);
        throw std::runtime_error("could not list the handles to hand the agent: " +
                                 systemText(listError));
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = list;
    // The console the agent allocates takes its window's first state from here: hidden from the
    // start, so it is never seen and hiding it later waits on nothing.
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION info{};
    // No console of the host's: the agent allocates its own, hidden.
    const BOOL created = createProcessPatiently([&] {
        return ::CreateProcessW(rundll32.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                DETACHED_PROCESS | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                                &startup.StartupInfo, &info);
    });
    const DWORD error = ::GetLastError();
    ::DeleteProcThreadAttributeList(list);
    if (!created)
        throw std::runtime_error("could not start " +
                                 std::string(rundll32.begin(), rundll32.end()) + ": " +
                                 systemText(error));
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    processId_ = info.dwProcessId;
}

void AgentProcess::waitUntilReady() {
    HANDLE waits[] = {reply_.get(), process_.get()};
    const DWORD result = ::WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs);
    if (result != WAIT_OBJECT_0 || block_->ready.load() == 0) {
        ::TerminateProcess(process_.get(), 1);
        process_.reset();
        throw std::runtime_error(result == WAIT_OBJECT_0 + 1
                                     ? "the console agent ended before its console was ready"
                                     : "the console agent did not get its console ready in time");
    }
}

}  // namespace tideglass::win32
