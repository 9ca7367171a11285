#include "tools/authoring/sample_text.h"

namespace
{

constexpr char SAMPLE_DIGITS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr uint32_t DIGIT_BITS = 5;
constexpr uint32_t DIGIT_MASK = 31;
constexpr uint32_t LAST_DIGIT = 32;

} // namespace

std::string sample_number_text(int16_t sample, int sample_size)
{
    // An 8-bit sample was read as a multiple of 256, so the division is exact.
    int32_t value = sample_size == 8 ? sample / 256 : sample;
    uint32_t accumulator = value < 0 ? static_cast<uint32_t>(-value) * 2 + 1 : static_cast<uint32_t>(value) * 2;
    std::string out;
    while (accumulator > DIGIT_MASK) {
        out += SAMPLE_DIGITS[accumulator & DIGIT_MASK];
        accumulator >>= DIGIT_BITS;
    }
    out += SAMPLE_DIGITS[accumulator | LAST_DIGIT];
    return out;
}
