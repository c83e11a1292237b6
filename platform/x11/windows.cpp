// Finding a window by its exact title, mapped or not, with or without a window manager.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "x11_display.h"

namespace platform {
using x11::TitledWindow;
using x11::TitleProperty;

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

using Titles = std::span<const std::string_view>;

bool IsOneOf(const std::string& text, Titles titles) {
    return std::find(titles.begin(), titles.end(), text) != titles.end();
}

// The property that carries `w`'s title when that is one of `titles` (name None when neither
// does).
TitleProperty TitleOf(Display* d, Window w, Titles titles) {
    static const TitleProperty netWmName{XInternAtom(d, "_NET_WM_NAME", False),
                                         XInternAtom(d, "UTF8_STRING", False)};
    // A window without _NET_WM_NAME may still carry WM_NAME, so both are asked.
    if (IsOneOf(ReadTextProperty(d, w, netWmName.name, netWmName.type), titles)) return netWmName;
    if (IsOneOf(ReadTextProperty(d, w, XA_WM_NAME, AnyPropertyType), titles))
        return {XA_WM_NAME, AnyPropertyType};
    return {};
}

// Sets `found` to `w` when it carries one of `titles`.
bool HasTitle(Display* d, Window w, Titles titles, TitledWindow& found) {
    const TitleProperty property = TitleOf(d, w, titles);
    if (property.name == None) return false;
    found = {w, property};
    return true;
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
    return x11::ReadListProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW,
                                 65536);
}

bool SearchTree(Display* d, Window w, Titles titles, int depth, TitledWindow& found) {
    for (Window child : Children(d, w)) {
        if (HasTitle(d, child, titles, found)) return true;
        if (depth > 0 && SearchTree(d, child, titles, depth - 1, found)) return true;
    }
    return false;
}

}  // namespace

namespace x11 {

TitledWindow FindTitledWindow(Display* d, std::span<const std::string_view> titles) {
    // Windows may vanish between listing and asking; the trap keeps that from being fatal.
    ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    TitledWindow found;
    // Cheapest first: without a window manager top-level windows are the root's children;
    // with one they are listed in _NET_CLIENT_LIST; the deep search covers everything else.
    for (Window w : Children(d, root))
        if (HasTitle(d, w, titles, found)) return found;
    for (Window w : ClientList(d, root))
        if (HasTitle(d, w, titles, found)) return found;
    SearchTree(d, root, titles, 8, found);
    return found;
}

bool TitledOneOf(Display* d, Window w, std::span<const std::string_view> titles) {
    return TitleOf(d, w, titles).name != None;
}

TitledWindow FindTitledWindow(Display* d, std::string_view title) {
    return FindTitledWindow(d, Titles(&title, 1));
}

std::vector<unsigned long> ReadListProperty(Display* d, Window w, Atom property, Atom type,
                                            long maxItems) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(d, w, property, 0, maxItems, False, type, &actualType, &format, &count,
                           &remaining, &data) == Success &&
        data && actualType == type && format == 32) {
        const auto* list = reinterpret_cast<const unsigned long*>(data);  // format 32 is long
        items.assign(list, list + count);
    }
    if (data) XFree(data);
    return items;
}

Window ParentOf(Display* d, Window w) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    const bool ok = XQueryTree(d, w, &root, &parent, &children, &count) != 0;
    if (children) XFree(children);
    return ok ? parent : 0;
}

bool StillTitled(Display* d, const TitledWindow& w, std::string_view title) {
    if (w.window == 0) return false;
    // One request, answered before it returns, so errors need no extra round trip to be seen.
    ErrorTrap trap(d, x11::TrapSync::Replied);
    const std::string text = ReadTextProperty(d, w.window, w.property.name, w.property.type);
    return !trap.Failed() && text == title;
}

}  // namespace x11

}  // namespace platform
