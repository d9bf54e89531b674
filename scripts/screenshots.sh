#!/usr/bin/env bash
# Takes the screenshots in docs/: the main window after the demo script (less
# its deliberate mistake, whose message box would cover the window) and the
# About window. Needs xvfb, xdotool and ImageMagick; run after a build.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp build/TELVARN build/libtelvarn-window.so "$work/"
build/telvarn-createdb "$work/ZulData.mdb" "$work/ZulSupt.mdb"
grep -v -e NoSuchTable -e 'mistake' demo/TELVARN.ini > "$work/TELVARN.ini"
export XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
xvfb-run -a -s "-screen 0 1024x640x24" bash -c "
  cd '$work' && ./TELVARN &
  sleep 3
  import -window root '$work/main.png'
  win=\$(xdotool search --name 'Orvel Database Maintenance System' | head -1)
  xdotool windowfocus --sync \$win key alt+h; sleep 0.5; xdotool key Return; sleep 1.5
  import -window root '$work/about.png'
  kill %1
"
convert "$work/main.png" -crop 340x310+244+150 +repage docs/main-window.png
convert "$work/about.png" -crop 500x330+130+50 +repage docs/about-window.png
echo "docs/main-window.png docs/about-window.png"
