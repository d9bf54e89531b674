#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root (as an installer
# would lay it out) and runs the demo with the installed program: the
# databases and script in a folder of their own, named in the settings, and
# the log, since the program's folder is not the user's, wherever it lands.
set -euo pipefail
cd "$(dirname "$0")/.."
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/telvarn_*.deb | head -1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$package" "$root"
for file in usr/bin/TELVARN usr/bin/telvarn-createdb usr/share/man/man1/TELVARN.1 \
            usr/share/applications/telvarn.desktop usr/share/icons/hicolor/scalable/apps/telvarn.svg; do
  [ -e "$root/$file" ] || { echo "package-check: $file is missing from $package" >&2; exit 1; }
done

site="$root/site"
mkdir -p "$site" "$root/config/VB and VBA Program Settings"
"$root/usr/bin/telvarn-createdb" "$site/ZulData.mdb" "$site/ZulSupt.mdb"
cp "$root/usr/share/doc/telvarn/examples/TELVARN.ini" "$site/"
printf '[Connections]\nZulData=%s\nZulSupport=%s\n' "$site/ZulData.mdb" "$site/ZulSupt.mdb" \
  > "$root/config/VB and VBA Program Settings/VARNOK.conf"
printf '[Connections]\nTELVARN=%s\n' "$site/TELVARN.ini" \
  > "$root/config/VB and VBA Program Settings/TELVARN.conf"

status=0
XDG_CONFIG_HOME="$root/config" XDG_STATE_HOME="$root/state" \
  "$root/usr/bin/TELVARN" --batch > "$root/out.txt" 2> "$root/err.txt" || status=$?
# The demo ends with a deliberate mistake: one message box, exit status 1.
if [ "$status" -ne 1 ] || [ "$(tail -1 "$root/out.txt")" != "Finished Press OK to Continue" ]; then
  echo "package-check: the installed program's demo run failed (exit $status)" >&2
  cat "$root/out.txt" "$root/err.txt" >&2
  exit 1
fi
"$root/usr/bin/TELVARN" --check "$site/ZulData.mdb"
echo "package-check: $package installs and runs the demo ($(wc -l < "$root/out.txt") list lines)"
