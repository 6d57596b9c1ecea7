# Sourced by the scripts that run Wine, with their work folder: Wine gets its private prefix there and a home,
# settings, data and temporary folder of its own beside it, and runs without its menu builder unless the second
# argument is "menus" (Wine's desktop makes no taskbar without it). So nothing it makes (menu entries, file
# associations, its server's folders) reaches the user's home or temporary folder. wine_places_end removes the
# temporary folder once Wine has ended.
wine_places() {
    local work=$1 overrides="mscoree,mshtml=;winemenubuilder.exe=d"
    [ "${2:-}" != menus ] || overrides="mscoree,mshtml="
    export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="$overrides"
    export HOME="$work/home" TMPDIR="$work/tmp"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
    mkdir -p "$HOME" "$TMPDIR"
}

wine_places_end() {
    wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
    rm -rf "$TMPDIR"
}
