#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <vector>

#include "platform/win32/process_creation.h"
#include "platform/win32/unique_handle.h"

namespace tideglass::win32 {

// `limit` is the size of the buffer in characters, terminating zero included. The function
// reports the size it needed (zero included); anything larger did not fit and the buffer holds
// a cut text, which is never used. A source text that alone fills the buffer is refused before
// the call: the ANSI function converts it to a counted wide string first, which cannot hold
// more than 32767 characters, and then (measured under Wine) expands an empty text instead.
bool Win32Processes::expand(const std::string& text, std::size_t limit, std::string& out) {
    if (text.size() >= limit)
        return false;
    std::vector<char> buffer(limit + 1, '\0');
    const DWORD needed =
        ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(limit));
    if (needed == 0 || needed > limit)
        return false;
    out.assign(buffer.data());
    return true;
}

NativeHandle Win32Processes::createGroup() {
    UniqueKernelHandle job(::CreateJobObjectA(nullptr, nullptr));
    if (!job)
        return nullptr;
    // The last handle's close, by the widget's release or by the end of the host process, ends
    // every process in the job. One started with CREATE_BREAKAWAY_FROM_JOB leaves it on purpose
    // and is its own business.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                   sizeof limits)) {
        return nullptr;
    }
    return job.release();
}

uint32_t Win32Processes::create(const std::string& commandLine, const std::string& directory,
                                NativeHandle group, ProcessRecord& out) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // CreateProcessA may write into the command line, so it gets a private copy.
    std::vector<char> command;
    PROCESS_INFORMATION info{};
    // No handle of the host is inherited: the child must not reach what the host keeps open,
    // and a console program needs none, since it gets its standard handles from the console it
    // shares (Windows 8 and later open them anew for it; before, console handles were
    // pseudo-handles valid in every process of the console). The handles to the child are not
    // inheritable either, so nothing the host starts later holds them.
    // Creation flag 0 besides: a console program shares the hidden console instead of getting
    // its own. Suspended while it joins the group, so nothing it starts can run outside.
    // An empty start directory goes as an empty string, not as "the caller's directory".
    const DWORD flags = group ? CREATE_SUSPENDED : 0;
    const BOOL created = createProcessPatiently([&] {
        command.assign(commandLine.begin(), commandLine.end());
        command.push_back('\0');
        return ::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                directory.c_str(), &startup, &info);
    });
    if (!created) {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_GEN_FAILURE;
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    if (group) {
        // Fails where the host runs in a job of its own that cannot hold a nested one (systems
        // before Windows 8): the child then runs outside the group rather than not at all.
        ::AssignProcessToJobObject(group, process.get());
        if (::ResumeThread(thread.get()) == DWORD(-1)) {
            const DWORD error = ::GetLastError();
            ::TerminateProcess(process.get(), 0);
            return error != 0 ? error : ERROR_GEN_FAILURE;
        }
    }
    out.process = process.release();
    out.thread = thread.release();
    out.processId = info.dwProcessId;
    out.threadId = info.dwThreadId;
    return 0;
}

WaitResult Win32Processes::poll(NativeHandle process) {
    switch (::WaitForSingleObject(process, 0)) {
        case WAIT_OBJECT_0:
            return WaitResult::Ended;
        case WAIT_FAILED:
            return WaitResult::Failed;
        default:  // WAIT_TIMEOUT
            return WaitResult::Running;
    }
}

void Win32Processes::terminate(NativeHandle process, uint32_t exitCode) {
    ::TerminateProcess(process, exitCode);
}

void Win32Processes::closeHandle(NativeHandle handle) {
    ::CloseHandle(handle);
}

std::string Win32Processes::errorText(uint32_t code) {
    UniqueLocalMemory buffer;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<LPSTR>(buffer.put()), 0, nullptr);
    if (length == 0 || !buffer)
        return std::string();
    return std::string(static_cast<const char*>(buffer.get()), length);
}

}  // namespace tideglass::win32
