#!/usr/bin/env bash
# The scenario_* functions are called by name at the end.
# shellcheck disable=SC2317
# The toggle under Wine, one scenario per call:
#
#   tests/wine/scenarios.sh prefix | cycle | skip_names | languages | refused | unresolved | unlock
#
# Each scenario copies the base prefix (made once by "prefix"), fills the
# desktops from the Linux side, runs the 64-bit executable and reads the
# result back from the file system and from the stand-in desktop window.
# Environment: WINE_WORK (work folder in the build tree), VANTRIC_EXE,
# STANDIN_EXE.
set -uo pipefail

: "${WINE_WORK:?}" "${VANTRIC_EXE:?}" "${STANDIN_EXE:?}"
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
trap cleanup EXIT
trap 'exit 130' INT TERM

KEYS_F5="key down vk=0x74 | key up vk=0x74"
ADMIN_HINT='\r\n\r\nTry running Vantric as administrator next time.'

# Prefixes live where chattr +i works; the setup step records the folder.
prefix_root() {
    cat "$WINE_WORK/prefix-root" 2>/dev/null || die "run the prefix step first"
}

scenario_prefix() {
    require_tools
    make_locales
    mkdir -p "$WINE_WORK"
    local root="$WINE_WORK"
    if ! supports_immutable "$root"; then
        # chattr +i is how the tests make a change fail; fall back to a disk
        # folder that supports it.
        root=/var/tmp/vantric-wine-$(id -u)
        mkdir -p "$root"
        supports_immutable "$root" || die "chattr +i works neither in $WINE_WORK nor in $root"
        note "chattr +i is not supported in $WINE_WORK: prefixes go to $root"
    fi
    printf '%s\n' "$root" >"$WINE_WORK/prefix-root"
    local started=$SECONDS
    make_base_prefix "$root/base-prefix"
    note "base prefix ready in $((SECONDS - started)) s: $root/base-prefix"
    local user
    user=$(user_dir "$root/base-prefix")
    expect_eq "the user's desktop is a real folder" "dir" "$(stat -c %F "$user/Desktop" | sed 's/directory/dir/')"
    expect_eq "the all-users desktop is a real folder" "dir" \
        "$(stat -c %F "$root/base-prefix/drive_c/users/Public/Desktop" | sed 's/directory/dir/')"
}

# Every scenario starts here: its own prefix, its own X display, the
# executable in C:\Tools.
begin() {
    require_tools
    local root
    root=$(prefix_root)
    RUN_DIR="$root/run/$1"
    new_prefix "$root/base-prefix" "$RUN_DIR/prefix"
    start_x "$RUN_DIR"
    cp "$VANTRIC_EXE" "$TOOLS/Vantric.exe"
    TOOLS_EXE='C:\Tools\Vantric.exe'
}

# The stand-in must be the only desktop window and hold the focus, or the
# key checks would say nothing about the toggle.
standin_up() {
    start_standin "$RUN_DIR/standin-$1.log" "${@:2}"
    [ "$(standin_events '^start')" = "start existing-progman=none" ] ||
        die "a desktop window existed before the stand-in: $(standin_events)"
    if [ "${2:-}" != --no-window ]; then
        [ "$(standin_events '^ready')" = "ready foreground=yes focus=yes" ] ||
            die "the stand-in is not the focused foreground window: $(standin_events)"
    fi
}

# run_with_standin STEP WINDOWS_PATH [stand-in options]: one toggle run with
# the stand-in desktop window beside it.
run_with_standin() {
    standin_up "$1" "${@:3}"
    run_toggle "$2"
    stop_standin
}

# -------------------------------------------------------------------------
# hide, show, hide again, show again: from another folder, then from the
# desktop under both toggle names, then from the other folder again.

populate_cycle() {
    local u="$USER_DESKTOP" p="$PUBLIC_DESKTOP"
    printf 'shopping list\n' >"$u/notes.txt"
    mkdir -p "$u/Projects/old"
    printf 'plan\n' >"$u/Projects/plan.txt"
    printf 'shortcut bytes\n' >"$u/Editor.lnk"
    printf 'café\n' >"$u/Café crème.txt"
    printf 'ô\n' >"$u/Icône ô.txt"
    printf 'kanji\n' >"$u/漢字メモ.txt"
    printf 'party\n' >"$u/😀 party.txt"
    mkdir "$u/Résumés"
    printf 'read only\n' >"$u/readonly.txt"
    chmod 444 "$u/readonly.txt"
    mkdir "$u/readonly folder"
    chmod 555 "$u/readonly folder"
    printf 'system\n' >"$u/system.dat"
    set_dos_attr "$u/system.dat" 4
    printf 'shared\n' >"$p/Shared.txt"
    mkdir "$p/Public folder"
    printf 'public\n' >"$p/Öffentlich 公共.txt"
    printf 'system, read only\n' >"$p/sys-ro.dat"
    chmod 444 "$p/sys-ro.dat"
    set_dos_attr "$p/sys-ro.dat" 4
}

USER_ENTRIES=(notes.txt Projects Editor.lnk "Café crème.txt" "Icône ô.txt" "漢字メモ.txt" "😀 party.txt" Résumés
    readonly.txt "readonly folder" system.dat)
PUBLIC_ENTRIES=(Shared.txt "Public folder" "Öffentlich 公共.txt" sys-ro.dat)

all_states() { # all_states 0|1: every fixture entry in that hidden state
    local name out=()
    for name in "${USER_ENTRIES[@]}" "${PUBLIC_ENTRIES[@]}"; do out+=("$name=$1"); done
    local IFS=';'
    printf '%s\n' "${out[*]}"
}

scenario_cycle() {
    begin cycle
    populate_cycle
    local userBefore publicBefore
    userBefore=$(snapshot "$USER_DESKTOP")
    publicBefore=$(snapshot "$PUBLIC_DESKTOP")

    # step | started as | exit code | hidden state | the toggle file after
    local steps=(
        "1 hide from C:\\Tools|$TOOLS_EXE|0|1|Show icons.exe=0"
        "2 show from the desktop|$WIN_USER_DESKTOP\\Show icons.exe|0|0|Hide icons.exe=0"
        "3 hide from the desktop|$WIN_USER_DESKTOP\\Hide icons.exe|0|1|Show icons.exe=0"
        "4 show from C:\\Tools|$TOOLS_EXE|0|0|Hide icons.exe=0"
    )
    local step what path code hidden toggle
    for step in "${steps[@]}"; do
        IFS='|' read -r what path code hidden toggle <<<"$step"
        run_with_standin "${what%% *}" "$path"
        expect_eq "$what: exit code" "$code" "$RUN_RC"
        expect_eq "$what: every entry's hidden bit" "$(all_states "$hidden")" \
            "$(hidden_states "$USER_DESKTOP" "${USER_ENTRIES[@]}");$(hidden_states "$PUBLIC_DESKTOP" "${PUBLIC_ENTRIES[@]}")"
        expect_eq "$what: one visible toggle file" "$toggle" "$(toggle_files "$USER_DESKTOP")"
        expect_eq "$what: the toggle file is the executable" same \
            "$(cmp -s "$TOOLS/Vantric.exe" "$USER_DESKTOP/${toggle%=*}" && echo same)"
        expect_eq "$what: no toggle file on the all-users desktop" "" "$(toggle_files "$PUBLIC_DESKTOP")"
        expect_eq "$what: F5 down and up reach the desktop window, no box" "$KEYS_F5" \
            "$(standin_events '^(key|box)')"
        expect_eq "$what: names, contents, modes and other DOS bits kept (user)" "$userBefore" \
            "$(snapshot "$USER_DESKTOP")"
        expect_eq "$what: names, contents, modes and other DOS bits kept (all users)" "$publicBefore" \
            "$(snapshot "$PUBLIC_DESKTOP")"
        expect_eq "$what: the copy in C:\\Tools stays" "yes" "$([ -f "$TOOLS/Vantric.exe" ] && echo yes)"
    done
    # Read-only lives in the Unix mode under Wine: the snapshot compares it,
    # and here it is spelled out for the two read-only entries.
    expect_eq "read-only file and folder keep their modes" "444 555 444" \
        "$(stat -c %a "$USER_DESKTOP/readonly.txt" "$USER_DESKTOP/readonly folder" "$PUBLIC_DESKTOP/sys-ro.dat" |
            paste -sd' ')"
    expect_eq "system bits kept after the cycle" "4 4" \
        "$(dos_attr "$USER_DESKTOP/system.dat") $(dos_attr "$PUBLIC_DESKTOP/sys-ro.dat")"
    finish
}

# -------------------------------------------------------------------------
# Skipped names in other capitals, and the executable's own bare name, on
# both desktops: their hidden bit is never written in either direction.

scenario_skip_names() {
    begin skip_names
    local u="$USER_DESKTOP" p="$PUBLIC_DESKTOP"
    # name | desktop | hidden at the start (the mix makes both directions count)
    local entries=(
        "THUMBS.DB|$u|0" "DESKTOP.INI|$u|1" "VANTRIC.EXE|$u|0" "vantric.exe|$u|1"
        "thumbs.DB|$p|1" "Desktop.Ini|$p|0" "ICONSTATE.INI|$p|1" "iconstate.ini|$p|0" "Vantric.EXE|$p|0"
    )
    local entry name dir hidden
    for entry in "${entries[@]}"; do
        IFS='|' read -r name dir hidden <<<"$entry"
        printf '%s\n' "$name" >"$dir/$name"
        [ "$hidden" = 1 ] && set_dos_attr "$dir/$name" 2
    done
    set_dos_attr "$u/DESKTOP.INI" 6
    printf 'old state\n' >"$u/iconstate.ini"
    printf 'plain\n' >"$u/plain.txt"
    printf 'plain\n' >"$p/plain public.txt"

    skipped_states() {
        local out=()
        for entry in "${entries[@]}"; do
            IFS='|' read -r name dir hidden <<<"$entry"
            out+=("$name@${dir##*/users/}=$(is_hidden "$dir/$name")")
        done
        printf '%s\n' "${out[*]}"
    }
    local expected
    expected=$(skipped_states)
    local userBefore publicBefore
    userBefore=$(snapshot "$u" | grep -v '^iconstate.ini|')
    publicBefore=$(snapshot "$p")

    run_toggle "$TOOLS_EXE"
    expect_eq "hide: exit code" 0 "$RUN_RC"
    expect_eq "hide: plain entries hidden" "plain.txt=1;plain public.txt=1" \
        "$(hidden_states "$u" plain.txt);$(hidden_states "$p" "plain public.txt")"
    expect_eq "hide: skipped names and the own name untouched" "$expected" "$(skipped_states)"
    expect_eq "hide: iconstate.ini deleted from the user's desktop (any capitals)" "gone" \
        "$([ -e "$u/iconstate.ini" ] || echo gone)"
    expect_eq "hide: ICONSTATE.INI and iconstate.ini on the all-users desktop kept" "$publicBefore" \
        "$(snapshot "$p")"
    expect_eq "hide: nothing else changed on the user's desktop" "$userBefore" "$(snapshot "$u")"

    run_toggle "$TOOLS_EXE"
    expect_eq "show: exit code" 0 "$RUN_RC"
    expect_eq "show: plain entries shown" "plain.txt=0;plain public.txt=0" \
        "$(hidden_states "$u" plain.txt);$(hidden_states "$p" "plain public.txt")"
    expect_eq "show: skipped names and the own name untouched" "$expected" "$(skipped_states)"
    expect_eq "show: DESKTOP.INI keeps hidden and system" 6 "$(dos_attr "$u/DESKTOP.INI")"

    # Only A-Z are folded: with a non-ASCII letter in its own name, a name
    # that differs in that letter's case is a different name.
    cp "$VANTRIC_EXE" "$TOOLS/Vantric-é.exe"
    printf 'x\n' >"$u/VANTRIC-é.exe"
    printf 'x\n' >"$u/vantric-É.exe"
    printf 'x\n' >"$p/Vantric-é.exe"
    run_toggle 'C:\Tools\Vantric-é.exe'
    expect_eq "own name with é: exit code" 0 "$RUN_RC"
    expect_eq "own name with é: ASCII capitals skipped, É hidden" \
        "VANTRIC-é.exe=0;vantric-É.exe=1;Vantric-é.exe=0" \
        "$(hidden_states "$u" "VANTRIC-é.exe" "vantric-É.exe");$(hidden_states "$p" "Vantric-é.exe")"
    finish
}

# -------------------------------------------------------------------------
# The toggle names follow the UI language Wine takes from LANG.

scenario_languages() {
    begin languages
    # LANG | after hiding | after showing
    local cases=(
        "es_ES.UTF-8|Mostrar iconos.exe|Ocultar iconos.exe"
        "fr_FR.UTF-8|Afficher Icônes.exe|Cacher Icônes.exe"
        "de_DE.UTF-8|Show icons.exe|Hide icons.exe"
        "en_US.UTF-8|Show icons.exe|Hide icons.exe"
    )
    local row lang showName hideName
    for row in "${cases[@]}"; do
        IFS='|' read -r lang showName hideName <<<"$row"
        clear_desktops
        printf 'a\n' >"$USER_DESKTOP/Café.txt"
        printf 'b\n' >"$PUBLIC_DESKTOP/shared.txt"
        # A fresh Wine session for each language.
        "$WINESERVER" -k 2>/dev/null
        LANG=$lang run_toggle "$TOOLS_EXE"
        expect_eq "$lang hide: exit code" 0 "$RUN_RC"
        expect_eq "$lang hide: toggle file" "$showName=0" "$(toggle_files "$USER_DESKTOP")"
        expect_eq "$lang hide: entries hidden" "Café.txt=1;shared.txt=1" \
            "$(hidden_states "$USER_DESKTOP" Café.txt);$(hidden_states "$PUBLIC_DESKTOP" shared.txt)"
        LANG=$lang run_toggle "$WIN_USER_DESKTOP\\$showName"
        expect_eq "$lang show: exit code" 0 "$RUN_RC"
        expect_eq "$lang show: toggle file" "$hideName=0" "$(toggle_files "$USER_DESKTOP")"
        expect_eq "$lang show: entries shown" "Café.txt=0;shared.txt=0" \
            "$(hidden_states "$USER_DESKTOP" Café.txt);$(hidden_states "$PUBLIC_DESKTOP" shared.txt)"
    done
    finish
}

# -------------------------------------------------------------------------
# Changes the file system refuses: the exit code counts them and the warning
# box, owned by the desktop window, says how many.

scenario_refused() {
    begin refused
    local u="$USER_DESKTOP" p="$PUBLIC_DESKTOP"

    # 1. Hiding, three entries locked on both desktops (a folder among them).
    printf 'free\n' >"$u/free.txt"
    printf 'locked\n' >"$u/locked.txt"
    mkdir "$u/Locked folder"
    printf 'free\n' >"$p/public free.txt"
    printf 'locked\n' >"$p/public locked.txt"
    lock "$u/locked.txt"
    lock "$u/Locked folder"
    lock "$p/public locked.txt"
    run_with_standin hide "$TOOLS_EXE"
    expect_eq "hide, 3 refused: exit code" 3 "$RUN_RC"
    expect_eq "hide, 3 refused: F5 first, then the box, closed with OK" \
        "$KEYS_F5 | box caption=Vantric notification owner=self | box text=3 desktop icons could not be hidden.$ADMIN_HINT | box buttons=1 | box icon=warning | box closed" \
        "$(standin_events '^(key|box (caption|text|buttons|icon|closed))')"
    expect_eq "hide, 3 refused: free entries hidden, locked ones unchanged" \
        "free.txt=1;locked.txt=0;Locked folder=0;public free.txt=1;public locked.txt=0" \
        "$(hidden_states "$u" free.txt locked.txt "Locked folder");$(hidden_states "$p" "public free.txt" "public locked.txt")"
    expect_eq "hide, 3 refused: the toggle file still placed" "Show icons.exe=0" "$(toggle_files "$u")"
    unlock "$u/locked.txt"
    unlock "$u/Locked folder"
    unlock "$p/public locked.txt"

    # 2. Showing, one hidden entry locked: the singular and "unhidden".
    printf 'stuck\n' >"$p/stuck.txt"
    set_dos_attr "$p/stuck.txt" 2
    lock "$p/stuck.txt"
    run_with_standin show "$TOOLS_EXE"
    expect_eq "show, 1 refused: exit code" 1 "$RUN_RC"
    expect_eq "show, 1 refused: the box" \
        "box caption=Vantric notification owner=self | box text=1 desktop icon could not be unhidden.$ADMIN_HINT | box buttons=1 | box icon=warning" \
        "$(standin_events '^box (caption|text|buttons|icon)')"
    expect_eq "show, 1 refused: F5 sent" "$KEYS_F5" "$(standin_events '^key ')"
    expect_eq "show, 1 refused: others shown, the locked one still hidden" \
        "free.txt=0;locked.txt=0;public free.txt=0;stuck.txt=1" \
        "$(hidden_states "$u" free.txt locked.txt);$(hidden_states "$p" "public free.txt" stuck.txt)"
    expect_eq "show, 1 refused: the toggle file" "Hide icons.exe=0" "$(toggle_files "$u")"
    unlock "$p/stuck.txt"

    # 3. No desktop window: the box has no owner, the count is the same.
    clear_desktops
    printf 'a\n' >"$u/a.txt"
    printf 'b\n' >"$u/b.txt"
    printf 'c\n' >"$p/c.txt"
    lock "$u/a.txt"
    lock "$p/c.txt"
    run_with_standin no-window "$TOOLS_EXE" --no-window
    expect_eq "no desktop window, 2 refused: exit code" 2 "$RUN_RC"
    expect_eq "no desktop window, 2 refused: the box has no owner" \
        "box caption=Vantric notification owner=none | box text=2 desktop icons could not be hidden.$ADMIN_HINT" \
        "$(standin_events '^box (caption|text)')"
    expect_eq "no desktop window, 2 refused: the free entry hidden" "a.txt=0;b.txt=1;c.txt=0" \
        "$(hidden_states "$u" a.txt b.txt);$(hidden_states "$p" c.txt)"
    unlock "$u/a.txt"
    unlock "$p/c.txt"
    finish
}

# -------------------------------------------------------------------------
# A desktop folder that cannot be resolved: exit code 1 and nothing touched.
# Wine's SHGetFolderPathW fails for a desktop folder that does not exist.

scenario_unresolved() {
    begin unresolved
    # missing desktop | the desktop that stays
    local cases=("all-users|user" "user|all-users")
    local row missing present presentDir missingDir
    for row in "${cases[@]}"; do
        IFS='|' read -r missing present <<<"$row"
        clear_desktops
        mkdir -p "$USER_DESKTOP" "$PUBLIC_DESKTOP"
        if [ "$present" = user ]; then
            presentDir=$USER_DESKTOP missingDir=$PUBLIC_DESKTOP
        else
            presentDir=$PUBLIC_DESKTOP missingDir=$USER_DESKTOP
        fi
        printf 'a\n' >"$presentDir/visible.txt"
        printf 'b\n' >"$presentDir/hidden.txt"
        set_dos_attr "$presentDir/hidden.txt" 2
        printf 'legacy\n' >"$presentDir/IconState.ini"
        printf 'old toggle\n' >"$presentDir/Show icons.exe"
        rmdir "$missingDir"
        local before
        before=$(snapshot "$presentDir" -1)
        run_with_standin "no-$missing" "$TOOLS_EXE"
        expect_eq "no $missing desktop: exit code" 1 "$RUN_RC"
        expect_eq "no $missing desktop: the $present desktop untouched" "$before" "$(snapshot "$presentDir" -1)"
        expect_eq "no $missing desktop: toggle files untouched" "Show icons.exe=0" "$(toggle_files "$presentDir")"
        expect_eq "no $missing desktop: the missing folder not created" "absent" \
            "$([ -e "$missingDir" ] || echo absent)"
        expect_eq "no $missing desktop: no F5, no box" "" "$(standin_events '^(key|box)')"
    done
    mkdir -p "$USER_DESKTOP" "$PUBLIC_DESKTOP"
    finish
}

# -------------------------------------------------------------------------
# After all scenarios, even failed or timed-out ones: no entry stays locked,
# or the build tree could not be deleted.

scenario_unlock() {
    local root
    root=$(prefix_root)
    [ -d "$root/run" ] || return 0
    find "$root/run" -path '*/drive_c/users/*' ! -type l -exec chattr -i {} + 2>/dev/null
    expect_eq "no locked entry left in $root/run" "" \
        "$(find "$root/run" -path '*/drive_c/users/*' ! -type l -exec lsattr -d {} + 2>/dev/null | awk '$1 ~ /i/')"
    finish
}

case "${1:-}" in
prefix | cycle | skip_names | languages | refused | unresolved | unlock)
    started=$SECONDS
    "scenario_$1"
    status=$?
    note "$1: $((SECONDS - started)) s"
    exit $status
    ;;
*)
    echo "usage: $0 prefix|cycle|skip_names|languages|refused|unresolved|unlock" >&2
    exit 2
    ;;
esac
