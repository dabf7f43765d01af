#!/usr/bin/env bash
# The Debian package as a user installs it: CPack builds it from the build folder into a
# temporary folder, it is unpacked into a temporary root, its metadata, contents, desktop
# entry and manual pages are checked, and its programs are started from the unpacked
# commands: brix-cli --help, and brix on the offscreen platform against the packaged
# zelk-sim until brix has talked to it.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

work=$(mktemp -d)
sim_pid=
brix_pid=
cleanup() {
    for pid in $brix_pid $sim_pid; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# The package.
if ! (cd "$build" && cpack -G DEB -B "$work/package") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack did not build the package" >&2
    exit 1
fi
deb="$work/package/brix_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/package" >&2; echo "FAIL: no $deb" >&2; exit 1; }

# Metadata: the project's version, the libraries dpkg-shlibdeps found and the programs the
# program runs or loads without linking them.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6core6 qt6-qpa-plugins libqt6svg6 tar gzip xdg-utils \
    fonts-liberation2; do
    grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
dpkg-deb -f "$deb" Maintainer | grep -q Orvantis || fail "the maintainer is not Orvantis"

# Contents. Every file the program reads beside itself in the build folder is in its folder,
# and nothing else is there (no test program).
dpkg -c "$deb" >"$work/contents"
awk '{ sub(/^\.\//, "", $6); print $6 ($7 == "->" ? " -> " $8 : "") }' "$work/contents" \
    | sed 's|/$||' >"$work/entries"
program=usr/lib/brix/bin
expected=("$program/brix" "$program/brix-cli" "$program/zelk-sim"
          "$program/Brix.znc" "$program/ZELK.znc" "$program/KORAHelp.znc")
help_texts=0
for file in "$build"/bin/KORA_*.txt; do
    [ -f "$file" ] || continue
    expected+=("$program/$(basename "$file")")
    help_texts=$((help_texts + 1))
done
[ "$help_texts" -gt 0 ] || fail "no button help texts in $build/bin"
[ -f "$build/doc/DOC-814-Rev1.pdf" ] || fail "the user guide was not built"
expected+=(usr/lib/brix/doc/DOC-814-Rev1.pdf)
expected+=(usr/share/applications/brix.desktop
           usr/share/icons/hicolor/scalable/apps/brix.svg
           usr/share/man/man1/brix.1.gz usr/share/man/man1/brix-cli.1.gz
           usr/share/man/man1/zelk-sim.1.gz)
for command in brix brix-cli zelk-sim; do
    expected+=("usr/bin/$command -> ../lib/brix/bin/$command")
done
for entry in "${expected[@]}"; do
    grep -Fxq "$entry" "$work/entries" || fail "the package lacks $entry"
done
while read -r entry; do
    printf '%s\n' "${expected[@]}" | grep -Fxq "$entry" || fail "unexpected $entry in the package"
done < <(grep "^$program/." "$work/entries")

root="$work/root"
dpkg -x "$deb" "$root"

# The desktop entry is valid and names the installed command and icon.
desktop="$root/usr/share/applications/brix.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects brix.desktop"
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$root/usr/bin/$exec_command" ] || fail "Exec=$exec_command is not an installed command"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no icon named $icon"

# The manual pages format without a warning, and document every command word and option
# that the programs' own help names.
render() { zcat "$root/usr/share/man/man1/$1.1.gz" | groff -man -Tascii -rLL=250n -P-cbou; }
for page in brix brix-cli zelk-sim; do
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
    warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
    render "$page" | tail -n 1 | grep -q "brix $version" || fail "$page.1 is not of version $version"
done
documents() {
    local page=$1 text=$2
    shift 2
    for word in "$@"; do
        grep -Eq -- "(^|[^a-z-])$word([^a-z-]|$)" <<<"$text" || fail "$page.1 does not document $word"
    done
}

if ! "$root/usr/bin/brix-cli" --help >"$work/cli-help" 2>"$work/cli-help.err"; then
    fail "brix-cli --help failed: $(cat "$work/cli-help.err")"
fi
head -n 1 "$work/cli-help" | grep -q '^usage: brix-cli ' || fail "brix-cli --help printed no usage"
# The words of the synopsis column of the commands: command names, options and choices.
cli_words=$(sed -n '/^commands:/,$p' "$work/cli-help" | grep -E '^  [a-z]|^ {4,}\[' \
    | sed -E 's/^ +//; s/  .*//' | tr ' |[]' '\n\n\n\n' | grep -E '^(--)?[a-z][a-z-]+$' | sort -u)
[ -n "$cli_words" ] || fail "no commands found in brix-cli --help"
# shellcheck disable=SC2086
documents brix-cli "$(render brix-cli)" $cli_words

"$root/usr/bin/zelk-sim" --help >"$work/sim-help" || fail "zelk-sim --help failed"
sim_options=$(sed -n '/^Options:/,$p' "$work/sim-help" | grep -oE -- '--[a-z][a-z-]+' | sort -u)
[ -n "$sim_options" ] || fail "no options found in zelk-sim --help"
# shellcheck disable=SC2086
documents zelk-sim "$(render zelk-sim)" $sim_options

# brix from the unpacked command, in a home of its own whose settings name the packaged
# simulator on loopback before brix starts.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$HOME/runtime"
mkdir -p "$XDG_CONFIG_HOME/Orvantis"
mkdir -m 700 "$XDG_RUNTIME_DIR"
QT_LOGGING_RULES=zelk.sim.debug=true "$root/usr/bin/zelk-sim" --listen 127.0.0.1:0 \
    >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
announced() { grep -q '^zelk-sim listening on 127\.0\.0\.1:[0-9]*$' "$work/sim.out"; }
wait_for 100 announced || { cat "$work/sim.err" >&2; echo "FAIL: zelk-sim did not start" >&2; exit 1; }
port=$(sed -n 's/^zelk-sim listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim.out")
cat >"$XDG_CONFIG_HOME/Orvantis/ZELK.conf" <<CONF
[General]
IP%20Address=127.0.0.1
Port=$port
DataDir=$HOME/data
CONF

# brix draws its window and then checks the link: the simulator receiving the check's
# command 1 shows that brix found its window-resource files through the link in usr/bin.
(cd "$work" && QT_QPA_PLATFORM=offscreen exec "$root/usr/bin/brix") >"$work/brix.out" 2>&1 &
brix_pid=$!
checked() { grep -q '^zelk.sim: command 1 ' "$work/sim.err" || ! kill -0 "$brix_pid" 2>/dev/null; }
wait_for 300 checked || true
if ! kill -0 "$brix_pid" 2>/dev/null; then
    wait "$brix_pid" && status=0 || status=$?
    brix_pid=
    fail "brix ended with status $status before or at its communication check: $(cat "$work/brix.out")"
elif ! grep -q '^zelk.sim: command 1 ' "$work/sim.err"; then
    fail "brix did not run its communication check within 30 s: $(cat "$work/brix.out")"
fi
grep -q "^Version=${version//./\\.}\$" "$XDG_CONFIG_HOME/Orvantis/ZELK.conf" \
    || fail "brix did not write its version $version into the settings"
[ -d "$HOME/data/SW_uploads" ] || fail "brix did not prepare its data directory"
if [ -n "$brix_pid" ]; then
    kill "$brix_pid"
    wait "$brix_pid" 2>/dev/null || true
    brix_pid=
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "package $(basename "$deb") installs and runs"
