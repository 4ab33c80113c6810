#!/usr/bin/env bash
# Runs brisol-cli through the hostile cases of the second hardening round and
# prints, for each, whether it held: absurd sizes, low memory, special files,
# an output that is the input, full disks and file-size limits, leftovers of
# killed saves, damaged and bomb-like pictures, shapes that draw nothing,
# hidden layers, failed writes to standard output, messages that must name
# the right cause, links and options.
#   tools/hostile-check.sh [BRISOL-CLI]   (default: build/release/src/cli/brisol-cli)
# Exit status: 0 when every case held, 1 otherwise.
set -u
cd "$(dirname "$0")/.."
cli="$(realpath "${1:-build/release/src/cli/brisol-cli}")"
[ -x "$cli" ] || { echo "hostile-check: no program at $cli" >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/brisol-hostile.XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
# A program under a memory or file-size limit may leave a partial font cache;
# every run here writes its cache in the scratch folder, never the system's
# (which is still read, so a run usually writes nothing).
mkdir -p "$work/font-cache"
cat >"$work/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <dir>/usr/share/fonts</dir>
  <cachedir>$work/font-cache</cachedir>
  <cachedir>/var/cache/fontconfig</cachedir>
</fontconfig>
CONF
export FONTCONFIG_FILE="$work/fonts.conf"
# A machine whose font cache is missing or stale has it built by the first
# font lookup, which takes far more memory than the drawing: done once here
# without a limit, so that the limited runs below measure the program.
"$cli" demo --output "$work/warm.png" >/dev/null 2>&1 || true

held=0
failed=0
check() {  # check DESCRIPTION COMMAND...: the command's success is the case holding
  local what="$1"
  shift
  if "$@" >/dev/null 2>&1; then
    held=$((held + 1))
    printf 'held    %s\n' "$what"
  else
    failed=$((failed + 1))
    printf 'FAILED  %s\n' "$what"
    # What the program said, so that a failure seen on another machine can
    # be understood from the log alone.
    [ -n "${said:-}" ] && printf '%s\n' "$said" | head -n 20 | sed 's/^/        said: /'
  fi
  said=""
}

# run ARGS...: the program with a watchdog; status in $rc, standard error in
# $err (standard output is discarded).
run() {
  err="$(timeout -s KILL 30 "$cli" "$@" 2>&1 >/dev/null </dev/null)"
  rc=$?
}
# limited LIMIT-COMMAND ARGS...: the same in a shell with a limit applied.
limited() {
  local limit="$1"
  shift
  err="$(bash -c "$limit; exec timeout -s KILL 30 \"\$0\" \"\$@\" 2>&1 >/dev/null </dev/null" "$cli" "$@")"
  rc=$?
  said="($limit) status $rc: $err"
}
one_line() { [ -n "$err" ] && [ "$(printf '%s\n' "$err" | grep -vc '^Fontconfig ')" -eq 1 ]; }
failed_with() {  # failed_with STATUS TEXT: exit status and one line holding the text
  [ "$rc" -eq "$1" ] && one_line && printf '%s' "$err" | grep -qF -- "$2"
}

le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))\\$(printf %03o $((($1 >> 16) & 255)))\\$(printf %03o $((($1 >> 24) & 255)))"; }
le16() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $((($1 >> 8) & 255)))"; }
# rle8_bmp WIDTH HEIGHT: an RLE8 BMP with 256 colours whose data ends at once.
rle8_bmp() {
  { printf 'BM'; le32 1080; le32 0; le32 1078; le32 40; le32 "$1"; le32 "$2"; le16 1; le16 8; le32 1; le32 2
    le32 2835; le32 2835; le32 256; le32 0; head -c 1024 /dev/zero; printf '\000\001'; }
}
dxf() { printf '%s\n' "$@"; }
shape() {  # shape ENTITY-GROUPS...: a shape file of the size shape files have
  { dxf 999 "$(printf '%0120d' 0)" 0 SECTION 2 ENTITIES; dxf "$@"; dxf 0 ENDSEC 0 EOF; }
}
square() { dxf 0 LWPOLYLINE 8 "$1" 90 4 70 1 10 -"$2" 20 -"$2" 10 "$2" 20 -"$2" 10 "$2" 20 "$2" 10 -"$2" 20 "$2"; }

# A sanitizer build's table of the suppressions it used is not the program's
# output.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}print_suppressions=0"
sanitized=0
if nm -D "$cli" 2>/dev/null | grep -q __asan_init || nm "$cli" 2>/dev/null | grep -q __asan_init; then sanitized=1; fi

"$cli" testcard photo.bmp 320x200 >/dev/null
"$cli" convert photo.bmp photo.png
"$cli" convert photo.bmp photo.jpg

# 1: sizes whose resampling buffers overflow.
for size in 1x300000000 400000000x1; do
  run convert photo.png out.bmp --resize "$size"
  check "resize to $size refused in one line naming the size and the limit" \
    failed_with 1 "the most the resampler can use"
done

"$cli" testcard tall.png 1x200000 >/dev/null
run convert tall.png out.bmp --resize 1x199999
check "resize whose filters would take days refused in one line" failed_with 1 "billion steps"

# 2, 3: low memory. A sanitizer build cannot run under an address-space limit.
if [ "$sanitized" -eq 0 ]; then
  start=0
  for kb in $(seq 4000 1000 200000); do
    if bash -c "ulimit -v $kb; exec \"\$0\" --help" "$cli" >/dev/null 2>&1; then start=$kb; break; fi
  done
  for what in "demo --output d.png" "render photo.png r.png --objects 4000 --quality 2 --quiet" "effects" \
    "testcard t.bmp 1200x900" "convert photo.png c.bmp --resize 2000x1500"; do
    ok=1
    first=""
    for step in $(seq 0 2 24); do
      # shellcheck disable=SC2086
      limited "ulimit -v $((start + step * 1000))" $what
      if [ "$rc" -ne 0 ] && ! { [ "$rc" -eq 1 ] && one_line && printf '%s' "$err" | grep -q memory; }; then
        ok=0
        [ -z "$first" ] && first="$said"
      fi
    done
    said="$first"
    check "low memory: '${what%% *}' ends with one line about memory or succeeds, never a crash" test "$ok" -eq 1
  done
else
  printf 'skipped low-memory cases: a sanitizer build cannot run under an address-space limit\n'
fi

# 5: named pipes, devices.
mkfifo pipe.png pipe.dxf
for args in "identify pipe.png" "render pipe.png o.png" "convert pipe.png o.png" "demo pipe.png --output o.png"; do
  # shellcheck disable=SC2086
  run $args
  check "'${args%% *}' on a FIFO refused at once, naming what it is" failed_with 1 "named pipe (FIFO)"
done
run dxf-info pipe.dxf
check "dxf-info on a FIFO refused at once" test "$rc" -eq 1
run convert /dev/zero o.png
check "a character device refused" failed_with 1 "character device"

# 6: the photo is never the output.
cp photo.png v.png
ln -s v.png vlink.png
for out in v.png vlink.png; do
  run demo v.png --output "$out"
  check "demo refuses to write over its photo ($out)" failed_with 2 "is the input picture itself"
done
run convert v.png vlink.png
check "convert refuses to write over its input" failed_with 2 "is the input picture itself"
check "the photo is unchanged" cmp -s photo.png v.png

# 7, 14: the test card's save; the file-size limit.
echo "old card" >card.bmp
cp card.bmp card.before
limited "ulimit -f 100" testcard card.bmp 800x600
check "testcard on a full disk: told as File too large" failed_with 1 "File too large"
check "testcard on a full disk: the old card is intact" cmp -s card.bmp card.before
ln -s /dev/full full.bmp
run testcard full.bmp
check "testcard refuses to write into a device" failed_with 1 "not a regular file"
echo old >big.bmp
cp big.bmp big.before
limited "ulimit -f 50" render photo.png big.bmp --objects 50 --quiet
kept_and_told() { failed_with 1 "File too large" && cmp -s big.bmp big.before; }
check "render beyond the file-size limit: File too large, the old file intact" kept_and_told

# 8: what a killed save left.
echo partial >.~kept.png.Ab3dE9
touch -d '2 days ago' .~kept.png.Ab3dE9
"$cli" convert photo.png kept.png
check "the next save removes a killed save's leftover older than a day" test ! -e .~kept.png.Ab3dE9

# 9: a JPEG cut mid-scan that still ends with its end marker: read as far
# as it goes, with one warning line in the decoder's words.
size=$(stat -c %s photo.jpg)
{ head -c $((size / 2)) photo.jpg; printf '\377\331'; } >cut.jpg
run convert cut.jpg o.png
painted_with_word() { [ "$rc" -eq 0 ] && one_line && printf '%s' "$err" | grep -q "premature end.*rows are missing"; }
check "a JPEG cut mid-scan with its end marker is read with a warning" painted_with_word

# 10: decompression bombs.
rle8_bmp 1 400000000 >tall.bmp
rle8_bmp 20000 20000 >square.bmp
for bomb in tall.bmp square.bmp; do
  run render "$bomb" o.png --quiet
  check "bomb $bomb refused before allocating" failed_with 1 "far too few"
done

# 11, 12: shapes that draw nothing; layers that are off or frozen.
mkdir Nothing Plain Hidden
shape 0 CIRCLE 10 1 20 1 40 0 >Nothing/dot.dxf
run render photo.png o.png --effect Nothing
check "a collection whose shape draws nothing is refused with its own words" failed_with 1 "draws nothing"
shape "$(square 0 0.5)" >Plain/s.dxf
{ dxf 999 "$(printf '%0120d' 0)" 0 SECTION 2 TABLES 0 TABLE 2 LAYER 0 LAYER 2 OFF 62 -3 70 0 0 LAYER 2 FROZEN 62 5 \
    70 1 0 ENDTAB 0 ENDSEC 0 SECTION 2 ENTITIES
  square 0 0.5; square OFF 3; square FROZEN 2; dxf 0 ENDSEC 0 EOF; } >Hidden/s.dxf
# BMP files: they hold no recipe, whose hash of the drawings would differ.
"$cli" render photo.png plain.bmp --effect Plain --seed 3 --quiet
"$cli" render photo.png hidden.bmp --effect Hidden --seed 3 --quiet
check "entities on layers that are off or frozen are not drawn" cmp -s plain.bmp hidden.bmp

# 13: failed writes to standard output.
for args in "identify photo.png" "effects --json" "dxf-info Plain/s.dxf"; do
  # shellcheck disable=SC2086
  timeout 30 "$cli" $args >/dev/full 2>/dev/null
  status=$?
  check "'$args' into a full standard output ends with status 1" test "$status" -eq 1
done
timeout 30 "$cli" identify photo.png >&- 2>/dev/null
status=$?
check "identify with standard output closed ends with status 1" test "$status" -eq 1

# 15: messages that name the right cause.
mkdir Odd
cp Plain/s.dxf Odd/s.dxf
ln -s "$work/Odd/gone.dxf" Odd/dangling.dxf
ln -s /dev/zero Odd/zero.dxf
run render photo.png o.png --effect Odd --quiet
told_missing() { printf '%s' "$err" | grep -qF "dangling.dxf': No such file" && ! printf '%s' "$err" | grep -q "0 bytes"; }
check "a dangling shape link is told as missing, not as 0 bytes" told_missing
reason_given() {
  "$cli" dxf-info missing.dxf 2>/dev/null | grep -qF "cannot open DXF file missing.dxf: No such file or directory"
}
check "dxf-info gives the reason a file cannot be opened" reason_given
"$cli" testcard wide.png 70000x1 >/dev/null
run render wide.png o.jpg --timings --quiet
refused_first() { [ "$rc" -eq 1 ] && ! printf '%s' "$err" | grep -q phase && printf '%s' "$err" | grep -q "at most 65500"; }
check "an output too wide for JPEG is refused before the work" refused_first
run render "$(printf 'two\nlines.png')" o.png
check "a name with a line break stays on one line" failed_with 1 'two\nlines.png'

# 16: links and options.
mkdir real
ln -s real/made.png dangling-out.png
"$cli" convert photo.png dangling-out.png
made_through_link() { [ -L dangling-out.png ] && [ -f real/made.png ]; }
check "a dangling output link gets its target made and stays a link" made_through_link
cp Plain/s.dxf ./-minus.dxf
run dxf-info -- -minus.dxf
check "dxf-info takes --" test "$rc" -eq 0
run render photo.png o.png --seed ""
check "--seed \"\" is an error" failed_with 2 "--seed"

# Batches that write only what is theirs.
mkdir -p bout elsewhere d
echo mine >elsewhere/mine.png
ln -s "$work/elsewhere/mine.png" bout/photo.png
ln -s "$work/elsewhere/none.png" bout/photo2.png
cp photo.png photo2.png
"$cli" batch photo.png photo2.png --out bout --overwrite --quiet --objects 50 2>/dev/null
links_replaced() { [ "$(cat elsewhere/mine.png)" = mine ] && [ ! -e elsewhere/none.png ] && [ ! -L bout/photo.png ]; }
check "a batch replaces links in its folder, never what they point to" links_replaced
cp photo.png d/a.png
cp photo.jpg d/a.jpg
run batch d --out d --overwrite --quiet --objects 50
kept_photo() { [ "$rc" -eq 1 ] && cmp -s photo.png d/a.png && printf '%s' "$err" | grep -qF "would replace the photo"; }
check "a batch never paints over one of its photos" kept_photo
"$cli" batch d --out d --name '{stem}-glass.{ext}' --quiet --objects 50 2>/dev/null
"$cli" batch d --out d --name '{stem}-glass.{ext}' --quiet --objects 50 2>/dev/null
check "a rerun never paints the pictures of the run before" test ! -e d/a-glass-glass.png
echo partial >".~photo.png.p999999.Ab3dE9"
touch -d '1 minute ago' ".~photo.png.p999999.Ab3dE9"
"$cli" convert photo.png photo-copy.png
check "a killed save's file, locked by no one, goes at the next save" test ! -e ".~photo.png.p999999.Ab3dE9"
"$cli" batch d --out shards --shard 0/2 --quiet --objects 50 2>/dev/null
run batch d --out shards --check --objects 50
check "the check after the shards names the photo without picture" test "$rc" -eq 1
# Third round: recipes in named pipes, the pixel limit.
mkfifo pipe.brisol pipe.jpg
for args in "recipe pipe.brisol" "recipe pipe.jpg" "render photo.png o.png --recipe pipe.brisol"; do
  # shellcheck disable=SC2086
  run $args
  check "$args is refused without waiting" failed_with 1 "named pipe (FIFO)"
done
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
w = h = 20000
rows = zlib.compress(b'\0' * ((w + 7) // 8 * h + h), 9)
open('huge.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 1, 0, 0, 0, 0)) +
                           chunk(b'IDAT', rows) + chunk(b'IEND', b''))
PY
run convert huge.png o.bmp
check "a 49 KB PNG of 400 megapixels is refused at the pixel limit" failed_with 1 "--max-pixels N raises the limit"

printf '%d held, %d failed\n' "$held" "$failed"
[ "$failed" -eq 0 ]
