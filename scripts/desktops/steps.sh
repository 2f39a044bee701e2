# shellcheck shell=bash
# The desktop check's steps: capture every output, wait for what they show to settle, report
# it, and check the result over all steps. A step's record, $shots/STEP.txt, has one line per
# output: NAME WIDTH HEIGHT ROTATION GRID.

# Captures every output into $shots/STEP-OUTPUT.png and records them; prints the record's
# path without ".txt".
capture_step() {
    local step=$1 name width height rotation
    desktop_capture "$shots/$1"
    desktop_outputs | while read -r name width height rotation; do
        echo "$name $width $height $rotation $(grid "$shots/$step-$name.png")"
    done >"$shots/$step.txt"
    echo "$shots/$step"
}

signature() { awk '{ printf "%s ", $5 }' "$1.txt"; }

# Makes a change (how: "", bus or command-line), then captures until the outputs show something
# other than before and hold it for two captures in a row (at most 30 s), and reports.
step() {
    local name=$1 how=$2 before=$3 began=$SECONDS now last="" end=$((SECONDS + 30))
    [ -z "$how" ] || ask_change "$how"
    while :; do
        now=$(signature "$(capture_step "$name")")
        [ "$now" != "$before" ] && [ "$now" = "$last" ] && break
        if [ "$SECONDS" -ge "$end" ]; then
            echo "(the outputs did not settle on a new picture within 30 s)"
            break
        fi
        last=$now
        sleep "$settle_pause"
    done
    echo
    echo "Step $name${how:+ (a change asked for on the $how)}, settled after $((SECONDS - began)) s:"
    local output width height rotation cells
    while read -r output width height rotation cells; do
        printf '  %-10s %9s  rotation %-6s %s  %s\n' "$output" "${width}x$height" "$rotation" \
            "$cells" "$(picture_shown "$cells")"
    done <"$shots/$name.txt"
    desktop_describe | sed 's/^/  /'
}

# The checks over the steps' records: mode "each" wants a picture per monitor, matching its
# orientation; "same" one picture on all; "span" one picture spread over all. In "same" and
# "span" each step brings a picture not shown before (the collection in list order). Prints
# each check; 1 when one fails.
run_checks() {
    local mode=$1 failed=0 step previous="" earlier="" output width height rotation cells shown
    local picture distinct
    shift
    echo
    case "$mode" in
    each) echo "Checks (monitors=each: a picture per monitor, by its orientation):" ;;
    span) echo "Checks (fit=span: one picture over all monitors):" ;;
    *) echo "Checks (one picture on every monitor):" ;;
    esac
    check() {
        if [ "$1" = ok ]; then echo "  ok      $2"; else echo "  FAILED  $2" && failed=1; fi
    }
    # The one picture of a step in modes "same" and "span": new at each step.
    check_new() {
        [[ " $earlier " == *" $1 "* ]] && check failed "$step: $1 was shown at an earlier step already" ||
            check ok "$step: $1 was not shown at an earlier step"
        earlier+=" $1"
    }
    for step; do
        if [ "$mode" = span ]; then
            picture=$(picture_spread "$(awk '{ print $5 }' "$shots/$step.txt")")
            [ "$picture" != none ] && check ok "$step: the outputs together show $picture" ||
                check failed "$step: the outputs together show one test picture"
            check_new "$picture"
            continue
        fi
        local -A now=()
        local pictures_here=()
        while read -r output width height rotation cells; do
            shown=$(picture_shown "$cells")
            picture=${shown%% *}
            now[$output]=$picture
            pictures_here+=("$picture")
            [[ $shown == *" upright" && $shown != *+* ]] && check ok "$step: $output shows $shown" ||
                check failed "$step: $output shows one test picture upright, not \"$shown\""
            if [ "$mode" = each ]; then
                local wanted=landscape
                [ "$height" -gt "$width" ] && wanted=portrait
                [ "$(orientation_of "$picture")" = "$wanted" ] &&
                    check ok "$step: $output ($wanted) has a $wanted picture" ||
                    check failed "$step: $output ($wanted) has a $wanted picture"
            fi
            if [ -n "$previous" ]; then
                [[ " $previous " == *" $output=$picture "* ]] &&
                    check failed "$step: $output moved on from $picture" ||
                    check ok "$step: $output moved on to $picture"
            fi
        done <"$shots/$step.txt"
        distinct=$(printf '%s\n' "${pictures_here[@]}" | sort -u | wc -l)
        if [ "$mode" = each ]; then
            [ "$distinct" = "${#pictures_here[@]}" ] && check ok "$step: every output has its own picture" ||
                check failed "$step: every output has its own picture"
        else
            [ "$distinct" = 1 ] && check ok "$step: all outputs show the same picture" ||
                check failed "$step: all outputs show the same picture"
            check_new "${pictures_here[0]}"
        fi
        previous=""
        for output in "${!now[@]}"; do previous+="$output=${now[$output]} "; done
        unset now
    done
    return "$failed"
}
