// The services every Velmora program needs from the operating system that link with no window
// system (library velmora_platform_base), behind an interface that names nothing of any system:
// memory, paths, files, text, the user's language, the clock, processes, requests to end, locks,
// the settings file, the web. Each backend implements it in files named by topic: platform/posix
// on Linux, platform/win32 on Windows; platform/common holds what is the same everywhere. The
// window system's services are in window_system.h, the OpenGL glue in gl.h, the message box in
// message_box.h, the sound layer in sound.h.
//
// Failures reach the caller one way: a call that can fail returns false (or, where the caller
// tells more than two outcomes apart, a named enum) and writes why, in words for the user with
// the system's own words where they help, to its last parameter `why` when that is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A window of the system's window system: an X window id on X11, an HWND on Windows. 0 is none.
using NativeWindow = std::uintptr_t;

// ---- Screen geometry (types alone; the rules over them in monitor_layout.h) ---------------------

// A width and height in pixels.
struct ScreenSize {
    int width = 0;
    int height = 0;
};

// A monitor's rectangle in the window system's desktop coordinates, in pixels.
struct MonitorRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// ---- The desktop's shields by name (common/desktop_shield.cpp; the watch in window_system.h) ----

// What of the desktop's own hides the screen from the user: its screen saver, its lock or its
// blank. A run never starts under one and ends when one comes on.
enum class DesktopShield {
    Off,                     // none of them is on
    GnomeScreenSaver,        // org.gnome.ScreenSaver on the session bus says it is active
    FreedesktopScreenSaver,  // org.freedesktop.ScreenSaver on the session bus says so
    SessionLocked,           // the login manager's LockedHint of this session, system bus
    XScreenSaver,            // the X server's own screen saver is on (MIT-SCREEN-SAVER)
    MonitorsOff,             // the X server has put the monitors in a power state other than On
};

// How `shield` is named in logs and traces: its bus name, property or X extension; empty for
// Off.
std::string_view DesktopShieldName(DesktopShield shield);

// ---- A box's message without the box (common/standard_error.cpp) --------------------------------

// The line on standard error that ShowMessageBox writes for a box, alone: for a program that
// must not wait on a box nobody may be there to dismiss.
void TellOnStandardError(std::string_view title, std::string_view text);

// ---- Memory (posix/memory.cpp) -----------------------------------------------------------------

// Serves the program's large blocks (pictures, textures, images of the screen) from memory in
// large pages where the system has them, which makes their first touch far cheaper. Call once,
// first thing in main, before any thread starts; without such pages it changes nothing.
void PreferLargePages();

// ---- Paths (posix/paths.cpp; the mapping rule in common/drive_paths.cpp) ------------------------

// The folder that holds the running program, without a trailing separator.
std::string ProgramFolder();

// The file or folder `name` inside `folder`, joined with the system's separator.
std::string PathInFolder(std::string_view folder, std::string_view name);

// Where drive paths such as "C:\tolvik" live on this system: $VELMORA_ROOT when set, else
// $XDG_RUNTIME_DIR/velmora, else $HOME/.cache/velmora, else /tmp/velmora-<uid> (which, like
// every root, is only used when it is the user's own: see FolderIsSafe).
std::string DriveRoot();

// Maps a drive path ("c:\tolvik\Zentrova.bmp") below `root`: the drive letter selects
// <root>/<letter in lower case>, backslashes become "/", the rest keeps its case. A path that
// has no drive letter only has its backslashes turned round. Pure: the same on every system.
std::string MapDrivePathUnder(std::string_view root, std::string_view path);

// Where the drive path `path` is on this system: MapDrivePathUnder(DriveRoot(), path) where
// drive letters mean nothing to the system, `path` itself where they do.
std::string MapDrivePath(std::string_view path);

// True when the folder `path` can be trusted with the user's files; otherwise false, with why
// in one line. When `path` lies below the drive root, the root and every folder on the way down
// count too: each must be a real folder (not a symbolic link) of the user's own that no one else
// can write.
bool FolderIsSafe(const std::string& path, std::string* why = nullptr);

// Creates `path` and any missing parents, private to the user (0700). True when the folder
// exists afterwards and is safe (FolderIsSafe); otherwise false, with why.
bool MakePrivateFolders(const std::string& path, std::string* why = nullptr);

// The folder for the user's own settings of Velmora, not created here: $XDG_CONFIG_HOME/velmora
// (~/.config/velmora when that is unset or not absolute) on Linux. Empty when the system names
// no such place for the user.
std::string UserSettingsFolder();

// True when the running user may create and replace files in `folder`.
bool FolderWritable(const std::string& folder);

// The system's words for why the latest failed call of this thread failed ("Permission
// denied"), in UTF-8: where the backends take the system's words for `why` from. A caller
// learns of a failure through the failing call's own `why`.
std::string LastErrorText();

// ---- Files (posix/files.cpp) --------------------------------------------------------------------

enum class ReadResult { Ok, Missing, Failed };

// Reads the whole of `path` into `out` when it is a readable regular file of at most `limit`
// bytes. Missing when nothing is at the path; Failed for anything else (a folder, a FIFO, a
// device, no rights, too large). Never blocks on a FIFO or device: they are not opened.
ReadResult ReadRegularFile(const std::string& path, std::string& out, std::size_t limit);

// True when `path` names a regular file that opens for reading. Never blocks.
bool IsReadableRegularFile(const std::string& path);

// Who may use a file that ReplaceFile writes.
enum class FileAccess {
    OwnerOnly,         // the user alone
    KeepOrUserDefault  // as the file being replaced allowed; a new file as the user's default
};

// Whether ReplaceFile waits for the new bytes to reach the disk before they take the old file's
// place.
enum class Durability {
    Lasting,  // they do: after a crash the file is either the old or the new one, whole
    Passing   // they need not: a file made anew for each use, which readers take at once;
              // readers still never see half a file, but a crash may leave a broken one behind
};

// Replaces the file at `path` by one holding `bytes`, atomically: the bytes go to a new
// temporary file in the same folder, reach the disk (Durability::Lasting), and take the place
// of `path` in one step (which also works where renaming over an existing file is refused). A
// failure at any point leaves the old file as it was and no temporary file behind; so does a
// request to end the program while it writes, where that request would end the program at once
// (on POSIX SIGTERM, SIGINT or SIGHUP left to the system: the file is removed, then the request
// ends the program as it would have). A program killed outright leaves its temporary file for
// RemoveStaleTemporaries. A symbolic link at `path` is replaced, not written through. False on
// failure, with why (the system's words).
bool ReplaceFile(const std::string& path, std::string_view bytes, FileAccess access,
                 Durability durability = Durability::Lasting, std::string* why = nullptr);

// Takes the next piece of a file being written; false once a write has failed (the writer then
// stops: nothing it gives later is kept).
using ByteSink = std::function<bool(std::string_view piece)>;

// ReplaceFile for bytes made as they are written: `produce` hands them to the sink in order,
// piece by piece, and returns false when it cannot make them all. The old file stays unless
// `produce` returned true and every piece was written; false otherwise, with why.
bool ReplaceFileFrom(const std::string& path, const std::function<bool(const ByteSink&)>& produce,
                     FileAccess access, Durability durability = Durability::Lasting,
                     std::string* why = nullptr);

// Removes the temporary files that ReplaceFile left beside `path` when the program writing them
// was killed before it could (files of the user's own, regular, named as ReplaceFile names its
// temporary files for `path`) and returns how many went. Only for a caller that knows no other
// program is writing `path` now: one that holds the lock every writer of it takes.
int RemoveStaleTemporaries(const std::string& path);

// Where a write meant for `path` should go: the final target when `path` is a symbolic link
// (so that the link stays), else `path` itself.
std::string WriteTarget(const std::string& path);

// Appends `bytes` to the file at `path` in a single write, creating it private to the user.
// Writes from several processes never interleave within one call's bytes. Never follows a
// symbolic link at `path`. False on failure, with why.
bool AppendToFile(const std::string& path, std::string_view bytes, std::string* why = nullptr);

// A regular file's bytes, readable while the object lives (mapped into memory, not copied).
// Opening never blocks: a FIFO, device or folder is refused without being read. Empty and
// unreadable files are refused too.
class MappedFile {
  public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False when the file was refused; Bytes() is empty then.
    bool Ok() const { return data_ != nullptr; }
    std::span<const std::uint8_t> Bytes() const { return {data_, size_}; }

  private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    // The backend's own handles (Windows needs both; POSIX unmaps by address and size alone).
    [[maybe_unused]] std::uintptr_t file_ = 0;
    [[maybe_unused]] std::uintptr_t mapping_ = 0;
};

// ---- Text conversion (posix/charset.cpp; names in common/charset_names.cpp) ---------------------

// The charset of the user's locale ("UTF-8", "EUC-JP", ...), which is the charset of the
// settings file and of the sound layer's text; the C and POSIX locales count as UTF-8. Needs
// setlocale() first.
std::string LocaleCharset();

// True for the names of UTF-8 ("UTF-8", "utf8", any letter case). Pure.
bool IsUtf8(std::string_view name);

// Converts `in` from one charset to another. False (and `out` empty) when the text has bytes or
// characters that the charsets can't carry: nothing is substituted.
bool ConvertText(std::string_view in, const std::string& from, const std::string& to,
                 std::string& out);

// Converts `in` from one charset to another, putting "?" in place of each character that the
// target can't carry or that is not valid input (a UTF-8 sequence counts as one character), so
// that the text keeps its length in characters. `in` comes back as it is when both charsets are
// the same or the conversion is not offered at all.
std::string ConvertTextLossy(std::string_view in, const std::string& from, const std::string& to);

// The first `limit` bytes of `bytes` (text in the charset `name`), without a partial character
// at the end.
std::string CutBytes(std::string_view bytes, std::size_t limit, const std::string& name);

// The system's words for the error number `error` (strerror: in the locale's language and
// charset) in UTF-8, as every text inside the programs is; characters that do not convert
// become "?".
std::string ErrorWords(int error);

// A text the system or a library wrote in the locale's charset (a loader's dlerror, say) in
// UTF-8, the same way; empty for null.
std::string SystemText(const char* text);

// Writes `text` (UTF-8) to standard error in the locale's charset (characters it can't carry
// become "?"), whole, with a line break after it unless it ends in one; one write, flushed, so
// lines of several threads or programs do not interleave. Standard error and the logs made of it
// are read in the user's terminal or journal, which show the locale's charset.
void WriteToStandardError(std::string_view text);

// ---- The user's language (posix/language.cpp, win32/language.cpp) -----------------------------

// `text` in the user's language: its translation in the program's catalog (domain "velmora") for
// the language the user chose, else `text` itself. Every text a user reads goes through here; the
// texts are UTF-8, the dialog's captions in Japanese, the messages in English. On Linux the
// language comes from the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG; the C and POSIX
// locales translate nothing) and the catalogs from the locale folder beside the program
// ("locale", in a build) or of its install ("../../share/locale" from lib/velmora); on Windows
// from the user's UI language and the catalogs built into the program. The first call sets up
// the catalogs; the answer lives as long as the program.
const char* Translate(const char* text);

// Marks a text kept in a constant for translation and gives it back unchanged: the catalogs'
// template takes in every text so marked (as it does every literal given to Translate), and the
// constant goes through Translate where it is shown. A constant given to Translate unmarked
// fails the catalog test.
constexpr const char* Translatable(const char* text) {
    return text;
}

// `pattern` with each "%s" replaced by the next of `values`, in order, and "%%" by "%"; a "%s"
// beyond the values is left out. For translated texts that carry values. Pure.
std::string FillIn(std::string_view pattern, std::initializer_list<std::string_view> values);

// ---- Clock and process (posix/clock.cpp) --------------------------------------------------------

// A clock that never goes back, in nanoseconds from a fixed point; the same clock in every
// process of the machine, so that marks of two programs compare.
std::int64_t MonotonicNanoseconds();

// The system's id of the running process.
std::int32_t CurrentProcessId();

// Sleeps until MonotonicNanoseconds() reaches `deadline` (at once when it has); the system's
// timer granularity may add a little, about a millisecond at most where the system allows it.
void SleepUntil(std::int64_t deadline);

// ---- Unattended runs (common/unattended.cpp) ----------------------------------------------------

// The environment variable that marks a run started with nobody at the screen (velmora-idle sets
// it to "1" for the runs it starts).
inline constexpr const char* kUnattendedVariable = "VELMORA_UNATTENDED";

// True when kUnattendedVariable is "1": nobody may be there to answer a modal box, so a failure
// that would show one is told on standard error alone (TellOnStandardError).
bool RunIsUnattended();

// ---- Processes (posix/process.cpp) --------------------------------------------------------------

// How a started program stands, as ProgramStatus found it.
struct ProgramEnding {
    enum class How {
        Running,  // not ended yet
        Exited,   // ended by itself: `code` is its exit status
        Killed,   // ended by a signal (POSIX: `code` is its number) or by a fault that the system
                  // reports as an exception code (Windows: `code` is that code)
        Unknown   // ended, but how is not known: never started, or reaped by someone else
    };
    How how = How::Running;
    int code = 0;
    bool Ended() const { return how != How::Running; }
};

// How a started program is tied to the one that started it.
enum class ProgramTie {
    Untied,           // it lives on by itself, whatever happens to its starter
    EndsWithStarter,  // it is ended by the system as soon as this process ends, by any means (a
                      // kill that nothing can catch included): on Linux a parent-death signal
                      // (SIGKILL) set before the program runs, tied to the thread that starts it,
                      // so start it from the thread that lives longest (the main thread); on
                      // Windows a job object of this process that kills its members on close
    OwnGroup,         // it leads a process group of its own, which holds what it starts in turn:
                      // EndProgram ends the whole group (Windows: a new process group, and
                      // EndProgram ends the program alone)
    Detached          // it runs apart from us: in a session of its own on POSIX, never our child
                      // (nothing waits to be reaped), with nothing to watch or end
};

// Where a started program's standard input, output and error go.
enum class ProgramStreams {
    Ours,         // to ours
    NullDevice,   // all three to the null device
    ErrorsToPipe  // input and output to ours, error into a pipe that Process::errors reads
};

// A program to start, and how.
struct ProgramStart {
    // The program's path first, then its arguments, each handed over as it is (no shell).
    std::vector<std::string> arguments;
    ProgramTie tie = ProgramTie::Untied;
    ProgramStreams streams = ProgramStreams::Ours;
    // "NAME=value" entries for the program's environment, each over ours of that name; the rest
    // of ours comes along.
    std::vector<std::string> environment;
    // True: a program name without a folder is looked up along PATH, as a shell would; false: it
    // is a path, taken as it is.
    bool searchPath = false;
};

// A program that StartProgram started. `handle` is the backend's own (the process id on POSIX, a
// process handle on Windows) and means nothing to callers; `id` is the system's process id. A
// default Process (id 0) is "nothing started". `ending` is kept by ProgramStatus; a Detached
// program's is Unknown from the start.
struct Process {
    std::uintptr_t handle = 0;
    std::int32_t id = 0;
    ProgramEnding ending;
    ProgramTie tie = ProgramTie::Untied;
    // ProgramStreams::ErrorsToPipe: the reading end of the pipe the program's standard error goes
    // to (close-on-exec, blocking), the caller's to read and close; -1 otherwise.
    int errors = -1;
    bool Started() const { return id > 0; }
};

// Starts `start.arguments` as a new process and does not wait for it. The program gets standard
// input, output and error as `start.streams` says, no other descriptor or handle of ours, the
// system's default handling of every signal and no blocked one. Nothing started (id 0) when the
// program could not be started (missing, not executable, no arguments), with why (the system's
// words), which also stays the thread's last error (LastErrorText). Windows offers only
// ProgramStreams::Ours and refuses the others, which nothing there asks for.
Process StartProgram(const ProgramStart& start, std::string* why = nullptr);

// Starts the program at `path` with the path as its only argument (see above).
inline Process StartProgram(const std::string& path, ProgramTie tie = ProgramTie::Untied,
                            std::string* why = nullptr) {
    ProgramStart start;
    start.arguments = {path};
    start.tie = tie;
    return StartProgram(start, why);
}

// How `process` stands now; never waits. The first answer that it has ended is kept in
// `process.ending` (on POSIX the process is reaped then) and every later call returns it again
// without asking the system. A Process that was not started answers Unknown.
ProgramEnding ProgramStatus(Process& process);

// True once `process` has ended: ProgramStatus(process).Ended().
bool ProgramEnded(Process& process);

// Ends `process` if it is still running: asks it to end (SIGTERM on POSIX; Windows has no such
// request for a program and ends it at once), waits up to `grace` for it, then ends it by force
// (SIGKILL) and waits for that. An OwnGroup program's whole group gets both signals. Returns how
// it ended, as ProgramStatus would; a program that had ended already keeps its own ending, and a
// Detached one is left alone.
ProgramEnding EndProgram(Process& process, std::int64_t graceMs);

// ---- Requests to end this program (posix/end_requests.cpp) -------------------------------------

// From now on the system's requests to end this program (SIGTERM, SIGINT and SIGHUP on POSIX;
// Ctrl+C and Ctrl+Break of a console on Windows) no longer end it at once: they are noted for
// EndRequest, the first one makes EndRequestWaitable ready, and the program ends in its own
// time. Programs started afterwards get the system's default handling back. Where the system
// cannot give what wakes a waiting loop, the requests keep ending the program at once.
void CatchEndRequests();

// The request that came first since CatchEndRequests (POSIX: the signal's number; Windows: the
// console event's number plus one), 0 while none has.
int EndRequest();

// What an event loop waits on to learn of the first request to end: on POSIX a descriptor that
// turns readable, on Windows an event (a HANDLE) that is set. It turns ready with the first
// request, also one that came before anybody waited, and stays ready; reading from it or
// resetting it is not the waiter's business. -1 before CatchEndRequests has caught the requests.
std::intptr_t EndRequestWaitable();

// ---- One holder at a time (posix/run_lock.cpp)
// ---------------------------------------------------

enum class LockTaken {
    Yes,            // this process holds the lock until it ends
    HeldElsewhere,  // another process holds it now
    Unavailable     // it cannot be had at all (see `why`)
};

// Takes the lock `name` (letters, digits, '.', '-', '_') without waiting, for the rest of this
// process's life: it goes when the process ends, by whatever means, and programs started later
// do not inherit it. One lock of that name per drive root: on POSIX an flock on the file <name>
// in DriveRoot() (made private to the user first), on Windows a named mutex of the session whose
// name joins `name` and DriveRoot(). Taking a lock this process holds already answers Yes. On
// POSIX the file is opened without following a link and without waiting: a symbolic link, a
// folder, a FIFO or anything else that is not a regular file of the user's own, a file that
// can't be opened and a root that is not safe (FolderIsSafe) all answer Unavailable, with why.
LockTaken HoldLockForLife(std::string_view name, std::string* why = nullptr);

// ---- Settings file (win32/profile.cpp; posix/profile.cpp has no such calls) -------------------

// How a call on the system's profile calls went.
enum class ProfileCall {
    Done,       // the system read or wrote the value
    Refused,    // the value could not be written (see `why`); the file is as it was
    NotOffered  // the system has no profile calls (POSIX): the caller reads or writes the file
};

// Reads into `value` the value of `key` in the first `section` of the INI file at `path`, by
// the system's own profile calls: names in any letter case, blanks and matching quotes around
// the value removed, at most 255 bytes of the ANSI code page. Names and values are UTF-8 here.
// Done, with `value` empty when the file, section or key is missing; NotOffered (and `value`
// untouched) where the system has no profile calls.
ProfileCall ReadIniValue(std::string_view section, std::string_view key, const std::string& path,
                         std::string& value);

// Sets `key` in `section` of the INI file at `path` to `value` through the system's profile
// calls, creating what is missing and leaving the other keys as they were. Refused, with why,
// when the value can't be written: an empty name, a line break, text the ANSI code page can't
// carry, a folder that is not there or refuses the write. NotOffered where the system has no
// profile calls.
ProfileCall WriteIniValue(std::string_view section, std::string_view key, std::string_view value,
                          const std::string& path, std::string* why = nullptr);

// ---- Web (posix/web.cpp) ------------------------------------------------------------------------

// Opens `address` with the desktop's handler (xdg-open on Linux), without waiting for it.
// Failure, such as no handler at all, is silent.
void OpenWebAddress(std::string_view address);

}  // namespace platform
