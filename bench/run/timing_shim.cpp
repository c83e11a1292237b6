// Preloaded into Velmora.scr and Velmora.dll by the start-up benchmark: marks, in the file named
// by $VELMORA_TIMING, when each program starts and exits, when the hand-off bitmap is written and
// read, when the texture upload runs and when the first frame (GLX or EGL) and the first frame
// with the picture are presented, how many frames
// a program presented and how evenly (the median and 99th percentile of the time between two
// presented frames). The programs themselves are not changed; each wrapper forwards to the
// real function.
#include <GL/gl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

void Mark(const char* label) {
    const char* path = std::getenv("VELMORA_TIMING");
    if (!path || !*path) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[160];
    const int n = snprintf(line, sizeof line, "%s %lld %d\n", label,
                           static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                           static_cast<int>(getpid()));
    if (n <= 0 || n >= static_cast<int>(sizeof line)) return;
    using OpenFn = int (*)(const char*, int, ...);
    static const auto realOpen = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, "open"));
    const int fd = realOpen(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t w = write(fd, line, static_cast<size_t>(n));
    close(fd);
}

void MarkOnce(bool& done, const char* label) {
    if (done) return;
    done = true;
    Mark(label);
}

bool Ends(const char* s, const char* end) {
    if (!s) return false;
    const size_t a = strlen(s), b = strlen(end);
    return a >= b && strcmp(s + a - b, end) == 0;
}

bool InWorkFolder(const char* path) {
    return path && strstr(path, "/tolvik");
}

bool writeBegun = false, loadBegun = false, frameShown = false, pictureShown = false;
long swaps = 0;
constexpr long kWarmUpSwaps = 20;

// When each frame was presented, for the spread of the frame times: from frame 64 on (about a
// second at 60 Hz, past the start and a renderer's first judgement of its pace), at most a few
// minutes' worth.
constexpr long kSpreadFrom = 64;
constexpr long kMostStamps = 1 << 16;
long long stamps[kMostStamps];
long stamped = 0;

long long Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// "frame-p50 <ns> <pid>" and "frame-p99 <ns> <pid>" lines for the stamped frames, into `out`;
// the number of bytes written.
int SpreadLines(char* out, int size) {
    if (stamped < 12) return 0;
    static long long gaps[kMostStamps];
    const long count = stamped - 1;
    for (long i = 0; i < count; ++i) gaps[i] = stamps[i + 1] - stamps[i];
    std::sort(gaps, gaps + count);
    const int n =
        snprintf(out, size, "frame-p50 %lld %d\nframe-p99 %lld %d\n", gaps[count / 2],
                 static_cast<int>(getpid()), gaps[count * 99 / 100], static_cast<int>(getpid()));
    return n > 0 && n < size ? n : 0;
}

void SawOpen(const char* path, bool writing) {
    if (!InWorkFolder(path)) return;
    if (writing)
        MarkOnce(writeBegun, "bmp-write-begin");
    else if (Ends(path, "Zentrova.bmp"))
        MarkOnce(loadBegun, "bmp-load-begin");
}

bool Writing(int flags) {
    return (flags & O_ACCMODE) != O_RDONLY;
}
bool Writing(const char* mode) {
    return mode && (strchr(mode, 'w') || strchr(mode, 'a') || strchr(mode, '+'));
}

template <typename Fn>
Fn Real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void MarkWithName(const char* what) {
    char name[64] = "?";
    if (FILE* f = fopen("/proc/self/comm", "r")) {
        if (fgets(name, sizeof name, f)) name[strcspn(name, "\n")] = 0;
        fclose(f);
    }
    char label[96];
    snprintf(label, sizeof label, "%s-%s", what, name);
    Mark(label);
}

__attribute__((constructor)) void Started() {
    MarkWithName("exec");
}

// Runs on exit(), which is how the renderer ends on Escape. A program that presented frames
// also tells how many: "swaps <count> <pid>".
__attribute__((destructor)) void Ended() {
    MarkWithName("exit");
    const char* path = std::getenv("VELMORA_TIMING");
    if (swaps == 0 || !path || !*path) return;
    char line[256];
    int n = snprintf(line, sizeof line, "swaps %ld %d\n", swaps, static_cast<int>(getpid()));
    if (n <= 0 || n >= static_cast<int>(sizeof line)) return;
    n += SpreadLines(line + n, static_cast<int>(sizeof line) - n);
    using OpenFn = int (*)(const char*, int, ...);
    static const auto realOpen = reinterpret_cast<OpenFn>(dlsym(RTLD_NEXT, "open"));
    const int fd = realOpen(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t w = write(fd, line, static_cast<size_t>(n));
    close(fd);
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    SawOpen(path, Writing(flags));
    static const auto real = Real<int (*)(const char*, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    SawOpen(path, Writing(flags));
    static const auto real = Real<int (*)(const char*, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    SawOpen(path, Writing(flags));
    static const auto real = Real<int (*)(int, const char*, int, ...)>("openat");
    return real(dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, mode_t);
        va_end(ap);
    }
    SawOpen(path, Writing(flags));
    static const auto real = Real<int (*)(int, const char*, int, ...)>("openat64");
    return real(dir, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode) {
    SawOpen(path, Writing(mode));
    static const auto real = Real<FILE* (*)(const char*, const char*)>("fopen");
    return real(path, mode);
}

FILE* fopen64(const char* path, const char* mode) {
    SawOpen(path, Writing(mode));
    static const auto real = Real<FILE* (*)(const char*, const char*)>("fopen64");
    return real(path, mode);
}

int mkstemp(char* pattern) {
    SawOpen(pattern, true);
    static const auto real = Real<int (*)(char*)>("mkstemp");
    return real(pattern);
}

int mkostemp(char* pattern, int flags) {
    SawOpen(pattern, true);
    static const auto real = Real<int (*)(char*, int)>("mkostemp");
    return real(pattern, flags);
}

int rename(const char* from, const char* to) {
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    const int r = real(from, to);
    if (InWorkFolder(to) && Ends(to, "Zentrova.bmp")) Mark("bmp-write-end");
    return r;
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    static const auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
    const int r = real(fromDir, from, toDir, to);
    if (Ends(to, "Zentrova.bmp")) Mark("bmp-write-end");
    return r;
}

int glutCreateWindow(const char* title) {
    static const auto real = Real<int (*)(const char*)>("glutCreateWindow");
    const int r = real(title);
    Mark("window-created");
    return r;
}

// The texture upload: either the whole mipmapped build, or the first full-size image handed to
// OpenGL by a renderer that prepares its level itself. Nested calls (the build's own images)
// count as part of the outer one.
int uploadDepth = 0;
bool uploadMarked = false;

void UploadBegin() {
    if (uploadDepth++ == 0 && !uploadMarked) Mark("upload-begin");
}
void UploadEnd() {
    if (--uploadDepth == 0 && !uploadMarked) {
        uploadMarked = true;
        Mark("upload-end");
    }
}

GLint gluBuild2DMipmaps(GLenum target, GLint components, GLint width, GLint height, GLenum format,
                        GLenum type, const void* data) {
    static const auto real =
        Real<GLint (*)(GLenum, GLint, GLint, GLint, GLenum, GLenum, const void*)>(
            "gluBuild2DMipmaps");
    UploadBegin();
    const GLint r = real(target, components, width, height, format, type, data);
    UploadEnd();
    return r;
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* data) {
    static const auto real =
        Real<void (*)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*)>(
            "glTexImage2D");
    const bool counted = target == GL_TEXTURE_2D && level == 0 && data;
    if (counted) UploadBegin();
    real(target, level, internalFormat, width, height, border, format, type, data);
    if (counted) UploadEnd();
}

// A presented frame: the first is marked, the first after the picture's upload too.
static void Presented() {
    MarkOnce(frameShown, "first-frame");
    if (uploadMarked) MarkOnce(pictureShown, "picture-frame");
}

void glXSwapBuffers(void* display, unsigned long drawable) {
    static const auto real = Real<void (*)(void*, unsigned long)>("glXSwapBuffers");
    real(display, drawable);
    Presented();
    // The frame rate counts from the warm-up frame on: the first frames pay for shader
    // compilation and the switch to full screen.
    if (++swaps == kWarmUpSwaps) Mark("swap-warm");
    if (swaps >= kSpreadFrom && stamped < kMostStamps) stamps[stamped++] = Now();
}

// The renderer's own surfaces in a Wayland session present through EGL.
unsigned eglSwapBuffers(void* display, void* surface) {
    static const auto real = Real<unsigned (*)(void*, void*)>("eglSwapBuffers");
    const unsigned result = real(display, surface);
    Presented();
    if (++swaps == kWarmUpSwaps) Mark("swap-warm");
    if (swaps >= kSpreadFrom && stamped < kMostStamps) stamps[stamped++] = Now();
    return result;
}

}  // extern "C"
