#include "files/tile_sound_reader.h"

#include <algorithm>
#include <string_view>

#include "engine/pack_records.h"
#include "files/line_io.h"

namespace
{

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One pixel field: an optional sign and digits, anything else in the field
// skipped; values outside a palette index read as 0.
uint8_t take_pixel(std::string_view line, size_t& i)
{
    size_t n = line.size();
    while (i < n && is_blank(line[i]))
        ++i;
    bool negative = false;
    size_t j = i;
    if (j < n && (line[j] == '+' || line[j] == '-')) negative = line[j++] == '-';
    long value = 0;
    for (; j < n && line[j] >= '0' && line[j] <= '9'; ++j)
        value = std::min(value * 10 + (line[j] - '0'), 1000L);
    if (negative) value = -value;
    while (i < n && !is_blank(line[i]))
        ++i;
    // A negative value turns huge, so one test keeps both ends.
    return static_cast<unsigned long>(value) > 255 ? 0 : static_cast<uint8_t>(value);
}

bool read_imagery(Pack_tile& tile, Line_source& source)
{
    int64_t count = static_cast<int64_t>(tile.width) * tile.height;
    bool keep = tile.width > 0 && tile.height > 0 && count <= TILE_PIXEL_LIMIT;
    tile.pixels.clear();
    if (keep) tile.pixels.assign(static_cast<size_t>(count), 0);
    for (int row = 0;; ++row) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends inside an Imagery block";
            return false;
        }
        line = strip_line_end(line);
        if (line == "end") return true;
        if (!keep || row >= tile.height) continue;
        size_t i = 0;
        uint8_t* out = tile.pixels.data() + static_cast<size_t>(row) * tile.width;
        for (int x = 0; x < tile.width; ++x)
            out[x] = take_pixel(line, i);
    }
}

bool read_data(Pack_sound& sound, Line_source& source)
{
    bool keep = sound.num_samples > 0 && sound.num_samples <= SOUND_SAMPLE_LIMIT;
    sound.samples.clear();
    if (keep) sound.samples.assign(static_cast<size_t>(sound.num_samples), 0);
    int count = 0;
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends inside a Data block";
            return false;
        }
        line = strip_line_end(line);
        if (line == "end") return true;
        if (keep)
            decode_sample_line(line, sound.sample_size, sound.samples.data(), static_cast<int>(sound.samples.size()),
                               &count);
    }
}

bool number_line(std::string_view keyword, std::string_view line, int* value, Line_source& source)
{
    if (scan_number_after(keyword, line, value)) return true;
    source.failure = "a size line holds no number";
    return false;
}

} // namespace

void decode_sample_line(std::string_view line, int sample_size, int16_t* samples, int capacity, int* count)
{
    uint32_t accumulator = 0;
    int bit = 0;
    for (char c : line) {
        if (*count >= capacity) return;
        int digit;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            digit = c - '0' + 52;
        else if (c == '-')
            digit = 62;
        else if (c == '_')
            digit = 63;
        else
            continue;
        // Past 30 bits a number has no meaning; its extra digits are shifted out.
        if (bit < 32) accumulator |= static_cast<uint32_t>(digit & 31) << bit;
        bit += 5;
        if (digit < 32) continue;
        int32_t half = static_cast<int32_t>(accumulator >> 1);
        int32_t value = (accumulator & 1) ? -half : half;
        if (sample_size == 8) value = static_cast<int32_t>(static_cast<uint32_t>(value) * 256u);
        samples[(*count)++] = static_cast<int16_t>(static_cast<uint16_t>(value));
        accumulator = 0;
        bit = 0;
    }
}

bool read_tile(Pack_tile& tile, Line_source& source)
{
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends before the tile's end line";
            return false;
        }
        line = strip_line_end(line);
        if (starts_with("end", line)) break;
        if (starts_with("Name:", line)) {
            take_rest_of_line(tile.name, line);
        } else if (starts_with("Width:", line)) {
            if (!number_line("Width:", line, &tile.width, source)) return false;
        } else if (starts_with("Height:", line)) {
            if (!number_line("Height:", line, &tile.height, source)) return false;
        } else if (starts_with("Imagery:", line)) {
            if (!read_imagery(tile, source)) return false;
        }
    }
    // Sizes changed after the picture leave a buffer that fits neither; the
    // tile then has no picture rather than a wrong one.
    if (static_cast<int64_t>(tile.pixels.size()) != static_cast<int64_t>(tile.width) * tile.height) tile.pixels.clear();
    return true;
}

bool read_sound(Pack_sound& sound, Line_source& source)
{
    for (;;) {
        std::string_view line = read_line(source, RECORD_LINE_LIMIT);
        if (line_source_failed(source)) {
            source.failure = "the file ends before the sound's end line";
            return false;
        }
        line = strip_line_end(line);
        if (starts_with("end", line)) break;
        if (starts_with("Name:", line)) {
            take_rest_of_line(sound.name, line);
        } else if (starts_with("Speed:", line)) {
            if (!number_line("Speed:", line, &sound.speed, source)) return false;
        } else if (starts_with("SampleSize:", line)) {
            if (!number_line("SampleSize:", line, &sound.sample_size, source)) return false;
            if (sound.sample_size != 8) sound.sample_size = 16;
        } else if (starts_with("NumSamples:", line)) {
            if (!number_line("NumSamples:", line, &sound.num_samples, source)) return false;
        } else if (starts_with("Data:", line)) {
            if (!read_data(sound, source)) return false;
        }
    }
    if (static_cast<int64_t>(sound.samples.size()) != sound.num_samples) sound.samples.clear();
    return true;
}
