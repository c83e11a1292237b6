// The idle companion's view of the X display: the input-free time (MIT-SCREEN-SAVER), whether a
// run of Velmora exists, and whether another program's full-screen window has the focus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "idle_rules.h"

namespace idle {

class IdleDisplay {
  public:
    // Connects to $DISPLAY. On failure the object is not ok() and `error` says why.
    explicit IdleDisplay(std::string& error);
    ~IdleDisplay();
    IdleDisplay(const IdleDisplay&) = delete;
    IdleDisplay& operator=(const IdleDisplay&) = delete;

    bool ok() const { return display_ != nullptr; }
    // The connection's file descriptor: it becomes readable when the server sends something,
    // and when the server goes.
    int Descriptor() const;
    // Reads what the server sent. False once the connection is gone.
    bool Drain();
    // Milliseconds since the last keyboard or pointer input (or screen saver reset).
    std::int64_t IdleMs();
    Surroundings Look();

  private:
    void* display_ = nullptr;  // Display*, kept out of this header
};

// True once the connection to the display has been lost.
bool DisplayLost();

// What to do when the connection breaks in the middle of an Xlib call, where Xlib cannot go on:
// `hook` runs and must end the program (it never returns to Xlib).
void OnDisplayLostInCall(void (*hook)());

}  // namespace idle
