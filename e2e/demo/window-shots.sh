# shellcheck shell=bash
# Pictures of RemoveKM's windows for the demo, each cropped to its window. Source
# it after e2e/lib.sh.
#
# Each window is taken on its own (xwd -id) rather than from the whole screen:
# a screenshot of the root window shows Wine's unmanaged popup windows black
# even when they are painted.

# Prints the X ids of RemoveKM's windows on screen, the topmost last (the X
# server lists the children of the root window bottom to top).
demo_program_windows() {
  xdotool search --onlyvisible --maxdepth 1 --class '^removekm\.exe$' 2>/dev/null || true
}

# demo_shoot_window ID FILE: a PNG of the window, written whole or not at all
# (the window may close while it is being taken).
demo_shoot_window() {
  if xwd -id "$1" -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$2.part" 2>/dev/null; then
    mv -f -- "$2.part" "$2"
  else
    rm -f -- "$2.part"
  fi
}

# demo_window_painted PPM: true when the inside of the window's picture (its
# frame cut off) is more than one flat colour: something has been drawn there.
demo_window_painted() {
  local colours
  colours=$(pamcut -cropleft 4 -cropright 4 -croptop 4 -cropbottom 4 "$1" 2>/dev/null |
    ppmhist -noheader 2>/dev/null | wc -l)
  [ "$colours" -gt 1 ]
}

# demo_shoot_painted_window ID FILE: as demo_shoot_window, but only once the
# window shows something: Wine maps a window before it paints it. Tries for up
# to five seconds; a window that closes or stays blank that long is not taken.
demo_shoot_painted_window() {
  local tries=0
  while [ $((tries += 1)) -le 50 ]; do
    if xwd -id "$1" -silent 2>/dev/null | xwdtopnm >"$2.ppm" 2>/dev/null &&
      demo_window_painted "$2.ppm" && pnmtopng <"$2.ppm" >"$2.part" 2>/dev/null; then
      mv -f -- "$2.part" "$2"
      rm -f -- "$2.ppm"
      return 0
    fi
    sleep 0.1
  done
  rm -f -- "$2.ppm" "$2.part"
  return 1
}

# demo_start_window_shots DIR AFTER NAME: answers the UI driver's snap requests
# (DIR/SNAP.request) with a picture of the topmost window, DIR/SNAP.png. Once
# the snap AFTER is taken, the next window that opens is taken as DIR/NAME.png
# as soon as it is seen: a window that is on screen only while the program is
# busy, which the driver cannot wait for. Sets DEMO_SHOTS_PID.
demo_start_window_shots() {
  local dir=$1 after=$2 name=$3
  (
    known='' watching=false
    while true; do
      for request in "$dir"/*.request; do
        picture=${request%.request}.png
        if [ ! -e "$request" ] || [ -e "$picture" ]; then continue; fi
        demo_shoot_window "$(demo_program_windows | tail -n 1)" "$picture"
        if [ "$request" = "$dir/$after.request" ]; then
          known=$(demo_program_windows)
          watching=true
        fi
      done
      if $watching; then
        for window in $(demo_program_windows); do
          if ! grep -qx -- "$window" <<<"$known"; then
            demo_shoot_painted_window "$window" "$dir/$name.png" || true
            watching=false
            break
          fi
        done
      fi
      sleep 0.05
    done
  ) &
  DEMO_SHOTS_PID=$!
}

demo_stop_window_shots() {
  if [ -n "${DEMO_SHOTS_PID:-}" ]; then
    kill "$DEMO_SHOTS_PID" 2>/dev/null || true
    wait "$DEMO_SHOTS_PID" 2>/dev/null || true
    DEMO_SHOTS_PID=
  fi
}
