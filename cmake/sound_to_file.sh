# Sourced by test.sh and the whole-program tests: Wine's sound goes to ALSA,
# and ALSA's default device into a wav file, so a machine without a sound
# card still has a device to play on, and what it played can be read back.

# The prefix's setting, run in the prefix as a Windows program.
ALSA_DRIVER_SETTING=(reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f)

alsa_driver_set() {  # PREFIX
    grep -q -i '^"Audio"="alsa"' "$1/user.reg" 2>/dev/null
}

sound_to_file() {  # HOME WAV
    mkdir -p "$1"
    printf 'pcm.!default {\n type file\n slave.pcm "null"\n file "%s"\n format "wav"\n}\n' "$2" >"$1/.asoundrc"
}
