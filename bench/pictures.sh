# The pictures the benchmarks change to, made once and kept in BENCH_PICTURES (default:
# bench-pictures in the build folder), since the large ones take a while to make. Each maker
# prints the path of what it made. Sourced by common.sh.
bench_pictures=${BENCH_PICTURES:-$bench_build/bench-pictures}
mkdir -p "$bench_pictures"

# Keeps FILE.part, made by a pipeline, as FILE when it holds something; prints FILE.
kept() { # file
    [ -s "$1.part" ] || { echo "could not make $1" >&2; return 1; }
    mv "$1.part" "$1" && echo "$1"
}

# n different 3840x2160 JPEGs as cameras write them: smooth, chroma subsampled 4:2:0.
make_4k_photos() { # n
    local i file
    for i in $(seq "$1"); do
        file=$bench_pictures/smooth$i.jpg
        [ -e "$file" ] || convert -size 960x540 "plasma:fractal" -seed "$i" -resize 3840x2160 \
            -quality 90 -sampling-factor 4:2:0 "$file"
        echo "$file"
    done
}

# n different 3840x2160 JPEGs with noise all over and full chroma (ImageMagick keeps chroma whole
# at quality 90): mostly entropy decoding, the worst case for any decoder.
make_4k_noisy_jpegs() { # n
    local i file
    for i in $(seq "$1"); do
        file=$bench_pictures/noisy$i.jpg
        [ -e "$file" ] || convert -size 960x540 "plasma:fractal" -seed "$i" -resize 3840x2160 \
            -attenuate 0.4 +noise Gaussian -quality 90 "$file"
        echo "$file"
    done
}

# An 8000x6000 (48-megapixel) photograph-like JPEG, as a phone writes it.
make_48mp_photo() {
    local file=$bench_pictures/photo48.jpg
    [ -e "$file" ] || convert -size 1000x750 "plasma:fractal" -seed 48 -resize 8000x6000 \
        -quality 90 -sampling-factor 4:2:0 "$file"
    echo "$file"
}

# The same kind of photograph as a phone's HEIC (heif-enc, quality 50), its top left quarter
# one colour (`corner_colour`), so that the root window tells whether it became the wallpaper.
corner_colour=192,48,32
make_48mp_heic() {
    local file=$bench_pictures/photo48.heic source=$bench_pictures/photo48-corner.jpg
    if [ ! -e "$file" ]; then
        convert -size 1000x750 "plasma:fractal" -seed 49 -fill "rgb($corner_colour)" \
            -draw 'rectangle 0,0 499,374' -resize 8000x6000 -quality 92 "$source"
        heif-enc -q 50 -o "$file.part" "$source" >/dev/null && mv "$file.part" "$file"
    fi
    echo "$file"
}

# The width and height of a 4:3 photograph of about mp megapixels.
photo_size() { # mp
    awk -v mp="$1" 'BEGIN { w = int(sqrt(mp * 1e6 * 4 / 3) / 16) * 16; print w, int(w * 3 / 4) }'
}

# A photograph of about mp megapixels made row by row into cjpeg, so that not even the maker
# holds the whole picture: smooth gradients, its top left quarter `corner_colour`.
make_big_jpeg() { # mp
    local file=$bench_pictures/photo$1mp.jpg width height
    read -r width height < <(photo_size "$1")
    [ -e "$file" ] && { echo "$file"; return; }
    python3 - "$width" "$height" "$corner_colour" <<'PY' | cjpeg -quality 90 >"$file.part"
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
corner = bytes(int(c) for c in sys.argv[3].split(","))
out = sys.stdout.buffer
out.write(b"P6\n%d %d\n255\n" % (w, h))
red = bytes(x * 255 // w for x in range(w))
blue = bytes((x // 7) % 256 for x in range(2 * w))
row = bytearray(3 * w)
row[0::3] = red
for y in range(h):
    row[1::3] = bytes([y * 255 // h]) * w
    row[2::3] = blue[y % w:y % w + w]
    line = row if y >= h // 2 else corner * (w // 2) + row[3 * (w // 2):]
    out.write(line)
PY
    kept "$file"
}

# A progressive JPEG of 8192x8192 grey with one of its AC scans repeated until the file holds
# 1,500 scans, each a pass over the whole picture for a decoder: about 150 KB that costs a
# decoder without a scan limit seconds and hundreds of MiB.
make_scan_bomb() {
    local file=$bench_pictures/scans1500.jpg
    [ -e "$file" ] && { echo "$file"; return; }
    python3 -c 'import sys; sys.stdout.buffer.write(b"P5\n8192 8192\n255\n" + b"\x80" * 8192 ** 2)' |
        cjpeg -progressive -grayscale -quality 90 | python3 -c '
import sys
data = sys.stdin.buffer.read()
# Cut the file into its marker segments; a scan runs from its SOS to the next marker.
i, segments = 2, []
while i < len(data):
    assert data[i] == 0xFF
    marker = data[i + 1]
    if marker == 0xD9:
        break
    length = int.from_bytes(data[i + 2:i + 4], "big")
    end = i + 2 + length
    if marker == 0xDA:
        while not (data[end] == 0xFF and data[end + 1] not in (0x00,) and
                   not 0xD0 <= data[end + 1] <= 0xD7):
            end += 1
    segments.append((marker, data[i:end]))
    i = end
scans = [s for m, s in segments if m == 0xDA]
repeated = min(scans[1:], key=len)  # the shortest AC scan
out = bytearray(data[:2])
for marker, segment in segments:
    out += segment
    if segment is repeated:
        out += segment * (1500 - len(scans))
out += b"\xff\xd9"
sys.stdout.buffer.write(out)' >"$file.part"
    kept "$file"
}

# A 35-byte GIF whose logical screen is 16000x16000 around a 1x1 picture.
make_gif_screen() {
    local file=$bench_pictures/screen16000.gif
    [ -e "$file" ] || printf 'GIF89a\x80\x3e\x80\x3e\x80\x00\x00\x00\x00\x00\xff\xff\xff%b' \
        ',\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;' >"$file"
    echo "$file"
}

# A 640x480 picture of one colour (r,g,b) of the given kind (jpg, png, bmp, gif).
make_plain() { # r,g,b kind
    local file=$bench_pictures/plain-${1//,/-}.$2
    [ -e "$file" ] || convert -size 640x480 "xc:rgb($1)" "$file"
    echo "$file"
}
