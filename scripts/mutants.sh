#!/usr/bin/env bash
# Mutation testing: how many small faults planted in src/ do the unit and behaviour tests catch?
#
#   scripts/mutants.sh [TESTS_CHECKOUT]
#
# src/ (and the build files, data/) come from the checkout this script lives in; tests/ from
# TESTS_CHECKOUT (default: the same checkout). So "same src/, tests before and after" is this
# script run twice, the second time with the other checkout's path.
#
# A fixed sample of mutants is drawn from every candidate site in the .cpp files that go into
# vlm_core and vlm_gui, ordered by a hash of the seed and the site: a flipped comparison, an
# integer literal one up or down, a negated if condition, a dropped call statement, a swapped
# pair of arguments, && <-> ||, true <-> false. Data is not sampled: string literals (message
# texts) are never changed, and files that hold only data (the window's design in
# controltable.cpp: its controls' geometry, texts and colours) are left out, since a test that
# would catch a changed coordinate only repeats the table. Each mutant is built alone and the
# test binaries run on it (unit first, then behaviour, stopping at the first failure); a
# failure, a crash or a hang past the time limit kills it. A mutant that does not compile is not counted; the next
# candidate in the order takes its place, so the same src/ always gives the same sample.
#
# Everything happens in a scratch copy of the tree (MUTANTS_DIR, default under /tmp); the
# checkouts themselves are only read.
#
#   MUTANTS_SEED=1        order of the candidates
#   MUTANTS_COUNT=200     mutants that compile and are tested
#   MUTANTS_TIMEOUT=      seconds a test binary may run (default: 5x its clean run, at least 60)
#   MUTANTS_LOG=          log written as the run goes (default: DIR/mutants.log)
#   MUTANTS_DIR=          scratch directory (default: /tmp/vlm-mutants-<uid>)
#   MUTANTS_SHARDS=4      shards of each test binary run side by side
#   MUTANTS_LIST=1        only print the sample's first COUNT candidates, build nothing
set -euo pipefail

self=$(cd "$(dirname "$0")/.." && pwd)
tests_from=$(cd "${1:-$self}" && pwd)
[ -f "$tests_from/tests/CMakeLists.txt" ] || {
    echo "usage: $0 [checkout whose tests/ to run]" >&2
    exit 2
}
seed=${MUTANTS_SEED:-1}
count=${MUTANTS_COUNT:-200}
dir=${MUTANTS_DIR:-${TMPDIR:-/tmp}/vlm-mutants-$(id -u)}
log=${MUTANTS_LOG:-$dir/mutants.log}
tree=$dir/tree
build=$dir/build
mkdir -p "$dir"

# Candidate sites, one a line: file, line, column, kind, original text, mutant text. Only code is
# looked at: comments, string and character literals and preprocessor lines are blanked first.
scan() {
    perl -e '
use strict;
use warnings;
my ($root, @files) = @ARGV;
my %keyword = map { $_ => 1 } qw(if for while switch return sizeof alignof decltype catch
    static_assert static_cast const_cast reinterpret_cast dynamic_cast qobject_cast noexcept
    alignas typeid new delete throw operator);
my %commutative = map { $_ => 1 } qw(min max qMin qMax swap qSwap qFuzzyCompare);
sub close_paren {    # index of the ) matching the ( at $open, or -1 if not on this line
    my ($s, $open) = @_;
    my $depth = 0;
    for my $i ($open .. length($s) - 1) {
        my $c = substr($s, $i, 1);
        $depth++ if $c =~ /[(\[{]/;
        $depth-- if $c =~ /[)\]}]/;
        return $i if $depth == 0;
    }
    return -1;
}
sub looks_declared { $_[0] =~ /^\s*(?:const\s+)?[A-Za-z_][\w:<>,]*(?:\s*[*&]+\s*|\s+)[A-Za-z_]\w*\s*$/ }
for my $file (@files) {
    open my $fh, "<", "$root/$file" or die "$file: $!";
    my @lines = <$fh>;
    close $fh;
    chomp @lines;
    my ($in_comment, $in_pp) = (0, 0);
    my @masked;
    for my $raw (@lines) {
        my $m = "";
        if ($in_pp || (!$in_comment && $raw =~ /^\s*#/)) {
            $in_pp = $raw =~ /\\$/ ? 1 : 0;
            push @masked, " " x length $raw;
            next;
        }
        my $i = 0;
        while ($i < length $raw) {
            my $rest = substr($raw, $i);
            if ($in_comment) {
                if ($rest =~ /^\*\//) { $m .= "  "; $i += 2; $in_comment = 0 }
                else { $m .= " "; $i++ }
            } elsif ($rest =~ /^\/\//) {
                $m .= " " x length $rest; last;
            } elsif ($rest =~ /^\/\*/) {
                $m .= "  "; $i += 2; $in_comment = 1;
            } elsif ($rest =~ /^(u8|[uUL])?(["\x27])((?:\\.|(?!\2).)*)\2/) {
                my $len = length $&;
                $m .= "S" x $len; $i += $len;
            } else {
                $m .= substr($raw, $i, 1); $i++;
            }
        }
        push @masked, $m;
    }
    for my $n (0 .. $#lines) {
        my ($raw, $m) = ($lines[$n], $masked[$n]);
        my $line = $n + 1;
        my @found;    # [column, kind, original, mutant]
        while ($m =~ /(?<= )(<=|>=|==|!=|<|>)(?= |$)/g) {
            my %flip = ("<" => "<=", "<=" => "<", ">" => ">=", ">=" => ">", "==" => "!=", "!=" => "==");
            push @found, [$-[1], "comparison", $1, $flip{$1}];
        }
        while ($m =~ /(?<= )(&&|\|\|)(?= |$)/g) {
            push @found, [$-[1], "logic", $1, $1 eq "&&" ? "||" : "&&"];
        }
        while ($m =~ /\b(true|false)\b/g) {
            push @found, [$-[1], "boolean", $1, $1 eq "true" ? "false" : "true"];
        }
        while ($m =~ /(?<![\w.])(\d+)(?![\w.\x27])/g) {
            push @found, [$-[1], "off-by-one", $1, $1 == 0 ? 1 : $1 - 1];
        }
        while ($m =~ /\bif \(/g) {
            my $open = $+[0] - 1;
            my $close = close_paren($m, $open);
            next if $close < 0;
            my $cond = substr($m, $open + 1, $close - $open - 1);
            next if $cond =~ /;/ || $cond =~ /^\s*(?:const\s+)?[A-Za-z_][\w:<>]*[\s*&]+[A-Za-z_]\w*\s*=(?!=)/;
            my $orig = substr($raw, $open, $close - $open + 1);
            push @found, [$open, "negation", $orig, "(!$orig)"];
        }
        # A statement line that is nothing but a call (or a chain of them, or a signal).
        if ($m =~ /^(\s*)((?:Q_EMIT\s+)?[A-Za-z_][\w:]*(?:(?:\.|->)[A-Za-z_]\w*)*\(.*\)\s*;)\s*$/) {
            my ($col, $stmt) = ($-[2], $2);
            my ($callee) = $stmt =~ /^(?:Q_EMIT\s+)?([A-Za-z_]\w*)/;
            my $prev = $n > 0 ? $masked[$n - 1] : "";
            my $opens = () = $stmt =~ /\(/g;
            my $closes = () = $stmt =~ /\)/g;
            if (!$keyword{$callee} && $callee !~ /^[A-Z][A-Z0-9_]*$/ && $opens == $closes
                && $prev =~ /(?:^\s*|[;{}:])\s*$/) {
                push @found, [$col, "dropped call", substr($raw, $col, length $stmt), ";"];
            }
        }
        while ($m =~ /\b([A-Za-z_]\w*)\(/g) {
            my ($name, $open) = ($1, $+[0] - 1);
            next if $keyword{$name} || $commutative{$name} || $name =~ /^[A-Z][A-Z0-9_]*$/;
            my $close = close_paren($m, $open);
            next if $close < 0;
            my ($depth, @commas) = (0);
            for my $i ($open + 1 .. $close - 1) {
                my $c = substr($m, $i, 1);
                $depth++ if $c =~ /[(\[{]/;
                $depth-- if $c =~ /[)\]}]/;
                push @commas, $i if $c eq "," && $depth == 0;
            }
            next unless @commas == 1;
            my $a = substr($raw, $open + 1, $commas[0] - $open - 1);
            my $b = substr($raw, $commas[0] + 1, $close - $commas[0] - 1);
            $b =~ s/^ //;
            next if $a =~ /^\s*$/ || $b =~ /^\s*$/ || $a eq $b || looks_declared($a) || looks_declared($b);
            push @found, [$open + 1, "swapped arguments", substr($raw, $open + 1, $close - $open - 1), "$b, $a"];
        }
        for my $f (@found) {
            my ($col, $kind, $orig, $mut) = @$f;
            next if $orig =~ /\t/ || $mut =~ /\t/;
            print join("\t", $file, $line, $col, $kind, $orig, $mut), "\n";
        }
    }
}
' "$@"
}

# Seeded order: a 32-bit FNV-1a hash of the seed and the whole candidate, ties broken by place.
order() {
    perl -ne '
BEGIN { $seed = shift @ARGV }
chomp; my $h = 2166136261;
for my $c (unpack "C*", "$seed\t$_") { $h = (($h ^ $c) * 16777619) & 0xFFFFFFFF }
print "$h\t$_\n";
' "$seed" | sort -t $'\t' -k1,1n -k2,2 -k3,3n -k4,4n
}

# The .cpp files of vlm_core and vlm_gui (as src/CMakeLists.txt picks them); the rest is not
# linked by any test binary.
cd "$self"
mapfile -t all_cpp < <(find src -name '*.cpp' | LC_ALL=C sort)
linked=() unlinked=() data=()
for f in "${all_cpp[@]}"; do
    case $f in
    src/app/main.cpp | src/decoder/* | *_windows.cpp) unlinked+=("$f") ;;
    src/app/controltable.cpp) data+=("$f") ;;
    *) linked+=("$f") ;;
    esac
done
mapfile -t headers < <(find src -name '*.h' | LC_ALL=C sort)

candidates=$dir/candidates.tsv
scan "$self" "${linked[@]}" | order >"$candidates"
total_sites=$(wc -l <"$candidates")
unlinked_sites=0
[ ${#unlinked[@]} -eq 0 ] || unlinked_sites=$(scan "$self" "${unlinked[@]}" | wc -l)
header_sites=$(scan "$self" "${headers[@]}" | wc -l)
data_sites=$(scan "$self" "${data[@]}" | wc -l)

if [ "${MUTANTS_LIST:-0}" = 1 ]; then
    head -n "$count" "$candidates" | cut -f2-
    exit 0
fi

exec 9>"$dir/lock"
flock -n 9 || {
    echo "another mutants.sh run is using $dir" >&2
    exit 1
}

# The scratch tree: files are copied only when their content differs, so the build stays
# incremental across runs and a file left mutated by an interrupted run is rebuilt.
sync_dir() { # from to
    local from=$1 to=$2 f
    mkdir -p "$to"
    (cd "$from" && find . -type f ! -path './build*') | while IFS= read -r f; do
        cmp -s "$from/$f" "$to/$f" || { mkdir -p "$(dirname "$to/$f")" && cp "$from/$f" "$to/$f"; }
    done
    (cd "$to" && find . -type f) | while IFS= read -r f; do
        [ -e "$from/$f" ] || rm -f "$to/$f"
    done
}
mkdir -p "$tree"
cp_if_changed() { cmp -s "$1" "$2" || cp "$1" "$2"; }
for f in "$self"/*; do [ ! -f "$f" ] || cp_if_changed "$f" "$tree/${f##*/}"; done
for d in cmake src data; do sync_dir "$self/$d" "$tree/$d"; done
sync_dir "$tests_from/tests" "$tree/tests"
# The tests find the shared sample pictures beside the tree, as beside a checkout (a tests
# checkout made elsewhere, say under /tmp, borrows those beside this one).
shared=$tests_from/../shared
[ -d "$shared" ] || shared=$self/../shared
ln -sfn "$shared" "$dir/shared"

current=""
restore() {
    if [ -n "$current" ]; then
        cp "$self/$current" "$tree/$current"
        current=""
    fi
}
trap restore EXIT
trap 'exit 130' INT TERM

# A plain quick build: no sanitizers, no debug info, the lld linker, ccache for the restores.
linker=()
command -v ld.lld >/dev/null && linker=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g0" \
    -DVLM_BUILD_BENCH=OFF -DVLM_WERROR=OFF "${linker[@]}" "${launcher[@]}" >/dev/null
build_targets() { ninja -C "$build" -j2 "$@" >"$dir/build.out" 2>&1; }

export QT_QPA_PLATFORM=offscreen VLM_SHARED_TESTDATA="$dir/shared/testdata"
export VLM_DECODE_HELPER="$build/src/vlm-decode"
# Each binary runs in shards side by side: the tests mostly wait on timers and child processes,
# so the wall time falls with the shards even on two cores. The first failing shard ends the rest.
shards=${MUTANTS_SHARDS:-4}
run_tests() { # timeout binary...: 0 when every binary passes
    local limit=$1 bin i pid failed=0
    shift
    for bin in "$@"; do
        local pids=()
        for ((i = 0; i < shards; i++)); do
            # A process group of its own per shard: whatever a mutant leaves running (a fake
            # backend that was never stopped) is ended with it. The lock is not passed on.
            GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i setsid timeout -k 5 "$limit" \
                "$build/tests/$bin" --gtest_fail_fast --gtest_brief=1 >"$dir/test.$i.out" 2>&1 9>&- &
            pids+=($!)
        done
        for ((i = 0; i < shards; i++)); do
            if ! wait -n; then
                failed=1
                break
            fi
        done
        for pid in "${pids[@]}"; do kill -KILL -- "-$pid" 2>/dev/null || true; done
        wait 2>/dev/null || true
        if [ "$failed" = 1 ]; then
            cat "$dir"/test.*.out >"$dir/test.out"
            return 1
        fi
    done
}

start=$(date +%s)
cd "$build"
echo "Building the unmutated tree in $build"
build_targets vlm_unit_tests vlm_behaviour_tests vlm-decode vlm-decode-common || {
    cat "$dir/build.out" >&2
    exit 1
}
t0=$(date +%s)
run_tests 1800 vlm_unit_tests || {
    echo "the unit tests fail without any mutant:" >&2
    cat "$dir/test.out" >&2
    exit 1
}
t1=$(date +%s)
run_tests 1800 vlm_behaviour_tests || {
    echo "the behaviour tests fail without any mutant:" >&2
    cat "$dir/test.out" >&2
    exit 1
}
t2=$(date +%s)
limit_for() { # clean run seconds
    if [ -n "${MUTANTS_TIMEOUT:-}" ]; then echo "$MUTANTS_TIMEOUT"; else
        local t=$((5 * $1))
        echo $((t < 60 ? 60 : t))
    fi
}
unit_limit=$(limit_for $((t1 - t0)))
behaviour_limit=$(limit_for $((t2 - t1)))

{
    echo "# mutants.sh $(date -u '+%Y-%m-%d %H:%M UTC') on $(hostname), $(nproc) cores"
    echo "# src from $self ($(git -C "$self" rev-parse --short HEAD 2>/dev/null || echo '?'))"
    echo "# tests from $tests_from ($(git -C "$tests_from" rev-parse --short HEAD 2>/dev/null || echo '?'))"
    echo "# seed $seed, count $count; $total_sites candidate sites in ${#linked[@]} files the tests link"
    echo "# not sampled: $unlinked_sites sites in ${#unlinked[@]} files no test binary links, $header_sites in headers, $data_sites in ${#data[@]} data file"
    echo "# clean runs: unit $((t1 - t0)) s, behaviour $((t2 - t1)) s; limits $unit_limit s, $behaviour_limit s"
} | tee "$log"

killed=0 tested=0 uncompiled=0
survivors=()
while IFS=$'\t' read -r _ file line col kind orig mut; do
    [ "$tested" -lt "$count" ] || break
    before=$(sed -n "${line}p" "$self/$file")
    current=$file
    ORIG=$orig MUT=$mut LINE=$line COL=$col perl -i -pe '
        if ($. == $ENV{LINE}) {
            substr($_, $ENV{COL}, length $ENV{ORIG}) eq $ENV{ORIG} or die "site moved\n";
            substr($_, $ENV{COL}, length $ENV{ORIG}) = $ENV{MUT};
        }' "$tree/$file"
    after=$(sed -n "${line}p" "$tree/$file")
    what="$file:$line [$kind] $(echo "$before" | sed 's/^ *//') → $(echo "$after" | sed 's/^ *//')"
    case $file in
    src/app/* | */ui/*) bins=(vlm_behaviour_tests) ;; # vlm_gui: the unit tests do not link it
    *) bins=(vlm_unit_tests vlm_behaviour_tests) ;;
    esac
    if ! build_targets "${bins[@]}"; then
        uncompiled=$((uncompiled + 1))
        echo "NOCOMPILE $what" >>"$log"
        restore
        continue
    fi
    tested=$((tested + 1))
    verdict=SURVIVED
    for bin in "${bins[@]}"; do
        limit=$unit_limit
        [ "$bin" = vlm_behaviour_tests ] && limit=$behaviour_limit
        if ! run_tests "$limit" "$bin"; then
            verdict="KILLED by ${bin#vlm_}"
            break
        fi
    done
    if [ "$verdict" = SURVIVED ]; then
        survivors+=("$what")
    else
        killed=$((killed + 1))
    fi
    echo "$verdict $what" >>"$log"
    printf '%3d/%d %s %s:%s [%s]\n' "$tested" "$count" "${verdict%% *}" "$file" "$line" "$kind"
    restore
done <"$candidates"

# Leave the build matching the clean tree for the next run.
build_targets vlm_unit_tests vlm_behaviour_tests || true
minutes=$((($(date +%s) - start + 59) / 60))
{
    echo
    echo "Mutation score: $killed/$tested killed ($uncompiled more did not compile and were replaced)"
    [ "$tested" -ge "$count" ] || echo "only $tested candidates compiled; fewer than the $count asked for"
    echo "Wall time: $minutes min, load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "Survivors (${#survivors[@]}):"
    for s in "${survivors[@]}"; do echo "  $s"; done
} | tee -a "$log"
