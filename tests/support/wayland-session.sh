#!/usr/bin/env bash
# A headless Wayland desktop for the tests: sway with its headless backend and pixman renderer,
# XWayland, a session bus, PipeWire and the desktop portals (xdg-desktop-portal with its wlroots
# back end), all as an unprivileged user, because sway refuses to run as root.
#
#   wayland-session.sh start DIR [options]   start a session whose files live in DIR (made here)
#   wayland-session.sh stop DIR              end it: `swaymsg exit`, then the helpers
#   wayland-session.sh run DIR COMMAND...    run COMMAND as the session's user, in its environment
#
# Options of start:
#   --size WxH           the output's size (default 1280x720)
#   --scale N            the output's scale (default 1)
#   --background RRGGBB  the solid colour sway paints behind every window (default 2060a0)
#   --no-portal          start no portal, and let the bus start no services on demand (the bus
#                        and PipeWire still run)
#   --owner PID          stop the session by itself, and remove DIR, once process PID has ended
#                        (a test that is killed never leaves its session behind)
#   --no-screencopy      clients that connect to the session's WAYLAND_DISPLAY do not see the
#                        screen-copy protocol: they reach sway through a filter
#                        (velmora_wayland_filter, beside this script's build) that hides it.
#                        The portal itself still talks to sway directly, so its Screenshot works.
#
# start waits until every part answers (sway's socket, XWayland accepting root through
# `xhost +si:localuser:root`, PipeWire's socket, the portals' names on the bus), then writes
# DIR/env, lines of NAME=VALUE for the tests to use:
#   WAYLAND_DISPLAY  absolute path of the socket (root reaches it; so does the session's user)
#   COMPOSITOR_DISPLAY  sway's own socket (the same as WAYLAND_DISPLAY unless --no-screencopy)
#   DISPLAY          XWayland's display
#   DBUS_SESSION_BUS_ADDRESS  the session bus (the session's user and root may connect)
#   XDG_RUNTIME_DIR  the session user's runtime folder (0700, the user's own)
#   SWAYSOCK         sway's IPC socket, for swaymsg
#   SESSION_UID      the unprivileged user's id
# and prints them too. A window whose Wayland app_id is "velmora-float" floats at (100, 100)
# (e.g. `foot --app-id=velmora-float --window-size-pixels=200x150`), so that the background
# stays in view around it. A start that fails prints why on standard error, stops what it started
# and exits with 1. Keys are typed with wtype (XTEST keys from xdotool do not reach the
# compositor), e.g. `WAYLAND_DISPLAY=... wtype -s 300 -k Escape`. Programs that call the portal
# run as the session's user (`run`): the portal does not answer root's calls on another user's
# bus.
set -uo pipefail
unset WAYLAND_DISPLAY DISPLAY DBUS_SESSION_BUS_ADDRESS SWAYSOCK

user_id=${WAYLAND_SESSION_UID:-65534}
group_id=$(getent passwd "$user_id" | cut -d: -f4)
group_id=${group_id:-65534}
here=$(cd "$(dirname "$0")" && pwd)

die() {
  echo "wayland-session: $*" >&2
  [ -n "${dir:-}" ] && [ -d "$dir" ] && stop_session
  exit 1
}

# The command line that runs a command as the session's user with the session's environment.
user_command() {
  command_line=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$runtime"
    XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland LANG=C.UTF-8
    ${WAYLAND_DISPLAY:+WAYLAND_DISPLAY=$WAYLAND_DISPLAY} ${DISPLAY:+DISPLAY=$DISPLAY}
    ${DBUS_SESSION_BUS_ADDRESS:+DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS}
    ${SWAYSOCK:+SWAYSOCK=$SWAYSOCK}
    setpriv --reuid="$user_id" --regid="$group_id" --clear-groups "$@")
}

# Runs a command as the session's user and waits for it.
as_user() {
  user_command "$@"
  "${command_line[@]}"
}

# Starts a command as the session's user in the background, its output going to DIR/$1.log,
# and remembers its process id (the command's own: env and setpriv exec what they run).
spawn_as_user() {
  local log=$1
  shift
  user_command "$@"
  (exec "${command_line[@]}" >"$dir/$log.log" 2>&1) &
  spawned=$!
  remember_pid $spawned
}

# Polls a condition (a command) every 20 ms for up to $1 seconds.
wait_for() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds))
  until "$@" 2>/dev/null; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.02
  done
}

has_keyboard() {
  as_user swaymsg -t get_inputs 2>/dev/null | grep -q '"type": "keyboard"'
}

name_on_bus() {
  as_user dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:"$1" 2>/dev/null | grep -q 'boolean true'
}

# True once process $1 has ended. Our helpers outlive the script that started them, so they end
# as zombies of whoever adopted them: that counts as ended.
ended() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -z "$state" ] || [ "$state" = Z ]
}

remember_pid() { echo "$1" >>"$dir/pids"; }

# The processes whose environment names this session's runtime folder.
session_processes() {
  local entry
  for entry in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$entry/environ" | grep -qxF "XDG_RUNTIME_DIR=$runtime" &&
      echo "${entry#/proc/}"
  done
}

stop_session() {
  [ -f "$dir/env" ] && set -a && . "$dir/env" && set +a
  if [ -S "${SWAYSOCK:-/nonexistent}" ]; then
    as_user swaymsg exit >/dev/null 2>&1
  fi
  local sway_pid
  sway_pid=$(cat "$dir/sway.pid" 2>/dev/null)
  if [ -n "$sway_pid" ]; then
    wait_for 5 ended "$sway_pid" || kill -KILL "$sway_pid" 2>/dev/null
  fi
  if [ -f "$dir/pids" ]; then
    local pid
    for pid in $(tac "$dir/pids"); do kill -TERM "$pid" 2>/dev/null; done
    for pid in $(tac "$dir/pids"); do
      wait_for 3 ended "$pid" || kill -KILL "$pid" 2>/dev/null
    done
    rm -f "$dir/pids"
  fi
  # What the session started on its own (the services the bus starts on demand, the
  # accessibility bus, swaybg, XWayland) is found by the session's runtime folder in its
  # environment.
  local leftovers=()
  for pid in $(session_processes); do kill -TERM "$pid" 2>/dev/null && leftovers+=("$pid"); done
  for pid in "${leftovers[@]}"; do
    wait_for 3 ended "$pid" || kill -KILL "$pid" 2>/dev/null
  done
  rm -rf "$runtime" 2>/dev/null
}

start_session() {
  local size=1280x720 scale=1 background=2060a0 portal=1 screencopy=1 owner=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --size) size=$2; shift ;;
      --scale) scale=$2; shift ;;
      --background) background=$2; shift ;;
      --owner) owner=$2; shift ;;
      --no-portal) portal=0 ;;
      --no-screencopy) screencopy=0 ;;
      *) die "unknown option $1" ;;
    esac
    shift
  done
  mkdir -p "$dir/home" "$runtime"
  chmod 0755 "$dir"
  chown "$user_id:$group_id" "$dir/home" "$runtime"
  chmod 0700 "$runtime"
  : >"$dir/pids"
  # XWayland makes its socket here; the folder must exist, world-writable and sticky, first.
  mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix

  cat >"$dir/sway.conf" <<EOF
xwayland force
output HEADLESS-1 resolution $size scale $scale bg #$background solid_color
default_border none
for_window [app_id="^velmora-float$"] floating enable, move position 100 100
exec sh -c 'echo \$DISPLAY > \$XDG_RUNTIME_DIR/display.tmp && mv \$XDG_RUNTIME_DIR/display.tmp \$XDG_RUNTIME_DIR/display'
EOF
  chmod 0644 "$dir/sway.conf"

  spawn_as_user sway env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway --config "$dir/sway.conf"
  echo "$spawned" >"$dir/sway.pid"
  wait_for 10 test -s "$runtime/display" || die "sway or XWayland did not start (see $dir/sway.log)"
  DISPLAY=$(cat "$runtime/display")
  WAYLAND_DISPLAY=$(ls "$runtime" | grep -E '^wayland-[0-9]+$' | head -1)
  [ -n "$WAYLAND_DISPLAY" ] || die "sway made no Wayland socket"
  SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1)
  wait_for 10 as_user xhost +si:localuser:root >/dev/null || die "XWayland did not answer"

  # A keyboard for the whole session, as a desktop has: the headless backend has none, and a
  # keyboard that only comes with each wtype call may type its keys before a busy client has
  # taken the seat's new keyboard, which then never sees them. This virtual one only waits.
  spawn_as_user keyboard wtype -s 2000000000 -k Shift_L
  wait_for 10 has_keyboard || die "the session's keyboard did not appear"

  # The session bus, which root may join too. Started after sway, so that the services it
  # starts on demand (the GTK portal) find the displays in their environment.
  # Without the portal the bus starts no services on demand either: a portal the bus started by
  # itself would stand in for the missing one.
  local services="<standard_session_servicedirs/>"
  [ "$portal" = 1 ] || services=""
  cat >"$dir/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:path=$runtime/bus</listen>
  <auth>EXTERNAL</auth>
  $services
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
    <allow user="root"/>
    <allow user="$user_id"/>
  </policy>
</busconfig>
EOF
  chmod 0644 "$dir/bus.conf"
  spawn_as_user dbus dbus-daemon --config-file="$dir/bus.conf" --nofork --nopidfile
  DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
  wait_for 5 name_on_bus org.freedesktop.DBus || die "the session bus did not start"

  spawn_as_user pipewire pipewire
  wait_for 10 test -S "$runtime/pipewire-0" || die "PipeWire did not start"

  if [ "$portal" = 1 ]; then
    spawn_as_user portal-wlr /usr/libexec/xdg-desktop-portal-wlr
    wait_for 10 name_on_bus org.freedesktop.impl.portal.desktop.wlr ||
      die "xdg-desktop-portal-wlr did not start"
    spawn_as_user portal-gtk /usr/libexec/xdg-desktop-portal-gtk
    wait_for 10 name_on_bus org.freedesktop.impl.portal.desktop.gtk ||
      die "xdg-desktop-portal-gtk did not start"
    spawn_as_user portal /usr/libexec/xdg-desktop-portal
    wait_for 10 name_on_bus org.freedesktop.portal.Desktop || die "xdg-desktop-portal did not start"
  fi

  local client_display=$runtime/$WAYLAND_DISPLAY
  if [ "$screencopy" = 0 ]; then
    local filter=${WAYLAND_FILTER:-$here/velmora_wayland_filter}
    [ -x "$filter" ] || die "no $filter for --no-screencopy"
    spawn_as_user filter "$filter" "$runtime/$WAYLAND_DISPLAY" "$runtime/wayland-filtered" \
      zwlr_screencopy_manager_v1
    wait_for 5 test -S "$runtime/wayland-filtered" || die "the Wayland filter did not start"
    client_display=$runtime/wayland-filtered
  fi

  if [ -n "$owner" ]; then
    # The watch ends by itself once the session's folder is gone (a stop that ran).
    (while kill -0 "$owner" 2>/dev/null && [ -d "$runtime" ]; do sleep 1; done
      [ -d "$runtime" ] && "$0" stop "$dir" && rm -rf "$dir") </dev/null >/dev/null 2>&1 &
  fi

  cat >"$dir/env" <<EOF
WAYLAND_DISPLAY=$client_display
COMPOSITOR_DISPLAY=$runtime/$WAYLAND_DISPLAY
DISPLAY=$DISPLAY
DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
XDG_RUNTIME_DIR=$runtime
SWAYSOCK=$SWAYSOCK
SESSION_UID=$user_id
EOF
  cat "$dir/env"
}

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }
dir=$(realpath -m "$dir")
runtime=$dir/run
shift 2
case "$command" in
  start) mkdir -p "$dir" || exit 1; start_session "$@" ;;
  stop) stop_session ;;
  run)
    set -a && . "$dir/env" && set +a
    as_user "$@" ;;
  *) die "unknown command $command" ;;
esac
