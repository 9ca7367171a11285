// Sound samples written as the pack's sample text, the inverse of
// decode_sample_line.
#pragma once

#include <cstdint>
#include <string>

// One sample as a number of the text: low five bits first, a character of
// value 32 or more closing it. Halving the accumulator gives the value back,
// its lowest bit the sign. With sample size 8 the reader multiplies by 256,
// so the sample is divided by 256 here.
std::string sample_number_text(int16_t sample, int sample_size);
