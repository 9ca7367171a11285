#!/usr/bin/env bash
# Makes every sound of Zandrek.map: Zandrek's lines with espeak-ng and the
# effects with sox (both from Debian). All come out the same way, mono
# unsigned 8-bit PCM at 11025 Hz, so the game never reopens its wave device;
# zandrek-tool build-map stores them signed. The WAV files are committed, so
# building the map needs neither program; run this to make them again.
set -euo pipefail
cd "$(dirname "$0")"

RATE=11025
OUT=(-r "$RATE" -c 1 -b 8 -e unsigned-integer)
# Zandrek: a cheerful, slightly grand explorer of the old school.
VOICE=(-v en-gb-x-rp+m3 -p 58 -s 148 -a 160)
# -R keeps sox's dither and noise the same on every run.
SOX=(sox -R -V1)

speak() { # NAME TEXT
    local name=$1 text=$2 raw=/tmp/zandrek-voice-$$.wav trimmed=/tmp/zandrek-trimmed-$$.wav
    local faded=/tmp/zandrek-faded-$$.wav
    espeak-ng "${VOICE[@]}" -w "$raw" "$text"
    # Silence trimmed at both ends, no clicks where the sound starts and
    # stops, then a touch of stone-vault echo. Three passes, because a fade
    # must know the length that trimming leaves.
    "${SOX[@]}" "$raw" "$trimmed" silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse
    "${SOX[@]}" "$trimmed" "$faded" gain -3 highpass 120 fade t 0.01 0 0.03
    "${SOX[@]}" "$faded" "${OUT[@]}" "$name.wav" compand 0.02,0.2 -60,-50,-30,-14,0,-6 -3 reverb 18 50 35 rate 11025 norm -1
    rm -f "$raw" "$trimmed" "$faded"
}

effect() { # NAME SOX-ARGUMENTS...
    local name=$1
    shift
    "${SOX[@]}" -n "${OUT[@]}" "$name.wav" "$@"
}

# Speech, one line an occasion.
speak greeting "Greetings! Zandrek, treasure hunter, at your service."
speak tallyho "Tally ho!"
speak solved "Splendid! Another vault, cleared."
speak corner "Oh dear. That one is stuck fast."
speak refused "Not so fast! Crack this vault first."
speak first "This is the very first vault. Onwards and upwards!"
speak help "Need a hand, old chap?"
speak about "Zandrek, at your service."
speak bravo "Oh, I say. Bravo!"
speak cheer "Jumping jehosephat! We are rich!"

# Effects.
# A soft footfall on stone.
effect step synth 0.06 brownnoise lowpass 900 fade q 0.004 0.06 0.05 gain -6 norm -9
# Treasure dragged a cell: a gritty scrape with a low thump.
effect push synth 0.16 brownnoise synth 0.16 sine amod 55 lowpass 1400 fade q 0.01 0.16 0.08 norm -4
# Undo: a quick falling swish.
effect undo synth 0.22 pinknoise synth 0.22 sine fmod 1800-300 lowpass 2500 fade q 0.02 0.22 0.1 norm -5
# Notes one after another: NAME WAVE LENGTH:NOTE... -- EFFECTS...
tune() {
    local name=$1 wave=$2 parts=() k=0
    shift 2
    while [ "$1" != "--" ]; do
        "${SOX[@]}" -n -r "$RATE" -c 1 -b 16 "/tmp/zandrek-note-$$-$k.wav" synth "${1%%:*}" "$wave" "${1##*:}"
        parts+=("/tmp/zandrek-note-$$-$k.wav")
        k=$((k + 1))
        shift
    done
    shift
    "${SOX[@]}" "${parts[@]}" "${OUT[@]}" "$name.wav" "$@"
    rm -f "${parts[@]}"
}

# A treasure settles on its bank: two bright bell notes.
tune banked pluck 0.09:E6 0.3:B6 -- fade q 0.005 0 0.2 norm -3
# A level begins: a rising three-note call.
tune begin pluck 0.11:C5 0.11:E5 0.11:G5 0.35:C6 -- fade q 0.005 0 0.25 reverb 20 norm -3
# The finale: a brassy major fanfare.
tune fanfare square 0.14:C5 0.14:E5 0.14:G5 0.3:C6 0.12:G5 0.7:C6 -- \
    lowpass 2800 fade q 0.01 0 0.4 reverb 30 norm -3
# The finale draws at once and plays its second sound over the first, so
# that one holds both: the fanfare, then the cheer.
"${SOX[@]}" fanfare.wav cheer.wav finale.wav
rm cheer.wav
