#!/usr/bin/env bash
# make demo: the 64-bit toggle under Wine on a sandbox desktop in
# build/demo/. Hides, then shows, printing the desktops after each run; one
# entry is locked (chattr +i), so hiding it is refused and the warning box
# appears. A screenshot of the box goes to build/demo/warning.png and
# docs/demo-warning.png.
set -uo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
DEMO="$ROOT/build/demo"
WINE_WORK="$DEMO"
VANTRIC_EXE="$ROOT/build/win64/Vantric.exe"
STANDIN_EXE="$ROOT/build/win64/progman_standin.exe"
# shellcheck source=tests/wine/lib.sh
source "$ROOT/tests/wine/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

require_tools
command -v import >/dev/null || die "missing import (ImageMagick; tools/install-deps.sh test installs it)"
make_locales
mkdir -p "$DEMO"
supports_immutable "$DEMO" || die "chattr +i does not work in $DEMO: the locked entry needs it"

echo "Booting a throwaway Wine prefix in $DEMO/prefix ..."
make_base_prefix "$DEMO/prefix"
use_prefix "$DEMO/prefix"
check_sandbox
start_x "$DEMO"
# Without a window manager on the X display, Wine draws the window frames
# itself only for windows it does not hand to a manager: the box then shows
# its caption in the screenshot.
"$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 ||
    die "could not switch off managed windows"
# Debian's Wine does not find its own TrueType fonts (Tahoma, Marlett for the
# frame buttons) unless they are in the prefix.
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

u="$USER_DESKTOP"
p="$PUBLIC_DESKTOP"
printf 'milk, eggs\n' >"$u/Notes.txt"
printf 'numbers\n' >"$u/Budget 2025.xlsx"
mkdir "$u/Holiday photos"
printf 'shortcut\n' >"$u/Text editor.lnk"
printf 'menu\n' >"$u/Café crème.txt"
printf 'icône\n' >"$u/Icône ô.txt"
printf 'memo\n' >"$u/漢字メモ.txt"
printf 'party\n' >"$u/😀 Party.txt"
printf 'cv\n' >"$u/Résumé.pdf"
printf 'do not touch\n' >"$u/Locked report.txt"
printf 'manual\n' >"$p/Shared manual.pdf"
mkdir "$p/Team folder"
lock "$u/Locked report.txt"
cp "$VANTRIC_EXE" "$TOOLS/Vantric.exe"

listing() {
    local title="$1" desktop name mark
    echo
    echo "== $title"
    for desktop in "$u" "$p"; do
        if [ "$desktop" = "$u" ]; then echo "   user desktop ($WIN_USER_DESKTOP):"; else echo "   all-users desktop (C:\\users\\Public\\Desktop):"; fi
        while IFS= read -r name; do
            mark=""
            lsattr -d "$desktop/$name" 2>/dev/null | cut -d' ' -f1 | grep -q i && mark="  [locked]"
            case "$name" in *icons.exe | *Icônes.exe) mark="  <- toggle file" ;; esac
            if [ "$(is_hidden "$desktop/$name")" = 1 ]; then
                printf '     hidden   %s%s\n' "$name" "$mark"
            else
                printf '     visible  %s%s\n' "$name" "$mark"
            fi
        done < <(ls -1 "$desktop")
    done
}

listing "Before: the sandbox desktops"

# Hide, from C:\Tools. The stand-in desktop window holds the warning box open
# until the screenshot is taken.
start_standin "$DEMO/standin-hide.log" --hold
(run_toggle 'C:\Tools\Vantric.exe'; echo "$RUN_RC" >"$DEMO/hide.rc") &
toggle=$!
for _ in $(seq 200); do
    grep -q '^box rect=' "$STANDIN_LOG" 2>/dev/null && break
    kill -0 "$toggle" 2>/dev/null || break
    sleep 0.1
done
rect=$(sed -n 's/^box rect=//p' "$STANDIN_LOG")
shot=""
if [ -n "$rect" ]; then
    IFS=, read -r left top width height <<<"$rect"
    margin=24
    sleep 0.5 # let the box finish painting
    import -display "$DISPLAY" -window root \
        -strip -define png:exclude-chunks=date,time -crop "$((width + 2 * margin))x$((height + 2 * margin))+$((left - margin))+$((top - margin))" +repage \
        "$DEMO/warning.png" && shot="$DEMO/warning.png"
fi
stop_standin
wait "$toggle"
listing "After hiding: exit code $(cat "$DEMO/hide.rc"), toggle file: $(toggle_files "$u" | sed 's/=.*//')"
echo "   warning box: $(sed -n 's/^box text=//p' "$STANDIN_LOG" | sed 's/\\r\\n/ /g')"

start_standin "$DEMO/standin-show.log"
run_toggle "$WIN_USER_DESKTOP\\Show icons.exe"
stop_standin
listing "After showing: exit code $RUN_RC, toggle file: $(toggle_files "$u" | sed 's/=.*//')"

unlock "$u/Locked report.txt"
echo
if [ -n "$shot" ]; then
    mkdir -p "$ROOT/docs"
    cp "$shot" "$ROOT/docs/demo-warning.png"
    echo "Screenshot of the warning box: $shot (copied to docs/demo-warning.png)"
else
    die "the warning box never appeared: no screenshot"
fi
