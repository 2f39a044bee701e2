# The rows of a change that decodes away from the window: a HEIC's time to the root picture, the
# window's answers while large and hostile pictures decode, and memory over many changes.
# Sourced after common.sh, inside start_session.

velmora_call() { # method
    gdbus call --session -d example.velmora.Velmora -o /example/velmora/Velmora \
        -m "example.velmora.Velmora.$1" >/dev/null
}

# The colour of the root window's pixel at 20,20 as "r,g,b" (where the e2e tests look), and
# whether a colour is another within 8 in every channel (JPEG and HEVC rounding).
root_colour() { "$root_timer" --pixel 20 20; }
colour_near() { # a b
    awk -F, -v a="$1" -v b="$2" 'BEGIN { if (split(a, x, ",") != 3) exit 1; split(b, y, ",")
        for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -8 || d > 8) exit 1 } }'
}

# A 48-megapixel HEIC's change, asked for on the session bus with the window hidden: the time
# until the root window's picture is replaced (root_timer), against one `heif-convert in.heic
# out.jpg` process's wall time on the same file, `runs` of each alternately; the medians. Also
# whether the root shows the picture. Sets heic_ms, heif_convert_ms, heic_samples, heic_shown.
measure_heic_change() { # runs heic
    local runs=$1 heic=$2 i ours=() theirs=() start
    printf '%s\r\n' "$heic" "$heic" >"$work/heic.vlk"
    write_options "lastfile=$work/heic.vlk" "index=0" "hide=1" "start=0" "cas=1" "jednotky=hodin"
    start_tray
    start_vlm
    wait_for_index 1 || return 1 # start-up's change
    sleep 1
    for ((i = 0; i < runs; i++)); do
        ours+=("$("$root_timer" 120 -- sh -c 'exec gdbus call --session -d example.velmora.Velmora \
            -o /example/velmora/Velmora -m example.velmora.Velmora.ChangeNow >/dev/null')") ||
            return 1
        wait_for_index $(((i + 2) % 2)) || return 1
        sleep 1
        start=$(date +%s%N)
        heif-convert "$heic" "$work/heif-convert.jpg" >/dev/null || return 1
        theirs+=("$(awk -v a="$start" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')")
        rm -f "$work/heif-convert.jpg"
    done
    heic_shown=no
    colour_near "$(root_colour)" "$corner_colour" && heic_shown=yes
    stop "$vlm_pid"
    heic_ms=$(median "${ours[@]}")
    heif_convert_ms=$(median "${theirs[@]}")
    heic_samples="${ours[*]} / ${theirs[*]}"
}

# With the window shown, the session bus changes through a collection of plain 640x480 pictures
# (JPEG, PNG, BMP, GIF) with a 48-megapixel HEIC, a 96-megapixel JPEG, a progressive JPEG of
# 1,500 scans over 8192x8192 and a 35-byte GIF declaring a 16000x16000 screen between them,
# one change at a time. All the while answer_probe clicks on the window's Label17 and reads a
# property on the bus every 50 ms. Sets clicks_rest_ms (median at rest), clicks_worst_ms and
# dbus_worst_ms (over the changes), clicks_count, clicks_peak_kib (the program's peak since it
# started), clicks_helper_peak_kib, clicks_shown ("shown of showable") and clicks_detail (each
# picture: its worst answer and what the root showed).
measure_clicks() {
    local plain=(20,120,200 200,200,40 40,160,80 120,40,160 230,130,30) entries=() expected=()
    local i next start end colour worst probe sampler shown=0 showable=0 first_start
    entries=("$(make_plain "${plain[0]}" jpg)" "$(make_48mp_heic)" "$(make_plain "${plain[1]}" png)"
        "$(make_big_jpeg 96)" "$(make_plain "${plain[2]}" bmp)" "$(make_scan_bomb)"
        "$(make_plain "${plain[3]}" gif)" "$(make_gif_screen)" "$(make_plain "${plain[4]}" jpg)")
    expected=("${plain[0]}" "$corner_colour" "${plain[1]}" "$corner_colour" "${plain[2]}" - \
        "${plain[3]}" - "${plain[4]}")
    printf '%s\r\n' "${entries[@]}" >"$work/clicks.vlk"
    write_options "lastfile=$work/clicks.vlk" "index=0" "hide=0" "start=0" "cas=1" \
        "jednotky=hodin"
    start_vlm
    wait_for_index 1 || return 1 # start-up's change of the first entry
    xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null
    "$helper_peak" "$vlm_pid" 20 >"$work/clicks_helper" &
    sampler=$!
    "$answer_probe" Velmora 330 125 50 CurrentIndex >"$work/probes" &
    probe=$!
    sleep 3 # answers at rest
    clicks_detail="" first_start=$(date +%s%3N)
    for ((i = 1; i < ${#entries[@]}; i++)); do
        next=$(((i + 1) % ${#entries[@]}))
        start=$(date +%s%3N)
        velmora_call ChangeNow || return 1
        wait_for_index "$next" 120 || return 1
        sleep 0.5 # the preview of the next entry decodes now
        end=$(date +%s%3N)
        colour=$(root_colour)
        worst=$(awk -v s="$start" -v e="$end" '$1 >= s && $1 <= e && $2 > w { w = $2 }
            END { print w + 0 }' "$work/probes")
        if [ "${expected[i]}" != - ]; then
            showable=$((showable + 1))
            colour_near "$colour" "${expected[i]}" && shown=$((shown + 1))
        fi
        clicks_detail+="$(basename "${entries[i]}"): changed in $((end - start - 500)) ms, worst"
        clicks_detail+=" answer ${worst} ms, root $colour"
        clicks_detail+="$([ "${expected[i]}" = - ] || echo " (expected ${expected[i]})"); "
    done
    stop "$probe"
    clicks_peak_kib=$(peak_rss_kib "$vlm_pid")
    stop "$sampler"
    read -r clicks_helper_peak_kib _ <"$work/clicks_helper"
    stop "$vlm_pid"
    # A probe without an answer (-1) counts as the longest wait there is.
    clicks_rest_ms=$(median $(awk -v f="$first_start" '$1 < f { print $2 }' "$work/probes"))
    clicks_worst_ms=$(awk -v f="$first_start" '$1 >= f { v = $2 < 0 ? 1e9 : $2; if (v > w) w = v }
        END { print w + 0 }' "$work/probes")
    dbus_worst_ms=$(awk -v f="$first_start" '$1 >= f && $3 > w { w = $3 } END { print w + 0 }' \
        "$work/probes")
    clicks_count=$(awk -v f="$first_start" '$1 >= f' "$work/probes" | wc -l)
    clicks_shown="$shown of $showable"
}

# Changes every second over 4K photos, hidden in the tray, `changes` times; the resident memory
# half a second after the first change, then after each, and the open files. Sets
# soak_first_kib, soak_last_kib, soak_max_kib, soak_min_kib, soak_counted, soak_fds and
# soak_samples (MiB every 30 changes).
measure_soak() { # changes pictures...
    local changes=$1 counted=1 rss
    shift
    printf '%s\r\n' "$@" >"$work/soak.vlk"
    write_options "lastfile=$work/soak.vlk" "index=0" "hide=1" "start=0" "cas=1" \
        "jednotky=sekund"
    start_tray
    start_vlm
    wait_for_changes 1 30 || return 1
    sleep 0.5
    soak_first_kib=$(rss_kib "$vlm_pid") soak_samples=""
    soak_max_kib=$soak_first_kib soak_min_kib=$soak_first_kib
    soak_fds=$(ls "/proc/$vlm_pid/fd" | wc -l)
    while [ "$counted" -lt "$changes" ]; do
        wait_for_changes 1 || return 1
        counted=$((counted + 1))
        sleep 0.5
        rss=$(rss_kib "$vlm_pid")
        [ "$rss" -gt "$soak_max_kib" ] && soak_max_kib=$rss
        [ "$rss" -lt "$soak_min_kib" ] && soak_min_kib=$rss
        [ $((counted % 30)) = 0 ] && soak_samples+=" $((rss / 1024))"
    done
    soak_last_kib=$rss soak_counted=$counted
    soak_fds="$soak_fds, then $(ls "/proc/$vlm_pid/fd" | wc -l)"
    stop "$vlm_pid"
}
