# Shared set-up for the benchmark scripts: a private Xvfb, a temporary HOME, the vlm binary.
vlm=${1:-$(dirname "$0")/../build-release/src/vlm}
[ -x "$vlm" ] || { echo "build the Release binary first: cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && cmake --build build-release" >&2; exit 1; }
work=$(mktemp -d)
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { pkill -P $$ 2>/dev/null; kill "$xvfb_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display HOME=$work XDG_CONFIG_HOME=$work/.config XDG_DATA_HOME=$work/.local/share
export XDG_RUNTIME_DIR=$work/run VLM_WALLPAPER_BACKEND=none
mkdir -p "$XDG_CONFIG_HOME/vlm" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A collection of n entries naming one small picture.
make_collection() {
    convert -size 64x48 xc:'#336699' "$work/p.bmp"
    awk -v n="$1" -v p="$work/p.bmp" 'BEGIN { for (i = 0; i < n; i++) printf "%s\r\n", p }' > "$work/c.vlk"
}
write_options() { { echo "[options]"; printf '%s\n' "$@"; } > "$XDG_CONFIG_HOME/vlm/vlm.ini"; }
