#!/usr/bin/env bash
# Creates a throwaway Wine prefix for the benchmark whose desktop folders are
# real folders inside it. Wine links the user's Desktop (and Documents, ...)
# to $HOME; here HOME points into the work folder too, and the links are
# replaced by empty folders so that nothing outside the work folder is ever
# touched.
#
#   bench/make-prefix.sh WORK_DIR     creates WORK_DIR/prefix and WORK_DIR/home
#
# Prints the Unix path of the user's desktop folder.
set -euo pipefail

work=$(realpath -m "$1")
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-$(dirname "$wine")/wineserver}

mkdir -p "$HOME"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
fi

user_dir=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1)
[ -n "$user_dir" ] || { echo "$0: no user folder in $WINEPREFIX" >&2; exit 1; }
for folder in "$user_dir"/* "$WINEPREFIX/drive_c/users/Public"/*; do
  if [ -L "$folder" ]; then
    rm "$folder"
    mkdir "$folder"
  fi
done
for desktop in "$user_dir/Desktop" "$WINEPREFIX/drive_c/users/Public/Desktop"; do
  case "$(realpath "$desktop")" in
    "$work"/*) ;;
    *) echo "$0: $desktop leads outside $work" >&2; exit 1 ;;
  esac
done
echo "$user_dir/Desktop"
