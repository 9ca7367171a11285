// zandrek-tool sound: the sample behind a speech id, as the game hands it to
// the wave output (through the Speech_item table, 8-bit data made unsigned),
// written as a WAV file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "presentation/sound.h"
#include "shell/platform_offscreen.h"
#include "tools/authoring/tool_game.h"
#include "tools/tool_commands.h"

namespace
{

const char SOUND_USAGE[] = "usage: zandrek-tool sound MAP ID -o OUT.wav\n"
                           "\n"
                           "Writes the sample that speech id ID (0 to 254) of the map plays, as a mono PCM WAV\n"
                           "file at the sample's own rate and width.\n";

void put_u16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v)
{
    put_u16(out, v & 0xFFFF);
    put_u16(out, v >> 16);
}

void put_tag(std::vector<uint8_t>& out, const char* tag)
{
    out.insert(out.end(), tag, tag + 4);
}

// RIFF WAVE: a 16-byte PCM fmt chunk, then the data chunk padded to even length.
std::vector<uint8_t> wav_bytes(const Offscreen_sound& sound)
{
    uint32_t length = static_cast<uint32_t>(sound.bytes.size());
    uint32_t bits = static_cast<uint32_t>(sound.bits);
    uint32_t block = bits / 8 ? bits / 8 : 1;
    std::vector<uint8_t> out;
    put_tag(out, "RIFF");
    put_u32(out, 4 + 8 + 16 + 8 + length + (length & 1));
    put_tag(out, "WAVE");
    put_tag(out, "fmt ");
    put_u32(out, 16);
    put_u16(out, 1); // PCM
    put_u16(out, 1); // mono
    put_u32(out, static_cast<uint32_t>(sound.rate));
    put_u32(out, static_cast<uint32_t>(sound.rate) * block);
    put_u16(out, block);
    put_u16(out, bits);
    put_tag(out, "data");
    put_u32(out, length);
    out.insert(out.end(), sound.bytes.begin(), sound.bytes.end());
    if (length & 1) out.push_back(0);
    return out;
}

} // namespace

int cmd_sound(int argc, char** argv)
{
    std::vector<const char*> positional;
    const char* output = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(SOUND_USAGE, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "-o") == 0 || std::strcmp(argv[i], "--output") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zandrek-tool sound: %s needs a value\n", argv[i]);
                return 1;
            }
            output = argv[++i];
            continue;
        }
        positional.push_back(argv[i]);
    }
    if (positional.size() != 2 || !output) {
        std::fputs(SOUND_USAGE, stderr);
        return 1;
    }
    char* end = nullptr;
    long id = std::strtol(positional[1], &end, 10);
    if (end == positional[1] || *end != '\0' || id < 0 || id > 254) {
        std::fprintf(stderr, "zandrek-tool sound: speech id must be 0 to 254, not '%s'\n", positional[1]);
        return 1;
    }

    Tool_game game;
    if (open_tool_game(game, positional[0]) != 0) {
        std::fprintf(stderr, "zandrek-tool sound: %s\n", game.error.c_str());
        return 1;
    }
    Game_state& state = game.state;
    if (static_cast<size_t>(id) >= state.speech_items.size()) {
        std::fprintf(stderr, "zandrek-tool sound: the map has speech ids 0 to %d only\n",
                     static_cast<int>(state.speech_items.size()) - 1);
        return 1;
    }
    const Speech_item& item = state.speech_items[static_cast<size_t>(id)];
    if (!(item.flags & 1)) {
        std::fprintf(stderr, "zandrek-tool sound: speech id %ld is not a sampled sound\n", id);
        return 1;
    }
    play_speech_item(state, static_cast<uint8_t>(id));
    if (offscreen().sounds.empty()) {
        std::fprintf(stderr, "zandrek-tool sound: the sample of speech id %ld (sample %d) cannot be read\n", id,
                     item.sample);
        return 1;
    }
    const Offscreen_sound& sound = offscreen().sounds.back();
    std::vector<uint8_t> bytes = wav_bytes(sound);
    FILE* file = std::fopen(output, "wb");
    bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) written = false;
    if (!written) {
        std::fprintf(stderr, "zandrek-tool sound: cannot write %s\n", output);
        return 1;
    }
    std::printf("%s: %lu bytes of %d-bit samples at %d per second\n", output,
                static_cast<unsigned long>(sound.bytes.size()), sound.bits, sound.rate);
    return 0;
}
