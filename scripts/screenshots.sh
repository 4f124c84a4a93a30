#!/usr/bin/env bash
# Renews the picture of the main window that the README and the help show: the real window,
# under Xvfb, after a run of the two-letter list against a WHOIS server on this machine (a few
# lines of Python answering "free" or "taken"), so no registry is asked.
#
#   bash scripts/screenshots.sh            writes help/mainwindow.png
#   bash scripts/screenshots.sh --windows  also each secondary window at scale factors 1 and 2,
#                                          into build/screenshots/, to look for anything cut off
#                                          or off-screen on a 1600x1000 screen
#
# The run works in a copy of the program folder with its own home folder, so neither the
# build's lists nor your settings change.
source "$(dirname "$0")/common.sh"
PACKAGES+=(xdotool imagemagick python3)
install_packages
[ -x build/program/kestrin ] || build build

work=$(mktemp -d)
trap 'kill "${server_pid:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
cp -r build/program "$work/program"
# No help file: the first start would open it in a viewer on top of the window.
rm -f "$work/program/Help.chm"
mkdir -p build/screenshots

# The WHOIS server: a name whose letters' codes add up to a multiple of 5 is free.
port_file="$work/port"
python3 - "$port_file" <<'EOF' &
import asyncio, sys
async def answer(reader, writer):
    name = (await reader.readline()).decode().strip().lower()
    await asyncio.sleep(0.2)  # a run of a few seconds, long enough to be seen going
    free = sum(map(ord, name.split(".")[0])) % 5 == 0
    writer.write((f"No match for \"{name.upper()}\".\r\n" if free
                  else f"   Domain Name: {name.upper()}\r\n   Registrar: Example\r\n").encode())
    await writer.drain()
    writer.close()
async def main():
    server = await asyncio.start_server(answer, "127.0.0.1", 0)
    open(sys.argv[1], "w").write(str(server.sockets[0].getsockname()[1]))
    async with server:
        await server.serve_forever()
asyncio.run(main())
EOF
server_pid=$!
for _ in $(seq 50); do [ -s "$port_file" ] && break; sleep 0.1; done
printf 'com|127.0.0.1|%s|Enabled\r\n' "$(cat "$port_file")" > "$work/program/registrars.txt"

# One program start under its own X server: $1 the screen, $2 the scale factor, $3 the
# picture, then the keys that lead to what is shown (each after a pause, "wait N" to pause).
shoot() {
    local screen=$1 scale=$2 picture=$3
    shift 3
    # A fresh home each time: no stored positions or window places from the shot before.
    local home
    home=$(mktemp -d "$work/home.XXXX")
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        QT_SCALE_FACTOR="$scale" QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu" \
        xvfb-run -a -s "-screen 0 ${screen}x24" bash -c '
            picture=$1; shift
            "'"$work"'/program/kestrin" >/dev/null 2>&1 &
            pid=$!
            for _ in $(seq 100); do
                xdotool search --name "Kestrin by" >/dev/null 2>&1 && break
                sleep 0.2
            done
            sleep 2
            # Without a window manager nobody gives the window the keyboard.
            xdotool search --name "Kestrin by" windowfocus --sync
            for step in "$@"; do
                case $step in
                    wait\ *) sleep "${step#wait }" ;;
                    type\ *) xdotool type --delay 50 "${step#type }"; sleep 0.5 ;;
                    *) xdotool key "$step"; sleep 0.7 ;;
                esac
            done
            sleep 1
            import -window root "$picture"
            kill "$pid"
            wait "$pid" 2>/dev/null || true' _ "$picture" "$@"
    echo "Wrote $picture"
}

# Tools > All Two Letter, Start, and time for the 676 lookups. Then, from the number field the
# focus is left in, to the High Profile list: three names kept in the Saved list through the
# context menu.
run_keys=(alt+t a "wait 1" alt+s "wait 9" Tab Tab Tab Tab)
keep_keys=(Down shift+Down shift+Down Menu v)
shoot 1280x800 1 help/mainwindow.png "${run_keys[@]}" "${keep_keys[@]}"

if [ "${1:-}" = "--windows" ]; then
    for scale in 1 2; do
        shot() { shoot 1600x1000 "$scale" "build/screenshots/$1-scale$scale.png" "${@:2}"; }
        shot running alt+t a "wait 1" alt+s "wait 2"
        shot main "${run_keys[@]}" "${keep_keys[@]}"
        shot generator alt+t g "wait 2"
        shot setup alt+o s "wait 2"
        shot about alt+h a
        # The WHOIS viewer: the first High Profile name's context menu, Show Reply.
        shot viewer "${run_keys[@]}" Down Menu r "wait 2"
        shot listbuilder alt+t y Tab "type kestrel" alt+s "wait 4"
        shot browser alt+t b "wait 8"
    done
fi
