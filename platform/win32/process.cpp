// Started programs: a process of its own by its full path (or found by the system's search) with
// an argument list and its environment as asked, optionally in a job object of ours that kills it
// when we end, in a process group of its own or detached; its handle is kept to ask how it stands
// and to end it.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/common/for_tests.h"
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

// One argument as the C runtime reads it back from a command line: quoted when it is empty or
// holds a blank or a quote, with the backslashes before a quote and at its end doubled.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// The command line: the program's name quoted (it is read up to the next quote, backslashes and
// all), then each argument.
std::wstring CommandLineOf(const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + win32::Widen(arguments[0]) + L"\"";
    for (std::size_t i = 1; i < arguments.size(); ++i)
        line += L" " + Quoted(win32::Widen(arguments[i]));
    return line;
}

// The name of an environment entry ("NAME=value"; the system's own "=C:=C:\\..." keep their
// leading '='), in capitals: names are compared without case.
std::wstring EntryName(const std::wstring& entry) {
    std::wstring name = entry.substr(0, entry.find(L'=', 1));
    std::transform(name.begin(), name.end(), name.begin(), towupper);
    return name;
}

// The environment block with `entries` over ours of their names, sorted by name as the system
// keeps it; empty when there is nothing to set (the program gets ours).
std::wstring EnvironmentWith(const std::vector<std::string>& entries) {
    if (entries.empty()) return {};
    std::vector<std::wstring> block;
    for (const std::string& entry : entries) block.push_back(win32::Widen(entry));
    wchar_t* const ours = GetEnvironmentStringsW();
    for (const wchar_t* e = ours; e && *e; e += wcslen(e) + 1) {
        const std::wstring name = EntryName(e);
        if (std::none_of(block.begin(), block.begin() + entries.size(),
                         [&](const std::wstring& set) { return EntryName(set) == name; }))
            block.emplace_back(e);
    }
    if (ours) FreeEnvironmentStringsW(ours);
    std::stable_sort(block.begin(), block.end(), [](const std::wstring& a, const std::wstring& b) {
        return EntryName(a) < EntryName(b);
    });
    std::wstring joined;
    for (const std::wstring& entry : block) joined += entry + L'\0';
    return joined + L'\0';
}

// Started suspended when it goes into the job, so that it runs nothing outside it.
DWORD CreationFlags(const ProgramStart& start, bool intoJob) {
    DWORD flags = intoJob ? CREATE_SUSPENDED : 0;
    if (start.tie == ProgramTie::OwnGroup) flags |= CREATE_NEW_PROCESS_GROUP;
    if (start.tie == ProgramTie::Detached) flags |= DETACHED_PROCESS;
    if (!start.environment.empty()) flags |= CREATE_UNICODE_ENVIRONMENT;
    return flags;
}

}  // namespace

Process StartProgram(const ProgramStart& start, std::string* why) {
    if (start.arguments.empty()) return NotStarted(ERROR_INVALID_PARAMETER, why);
    if (start.streams != ProgramStreams::Ours) return NotStarted(ERROR_NOT_SUPPORTED, why);
    const std::wstring program = win32::Widen(start.arguments[0]);
    if (program.empty()) return NotStarted(ERROR_INVALID_NAME, why);
    std::wstring commandLine = CommandLineOf(start.arguments);
    std::wstring environment = EnvironmentWith(start.environment);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const HANDLE job = start.tie == ProgramTie::EndsWithStarter ? EndingJob() : nullptr;
    // The path is given as the application name unless a search is asked for: a renderer named
    // .dll starts all the same, and no search along PATH can pick another program.
    if (!CreateProcessW(start.searchPath ? nullptr : program.c_str(), commandLine.data(), nullptr,
                        nullptr, FALSE, CreationFlags(start, job != nullptr),
                        environment.empty() ? nullptr : environment.data(), nullptr, &startup,
                        &info))
        return NotStarted(GetLastError(), why);
    // A job refused (this process may sit in a job that allows no other) leaves the program
    // untied: it still runs.
    if (job) AssignProcessToJobObject(job, info.hProcess);
    if (job) ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    const auto id = static_cast<std::int32_t>(info.dwProcessId);
    if (start.tie == ProgramTie::Detached) {
        CloseHandle(info.hProcess);
        return Process{0, id, {ProgramEnding::How::Unknown, 0}, start.tie, -1};
    }
    return Process{reinterpret_cast<std::uintptr_t>(info.hProcess), id, {}, start.tie, -1};
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
