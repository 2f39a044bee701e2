# shellcheck shell=bash
# The desktop check's test pictures and how a screenshot is read back: each picture is split in
# two colours (a landscape one left|right, a portrait one top/bottom), so the colours at a few
# points name the picture and tell whether it stands upright.

# Letters for the colours a screenshot is read in, and their values.
declare -A palette=(
    [R]=ff0000 [B]=0000ff [C]=00ffff [M]=ff00ff [G]=00ff00 [Y]=ffff00
    [O]=ff8000 [N]=000080 [P]=ff80c0 [T]=008080 [k]=000000 [w]=ffffff
)
# The collection, in its order: two landscape pictures first, so a portrait monitor's picture
# has to be looked for further on. NAME ORIENTATION FIRST-COLOUR SECOND-COLOUR.
pictures=(
    "land-1 landscape R B"
    "land-2 landscape C M"
    "port-1 portrait G Y"
    "land-3 landscape O N"
    "port-2 portrait P T"
)

# Writes the pictures (PNG, 1600x900 and 900x1600) into $1 and the collection naming them to $2.
make_pictures() {
    local folder=$1 collection=$2 entry name orientation first second
    mkdir -p "$folder"
    for entry in "${pictures[@]}"; do
        read -r name orientation first second <<<"$entry"
        if [ "$orientation" = landscape ]; then
            convert -size 800x900 "xc:#${palette[$first]}" -size 800x900 "xc:#${palette[$second]}" \
                +append "$folder/$name.png"
        else
            convert -size 900x800 "xc:#${palette[$first]}" -size 900x800 "xc:#${palette[$second]}" \
                -append "$folder/$name.png"
        fi
        printf '%s\r\n' "$folder/$name.png"
    done >"$collection"
}

# The colours of a screenshot at the centres of a 4x4 grid (12.5 %, 37.5 %, ... of each side),
# as palette letters row by row ("RRBB/RRBB/RRBB/RRBB"); "?" is a colour of none of them.
grid() {
    local known="" letter
    for letter in "${!palette[@]}"; do known+="$letter=${palette[$letter]} "; done
    convert "$1" -sample '4x4!' -colorspace sRGB -type TrueColor -depth 8 txt:- |
        awk -v known="$known" '
            BEGIN { n = split(known, pairs, " ")
                    for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); hex[kv[1]] = kv[2] } }
            function digit(h, i) { return index("0123456789abcdef", substr(h, i, 1)) - 1 }
            function channel(h, i) { return digit(h, i) * 16 + digit(h, i + 1) }
            /^[0-9]+,[0-9]+:/ {
                split($1, xy, "[,:]")
                match($0, /\([0-9]+,[0-9]+,[0-9]+/)
                split(substr($0, RSTART + 1, RLENGTH - 1), rgb, ",")
                best = "?"; bestd = 49 # a channel further off than this is another colour
                for (l in hex) {
                    d = 0
                    for (c = 0; c < 3; c++) {
                        e = rgb[c + 1] - channel(hex[l], 2 * c + 1); if (e < 0) e = -e
                        if (e > d) d = e
                    }
                    if (d < bestd) { bestd = d; best = l }
                }
                cell[xy[2], xy[1]] = best
            }
            END { for (y = 0; y < 4; y++) { row = ""; for (x = 0; x < 4; x++) row = row cell[y, x]
                                             printf "%s%s", (y ? "/" : ""), row }
                  print "" }'
}

# The test picture a grid shows, with how it stands: "land-1 upright", "port-1 turned" (a
# quarter turn), "land-1 reversed" (upside down or mirrored), or "none"; two names joined by
# "+" when two pictures cover a quarter of the points each.
picture_shown() {
    printf '%s\n' "${pictures[@]}" | awk -v grid="$1" '
        { name[NR] = $1; wide[NR] = $2 == "landscape"; a[NR] = $3; b[NR] = $4 }
        END {
            gsub("/", "", grid)
            shown = ""
            for (p = 1; p <= NR; p++) {
                na = nb = ax = ay = bx = by = 0
                for (i = 0; i < 16; i++) {
                    l = substr(grid, i + 1, 1); x = i % 4; y = int(i / 4)
                    if (l == a[p]) { na++; ax += x; ay += y }
                    if (l == b[p]) { nb++; bx += x; by += y }
                }
                if (na + nb < 4 || na == 0 || nb == 0) continue
                dx = bx / nb - ax / na; dy = by / nb - ay / na
                along = wide[p] ? dx : dy; across = wide[p] ? dy : dx
                if (across * across > along * along) how = "turned"
                else how = along > 0 ? "upright" : "reversed"
                shown = shown (shown == "" ? "" : "+") name[p] " " how
            }
            print shown == "" ? "none" : shown
        }'
}

# "landscape" or "portrait" for a test picture's name.
orientation_of() {
    local entry name orientation rest
    for entry in "${pictures[@]}"; do
        read -r name orientation rest <<<"$entry"
        [ "$name" = "$1" ] && echo "$orientation" && return
    done
    echo unknown
}

# The test picture whose two colours are all the grids show together (black and unknown
# colours aside), or "none": one picture spread over several outputs.
picture_spread() {
    local entry name orientation first second letters
    letters=$(printf '%s' "$*" | tr -d 'k?/ ' | fold -w1 | sort -u | tr -d '\n')
    for entry in "${pictures[@]}"; do
        read -r name orientation first second <<<"$entry"
        [ "$letters" = "$(printf '%s\n' "$first" "$second" | sort | tr -d '\n')" ] &&
            echo "$name" && return
    done
    echo none
}
