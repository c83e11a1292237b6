// The compositor's outputs as every user in the Wayland backend reads them (the capture's scale,
// its screen copy, the renderer's surfaces): each output with its proxy, name, logical place,
// current mode and scale, read on the user's own connection. Each user adds only its own part
// to an output (a frame to copy, a surface to show). For the Wayland backend's use.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/base.h"
#include "platform/wayland/client.h"

struct wl_output;
struct zxdg_output_v1;
struct zxdg_output_manager_v1;

namespace platform::wayland {

// One output as the compositor describes it.
struct Output {
    wl_output* proxy = nullptr;  // owned by the Outputs that read it
    zxdg_output_v1* xdg = nullptr;
    std::uint32_t global = 0;  // the output's name in the registry
    std::string name;          // its connector's name (xdg-output), e.g. "HDMI-A-1"; empty unsaid
    MonitorRect place;         // its logical place and size in the desktop's layout (xdg-output)
    bool placed = false;       // `place` is known and has a size
    int modeWidth = 0, modeHeight = 0;  // its current mode in pixels; 0 until said
    int scale = 1;                      // its integer scale (wl_output), at least 1
};

// The largest number of pixels per logical unit among `outputs`: an output's current mode over
// its logical size, their longer sides compared so that a turned output counts the same (2 for
// an output at scale 2, 1.5 at 150 %). 1 when no output says both, or none is drawn at more
// than its logical size; at most 8, so that a broken report asks for no picture beyond reason.
double LargestScale(std::span<const std::unique_ptr<Output>> outputs);

// The outputs read on one connection, from the registry's globals to their places. Destroy it
// before the Client it was read on.
class Outputs {
  public:
    Outputs() = default;
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    // The globals to read with the user's own (Client::ReadGlobals): every wl_output named at
    // version `lowest` or above (bound at version 2 at most: its mode and scale), and the
    // xdg-output manager. Their first events (modes, scales) come with ReadGlobals' round trip.
    std::vector<WantedGlobal> Globals(std::uint32_t lowest = 1);

    // True when the compositor offers xdg-output, through which the outputs' places and names
    // are asked.
    bool CanPlace() const { return manager_ != nullptr; }
    // Asks every output's logical place and name and waits for the answers until `deadline`.
    // False without xdg-output, or when the compositor does not answer in time or the
    // connection breaks.
    bool Place(Client& client, Clock::time_point deadline);
    // Lets go of the outputs without a place.
    void DropUnplaced();

    std::span<const std::unique_ptr<Output>> All() const { return outputs_; }
    bool Empty() const { return outputs_.empty(); }

  private:
    zxdg_output_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;
};

}  // namespace platform::wayland
