# shellcheck shell=bash disable=SC2034
# Shared by the Wine scenarios and the demo: a throwaway Wine prefix whose
# desktops are real folders, runs of the toggle in it, and reads of what the
# runs left behind, taken from the Linux side.
#
# The caller sets, before sourcing:
#   WINE_WORK       folder for HOME, the locales and the base prefix (in the
#                   build tree)
#   VANTRIC_EXE     the 64-bit toggle executable
#   STANDIN_EXE     the 64-bit progman_standin.exe
#
# Wine keeps the hidden and system bits in the extended attribute
# user.DOSATTRIB (text such as "0x2") and the read-only bit in the Unix mode.
# Names that start with a dot are reported hidden by Wine: fixtures use none.

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
RUN_TIMEOUT=${RUN_TIMEOUT:-30}
LOCALES=(en_US es_ES fr_FR de_DE)

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$WINE_WORK/home"
export LOCPATH="$WINE_WORK/locale"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
unset LC_ALL LC_MESSAGES LC_CTYPE LANGUAGE WINEARCH WINELOADER
export LANG=en_US.UTF-8

# ---------------------------------------------------------------- reporting

CHECKS_PASSED=0
CHECKS_FAILED=0

note() { printf '  %s\n' "$*"; }
die() {
    printf 'ERROR: %s\n' "$*" >&2
    exit 2
}

pass() {
    CHECKS_PASSED=$((CHECKS_PASSED + 1))
    printf 'ok    %s\n' "$1"
}

fail() {
    CHECKS_FAILED=$((CHECKS_FAILED + 1))
    printf 'FAIL  %s\n' "$1"
    shift
    local line
    for line in "$@"; do printf '        %s\n' "$line"; done
}

# expect_eq WHAT EXPECTED ACTUAL
expect_eq() {
    if [ "$2" = "$3" ]; then
        pass "$1"
    else
        fail "$1" "expected: $2" "actual:   $3"
    fi
}

finish() {
    printf '%d passed, %d failed\n' "$CHECKS_PASSED" "$CHECKS_FAILED"
    [ "$CHECKS_FAILED" -eq 0 ] && [ "$CHECKS_PASSED" -gt 0 ]
}

# ----------------------------------------------------------------- cleanup

LOCKED=()
XVFB_PID=""
STANDIN_PID=""

cleanup() {
    local entry
    for entry in "${LOCKED[@]}"; do
        chattr -i "$entry" 2>/dev/null || true
    done
    LOCKED=()
    if [ -n "$STANDIN_PID" ]; then
        kill "$STANDIN_PID" 2>/dev/null || true
        STANDIN_PID=""
    fi
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        "$WINESERVER" -k 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# lock PATH: makes every change of PATH's attributes fail, even for root.
lock() {
    chattr +i "$1" || die "chattr +i failed on $1"
    LOCKED+=("$1")
}

unlock() {
    chattr -i "$1"
    local kept=() entry
    for entry in "${LOCKED[@]}"; do
        [ "$entry" = "$1" ] || kept+=("$entry")
    done
    LOCKED=("${kept[@]}")
}

# ---------------------------------------------------------- the environment

require_tools() {
    local tool
    for tool in "$WINE64" "$WINESERVER" Xvfb getfattr setfattr chattr localedef timeout; do
        command -v "$tool" >/dev/null || die "missing $tool (tools/install-deps.sh test installs it)"
    done
    [ -f "$VANTRIC_EXE" ] || die "missing $VANTRIC_EXE: build the win64 preset first"
    [ -f "$STANDIN_EXE" ] || die "missing $STANDIN_EXE: build the win64 preset first"
}

# The locales Wine takes the UI language and the file name charset from,
# compiled into the build tree so the system's list is left alone.
make_locales() {
    mkdir -p "$LOCPATH"
    local name
    for name in "${LOCALES[@]}"; do
        [ -d "$LOCPATH/$name.UTF-8" ] && continue
        localedef -i "$name" -f UTF-8 "$LOCPATH/$name.UTF-8" 2>/dev/null || true
        [ -d "$LOCPATH/$name.UTF-8" ] || die "localedef could not build $name.UTF-8"
    done
}

# Whether chattr +i works on files in FOLDER (ext4 and most disk file systems
# allow it; tmpfs did not before Linux 6.0).
supports_immutable() {
    local probe="$1/.immutable-probe"
    rm -f "$probe" && : >"$probe" || return 1
    if chattr +i "$probe" 2>/dev/null; then
        chattr -i "$probe"
        rm -f "$probe"
        return 0
    fi
    rm -f "$probe"
    return 1
}

# An X server of its own on a free display number.
start_x() {
    local displayFile="$1/display"
    rm -f "$displayFile"
    Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$displayFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -s "$displayFile" ] && break
        sleep 0.1
    done
    [ -s "$displayFile" ] || die "Xvfb did not start"
    DISPLAY=":$(tr -d '\n' <"$displayFile")"
    export DISPLAY
}

# ------------------------------------------------------------------ prefixes

user_dir() { # the prefix's folder of the Wine user
    local dir
    for dir in "$1"/drive_c/users/*; do
        [ "$(basename "$dir")" = Public ] && continue
        [ -d "$dir" ] && printf '%s\n' "$dir" && return
    done
    return 1
}

# make_base_prefix DIR: a freshly booted prefix whose desktops are real
# folders. wineboot takes seconds, so the tests boot one and every scenario
# copies it.
make_base_prefix() {
    local base="$1"
    mkdir -p "$(dirname "$base")" "$HOME"
    if [ -e "$base" ]; then
        # Only desktop entries are ever locked.
        chattr -R -i "$base/drive_c/users" 2>/dev/null || true
        rm -rf "$base"
    fi
    start_x "$(dirname "$base")"
    WINEPREFIX="$base" timeout 180 "$WINE64" wineboot -i >/dev/null 2>&1 || die "wineboot failed for $base"
    WINEPREFIX="$base" timeout 60 "$WINESERVER" -w
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    local user
    user=$(user_dir "$base") || die "no user folder in $base/drive_c/users"
    # wineboot links the user's desktop to $HOME: make it a real folder.
    if [ -L "$user/Desktop" ]; then
        rm "$user/Desktop"
    fi
    mkdir -p "$user/Desktop"
    if [ ! -d "$base/drive_c/users/Public/Desktop" ] || [ -L "$base/drive_c/users/Public/Desktop" ]; then
        die "the all-users desktop of $base is not a real folder"
    fi
}

# new_prefix BASE DIR: a copy of the base prefix. The DLL folders, which no
# run writes to, are hard links; everything else is copied.
new_prefix() {
    local base="$1" dir="$2"
    if [ -e "$dir" ]; then
        chattr -R -i "$dir/drive_c/users" 2>/dev/null || true
        rm -rf "$dir"
    fi
    mkdir -p "$dir/drive_c/windows"
    local entry
    for entry in "$base"/* "$base"/.update-timestamp; do
        [ "$(basename "$entry")" = drive_c ] && continue
        cp -a "$entry" "$dir/"
    done
    for entry in "$base"/drive_c/*; do
        [ "$(basename "$entry")" = windows ] && continue
        cp -a "$entry" "$dir/drive_c/"
    done
    for entry in "$base"/drive_c/windows/*; do
        case "$(basename "$entry")" in
        system32 | syswow64 | winsxs) cp -al "$entry" "$dir/drive_c/windows/" ;;
        *) cp -a "$entry" "$dir/drive_c/windows/" ;;
        esac
    done
    use_prefix "$dir"
}

# use_prefix DIR: the prefix the next runs use, and its desktop folders.
use_prefix() {
    local dir="$1"
    export WINEPREFIX="$dir"
    USER_DESKTOP="$(user_dir "$dir")/Desktop"
    PUBLIC_DESKTOP="$dir/drive_c/users/Public/Desktop"
    WIN_USER_DESKTOP="C:\\users\\$(basename "$(user_dir "$dir")")\\Desktop"
    TOOLS="$dir/drive_c/Tools"
    mkdir -p "$TOOLS"
}

# Both desktops must be real folders inside the prefix before any run: the
# toggle must never reach a real home folder.
check_sandbox() {
    local desktop
    for desktop in "$USER_DESKTOP" "$PUBLIC_DESKTOP"; do
        if [ -L "$desktop" ]; then
            die "$desktop is a link: refusing to run"
        fi
        case "$(realpath -m "$desktop")" in
        "$(realpath -m "$WINEPREFIX")"/*) ;;
        *) die "$desktop lies outside the prefix: refusing to run" ;;
        esac
    done
}

# Removes everything from both desktops.
clear_desktops() {
    local desktop
    for desktop in "$USER_DESKTOP" "$PUBLIC_DESKTOP"; do
        [ -d "$desktop" ] || continue
        find "$desktop" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
    done
}

# ------------------------------------------------------------------- runs

# run_toggle WINDOWS_PATH: runs the executable under Wine as the user would,
# by its Windows path (GetModuleFileNameW reports the path it was started
# by). Sets RUN_RC; 124 means the run was cut off by the timeout.
run_toggle() {
    check_sandbox
    (cd "$WINEPREFIX" && timeout "$RUN_TIMEOUT" "$WINE64" "$1" >/dev/null 2>&1)
    RUN_RC=$?
    if [ "$RUN_RC" -eq 124 ]; then
        "$WINESERVER" -k 2>/dev/null || true
    fi
    check_sandbox
}

# start_standin LOG [--no-window] [--hold]: the stand-in desktop window,
# started and ready before the toggle runs.
start_standin() {
    local log="$1"
    shift
    cp "$STANDIN_EXE" "$WINEPREFIX/drive_c/progman_standin.exe"
    rm -f "$WINEPREFIX/drive_c/standin.stop" "$log"
    STANDIN_LOG="$log"
    (cd "$WINEPREFIX" && exec timeout 90 "$WINE64" 'C:\progman_standin.exe' "$(windows_path "$log")" \
        'C:\standin.stop' "$@" >/dev/null 2>&1) &
    STANDIN_PID=$!
    local i
    for i in $(seq 200); do
        grep -q '^ready' "$log" 2>/dev/null && return 0
        kill -0 "$STANDIN_PID" 2>/dev/null || break
        sleep 0.1
    done
    die "the stand-in window did not come up (log: $(cat "$log" 2>/dev/null))"
}

# Asks the stand-in to end once it has handled every message already queued
# for it, and waits for it.
stop_standin() {
    : >"$WINEPREFIX/drive_c/standin.stop"
    local i
    for i in $(seq 150); do
        kill -0 "$STANDIN_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$STANDIN_PID" 2>/dev/null; then
        kill "$STANDIN_PID" 2>/dev/null
        fail "the stand-in ended by itself" "it was still running 15 s after the stop request"
    fi
    wait "$STANDIN_PID" 2>/dev/null
    STANDIN_PID=""
}

# windows_path UNIX_PATH: the path inside drive_c as C:\..., others as Z:\...
windows_path() {
    local path
    path=$(realpath -m "$1")
    local drive
    drive=$(realpath -m "$WINEPREFIX/drive_c")
    case "$path" in
    "$drive"/*) path="C:${path#"$drive"}" ;;
    *) path="Z:$path" ;;
    esac
    printf '%s\n' "${path//\//\\}"
}

# standin_events [PATTERN]: the stand-in's log lines (matching PATTERN),
# joined with " | ".
standin_events() {
    local pattern="${1:-.}"
    grep -E "$pattern" "$STANDIN_LOG" 2>/dev/null | paste -sd'|' | sed 's/|/ | /g'
}

# ------------------------------------------------------ reading the results

# dos_attr PATH: Wine's stored DOS attribute bits (hidden 0x2, system 0x4)
# as a decimal number; 0 when the attribute is absent.
dos_attr() {
    local value
    value=$(getfattr --only-values --absolute-names -n user.DOSATTRIB "$1" 2>/dev/null | tr -d '\0') || true
    if [ -z "$value" ]; then
        echo 0
    else
        printf '%d\n' "$value"
    fi
}

# set_dos_attr PATH BITS: stores DOS attribute bits the way Wine does.
set_dos_attr() {
    setfattr -n user.DOSATTRIB -v "\"$(printf '0x%x' "$2")\"" "$1"
}

is_hidden() { echo $(($(dos_attr "$1") & 2 ? 1 : 0)); }

# hidden_states DIR NAME...: "name=0|1" for each entry, space separated.
hidden_states() {
    local dir="$1" name out=()
    shift
    for name in "$@"; do
        if [ -e "$dir/$name" ]; then
            out+=("$name=$(is_hidden "$dir/$name")")
        else
            out+=("$name=missing")
        fi
    done
    local IFS=';'
    printf '%s\n' "${out[*]}"
}

# snapshot DIR [MASK]: one line an entry (sorted): name, type, Unix mode,
# DOS bits (all but hidden unless MASK says otherwise) and a hash of the
# contents. Skips toggle files.
snapshot() {
    local dir="$1" mask="${2:-$((~2))}" path name kind sum
    [ -d "$dir" ] || return 0
    while IFS= read -r -d '' path; do
        name=${path##*/}
        case "$name" in
        "Hide icons.exe" | "Show icons.exe" | "Ocultar iconos.exe" | "Mostrar iconos.exe" | \
            "Cacher Icônes.exe" | "Afficher Icônes.exe") continue ;;
        esac
        if [ -d "$path" ]; then
            kind='dir'
            sum=$(cd "$path" && find . -printf '%p %m %s\n' | sort | sha256sum | cut -c1-16)
        else
            kind='file'
            sum=$(sha256sum <"$path" | cut -c1-16)
        fi
        printf '%s|%s|%s|dos=%d|%s\n' "$name" "$kind" "$(stat -c %a "$path")" \
            $(($(dos_attr "$path") & mask)) "$sum"
    done < <(find "$dir" -mindepth 1 -maxdepth 1 -print0) | LC_ALL=C sort
}

# toggle_files DIR: the toggle-named entries (any language) with their
# hidden state, e.g. "Show icons.exe=0".
toggle_files() {
    local name out=()
    for name in "Hide icons.exe" "Show icons.exe" "Ocultar iconos.exe" "Mostrar iconos.exe" \
        "Cacher Icônes.exe" "Afficher Icônes.exe"; do
        [ -e "$1/$name" ] && out+=("$name=$(is_hidden "$1/$name")")
    done
    local IFS=';'
    printf '%s\n' "${out[*]}"
}
