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

bool HasTitle(Display* d, Window w, std::string_view title) {
    static const Atom netWmName = XInternAtom(d, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    // A window without _NET_WM_NAME may still carry WM_NAME, so both are asked.
    if (ReadTextProperty(d, w, netWmName, utf8) == title) return true;
    return ReadTextProperty(d, w, XA_WM_NAME, AnyPropertyType) == title;
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
