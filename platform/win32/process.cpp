// Started programs: a process of its own by its full path, optionally in a job object of ours
// that kills it when we end; its handle is kept to ask how it stands and to end it.
#include <windows.h>

#include <string>

#include "platform/common/for_tests.h"
#include "platform/platform.h"
#include "platform/win32/win32_text.h"

namespace platform {
namespace {

// The job whose members end with this process: its one handle is never closed, so the system
// closes it, and kills what is in it, when the process ends by whatever means. Null when the
// system refuses a job.
HANDLE EndingJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        if (!made) return HANDLE{};
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits,
                                     sizeof limits)) {
            CloseHandle(made);
            return HANDLE{};
        }
        return made;
    }();
    return job;
}

// Exit codes from 0xC0000000 on are the system's codes for faults (an access violation is
// 0xC0000005): the program did not end by itself.
ProgramEnding EndingOf(DWORD code) {
    if (code >= 0xC0000000u) return {ProgramEnding::How::Killed, static_cast<int>(code)};
    return {ProgramEnding::How::Exited, static_cast<int>(code)};
}

// Nothing started, for `reason`: it stays the thread's last error (LastErrorText) and its words
// go to `why`.
Process NotStarted(DWORD reason, std::string* why) {
    SetLastError(reason);
    if (why) *why = LastErrorText();
    SetLastError(reason);
    return {};
}

}  // namespace

Process StartProgram(const std::string& path, ProgramTie tie, std::string* why) {
    const std::wstring program = win32::Widen(path);
    if (program.empty()) return NotStarted(ERROR_INVALID_NAME, why);
    // The command line is the quoted path alone, as the program's only argument.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const HANDLE job = tie == ProgramTie::EndsWithStarter ? EndingJob() : nullptr;
    // Started suspended when it goes into the job, so that it runs nothing outside it. The path
    // is given as the application name: a renderer named .dll starts all the same, and no search
    // along PATH can pick another program.
    const DWORD flags = job ? CREATE_SUSPENDED : 0;
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        nullptr, nullptr, &startup, &info))
        return NotStarted(GetLastError(), why);
    // A job refused (this process may sit in a job that allows no other) leaves the program
    // untied: it still runs.
    if (job) AssignProcessToJobObject(job, info.hProcess);
    if (job) ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    return Process{reinterpret_cast<std::uintptr_t>(info.hProcess),
                   static_cast<std::int32_t>(info.dwProcessId),
                   {}};
}

ProgramEnding ProgramStatus(Process& process) {
    if (!process.Started() || !process.handle) return {ProgramEnding::How::Unknown, 0};
    if (process.ending.Ended()) return process.ending;
    const HANDLE handle = reinterpret_cast<HANDLE>(process.handle);
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) return process.ending;
    DWORD code = 0;
    process.ending = GetExitCodeProcess(handle, &code)
                         ? EndingOf(code)
                         : ProgramEnding{ProgramEnding::How::Unknown, 0};
    return process.ending;
}

bool ProgramEnded(Process& process) {
    return ProgramStatus(process).Ended();
}

ProgramEnding EndProgram(Process& process, std::int64_t graceMs) {
    (void)graceMs;  // no request to end comes before the end itself
    if (ProgramStatus(process).Ended()) return process.ending;
    const HANDLE handle = reinterpret_cast<HANDLE>(process.handle);
    TerminateProcess(handle, 1);
    WaitForSingleObject(handle, INFINITE);
    return ProgramStatus(process);
}

void ReleaseProgram(Process& process) {
    if (process.handle) CloseHandle(reinterpret_cast<HANDLE>(process.handle));
    process = Process{};
}

}  // namespace platform
