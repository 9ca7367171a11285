// zandrek-tool map: what a map file holds, and what the game says reading it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/game_state.h"
#include "files/map_file.h"
#include "shell/platform_offscreen.h"
#include "tools/tool_commands.h"

namespace
{

const char MAP_USAGE[] = "usage: zandrek-tool map MAPFILE\n"
                         "\n"
                         "Reads a map file with the game's own reader, prints every message the game\n"
                         "would show while reading it, then a summary: levels, boards, images, tiles,\n"
                         "idle-animation sequences, speech items, samples and the three texts. Exits 1\n"
                         "when the game would refuse the map, 0 when it reads.\n"
                         "\n"
                         "options:\n"
                         "  --help           show this text\n";

// Texts on one line each, as they would show in a title bar.
std::string one_line(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

void print_summary(Game_state& state)
{
    const Map_header& m = state.map;
    std::printf("levels: %d\n", m.num_levels);
    long boards = m.record_size > 0 ? static_cast<long>(state.flds_length / static_cast<uint32_t>(m.record_size)) : 0;
    std::printf("boards: %ld of %d bytes (%ld special)\n", boards, m.record_size, boards - m.num_levels);
    long images = m.image_size > 0 ? static_cast<long>(state.imgs_length / static_cast<uint32_t>(m.image_size)) : 0;
    std::printf("images: %ld of %d bytes, tiles %d x %d\n", images, m.image_size, state.tile_info.width,
                state.tile_info.height);
    std::printf("tiles: %zu\n", state.tile_table.size());
    std::printf("player images:");
    for (int slot : {14, 15, 17, 20, 21, 23, 24})
        std::printf(" %d", tile_info_slot(state.tile_info, slot));
    std::printf("\n");
    int sequences = state.fidget.sequence_count;
    std::printf("fidget sequences: %d\n", sequences);
    for (int s = 0; s < sequences && s < FIDGET_SEQUENCES; ++s) {
        std::printf("  %d:", s);
        for (int f = 0; f < FIDGET_FRAMES && state.fidget.sequences[s][f] != FIDGET_END; ++f)
            std::printf(" %d", state.fidget.sequences[s][f]);
        std::printf("\n");
    }
    size_t sampled = 0;
    for (const Speech_item& item : state.speech_items)
        sampled += item.flags & 1;
    std::printf("speech items: %zu (%zu sampled)\n", state.speech_items.size(), sampled);
    std::printf("speech ids: step %d, push %d, corner %d, undo %d, leave title %d, refused %d, first level %d\n",
                speech_info_id(state.speech_info, SPEECH_STEP), speech_info_id(state.speech_info, SPEECH_PUSH),
                speech_info_id(state.speech_info, SPEECH_CORNER), speech_info_id(state.speech_info, SPEECH_UNDO),
                speech_info_id(state.speech_info, SPEECH_LEAVE_TITLE),
                speech_info_id(state.speech_info, SPEECH_REFUSED),
                speech_info_id(state.speech_info, SPEECH_FIRST_LEVEL));
    std::printf("samples: %zu (Speech_info says %d)\n", state.samples.size(), state.speech_info.num_samples);
    for (size_t i = 0; i < state.samples.size(); ++i) {
        Sample_info& s = state.samples[i];
        if (!map_sample_fits(state, s)) {
            std::printf("  %zu: offset %u, length %d: outside the sample data\n", i, s.offset, s.length);
            continue;
        }
        std::vector<uint8_t> data(static_cast<size_t>(s.length));
        read_map_sample(state, s, data.data());
        std::printf("  %zu: %u Hz, %u bits, %d bytes\n", i, s.rate_word, s.bits & 0xFFFF, s.length);
    }
    std::printf("cpyr: %s\n", one_line(state.cpyr_text).c_str());
    std::printf("prog: %s\n", one_line(state.prog_text).c_str());
    std::printf("arts: %s\n", one_line(state.arts_text).c_str());
}

} // namespace

int cmd_map(int argc, char** argv)
{
    const char* path = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(MAP_USAGE, stdout);
            return 0;
        }
        if (path || argv[i][0] == '-') {
            std::fputs(MAP_USAGE, stderr);
            return 1;
        }
        path = argv[i];
    }
    if (!path) {
        std::fputs(MAP_USAGE, stderr);
        return 1;
    }
    offscreen_reset();
    auto state = std::make_unique<Game_state>();
    state->map_file_name = path;
    File_diagnostics diagnostics;
    int result = read_map_file(*state, diagnostics);
    for (const File_diagnostic& d : diagnostics)
        std::printf("message: %s\n", one_line(d.text).c_str());
    if (result != 0) {
        std::printf("the game would refuse this map\n");
        return 1;
    }
    print_summary(*state);
    return 0;
}
