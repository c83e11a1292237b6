// Finding a window by its exact title, mapped or not, with or without a window manager.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "x11_display.h"

namespace platform {
namespace {

// One window property as bytes; empty when absent or on error.
std::string ReadTextProperty(Display* d, Window w, Atom property, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(d, w, property, 0, 1024, False, type, &actualType, &format, &count,
                           &remaining, &data) == Success &&
        data && format == 8) {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data) XFree(data);
    return text;
}

// A title property and the type it is asked with.
struct TitleProperty {
    Atom name = None;
    Atom type = None;
};

// The property that carries `w`'s title when it equals `title` (name None when neither does).
TitleProperty TitleOf(Display* d, Window w, std::string_view title) {
    static const TitleProperty netWmName{XInternAtom(d, "_NET_WM_NAME", False),
                                         XInternAtom(d, "UTF8_STRING", False)};
    // A window without _NET_WM_NAME may still carry WM_NAME, so both are asked.
    if (ReadTextProperty(d, w, netWmName.name, netWmName.type) == title) return netWmName;
    if (ReadTextProperty(d, w, XA_WM_NAME, AnyPropertyType) == title)
        return {XA_WM_NAME, AnyPropertyType};
    return {};
}

// The window found last and the property its title was read from: asking it again is one
// round trip, where the search asks every top-level window twice.
struct Found {
    std::string title;
    Window window = 0;
    TitleProperty property;
};
Found lastFound;

bool HasTitle(Display* d, Window w, std::string_view title) {
    const TitleProperty property = TitleOf(d, w, title);
    if (property.name == None) return false;
    lastFound = {std::string(title), w, property};
    return true;
}

int quickErrors = 0;
int CountError(Display*, XErrorEvent*) {
    ++quickErrors;
    return 0;
}

// Whether the window found last for `title` still carries it. One request, answered before it
// returns, so errors need no extra round trip to be seen: the handler is swapped around it
// alone. An error (the window has gone) counts as not found.
bool StillFound(Display* d, std::string_view title) {
    if (lastFound.window == 0 || lastFound.title != title) return false;
    const int before = quickErrors;
    const XErrorHandler previous = XSetErrorHandler(CountError);
    const std::string text =
        ReadTextProperty(d, lastFound.window, lastFound.property.name, lastFound.property.type);
    XSetErrorHandler(previous);
    if (quickErrors == before && text == title) return true;
    lastFound = {};
    return false;
}

std::vector<Window> Children(Display* d, Window w) {
    Window root = 0, parent = 0, *list = nullptr;
    unsigned int count = 0;
    std::vector<Window> out;
    if (XQueryTree(d, w, &root, &parent, &list, &count) && list) out.assign(list, list + count);
    if (list) XFree(list);
    return out;
}

std::vector<Window> ClientList(Display* d, Window root) {
    const Atom clientList = XInternAtom(d, "_NET_CLIENT_LIST", False);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Window> out;
    if (XGetWindowProperty(d, root, clientList, 0, 65536, False, XA_WINDOW, &actualType, &format,
                           &count, &remaining, &data) == Success &&
        data && format == 32) {
        const auto* ids = reinterpret_cast<const unsigned long*>(data);  // format 32 is long
        out.assign(ids, ids + count);
    }
    if (data) XFree(data);
    return out;
}

bool SearchTree(Display* d, Window w, std::string_view title, int depth) {
    for (Window child : Children(d, w)) {
        if (HasTitle(d, child, title)) return true;
        if (depth > 0 && SearchTree(d, child, title, depth - 1)) return true;
    }
    return false;
}

}  // namespace

bool WindowWithTitleExists(std::string_view title) {
    Display* d = x11::Connection();
    if (!d) return false;
    if (StillFound(d, title)) return true;
    // Windows may vanish between listing and asking; the trap keeps that from being fatal.
    x11::ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    // Cheapest first: without a window manager top-level windows are the root's children;
    // with one they are listed in _NET_CLIENT_LIST; the deep search covers everything else.
    for (Window w : Children(d, root))
        if (HasTitle(d, w, title)) return true;
    for (Window w : ClientList(d, root))
        if (HasTitle(d, w, title)) return true;
    return SearchTree(d, root, title, 8);
}

}  // namespace platform
