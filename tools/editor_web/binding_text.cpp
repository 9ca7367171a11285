#include "tools/editor_web/binding_text.h"

#include <cstdio>

#include "tools/authoring/level_text.h"

const char* answer(const std::string& text)
{
    static std::string kept;
    kept = text;
    return kept.c_str();
}

std::string json_string(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string json_strings(const std::vector<std::string>& texts)
{
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i)
        out += (i ? "," : "") + json_string(texts[i]);
    return out + "]";
}

std::string file_bytes(const char* path)
{
    std::string bytes;
    FILE* f = std::fopen(path, "rb");
    if (!f) return bytes;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

int write_file(const char* path, const std::string& bytes)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) return -1;
    bool whole = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && whole ? 0 : -1;
}

std::vector<std::string> about_blocks(const std::string& typed)
{
    std::vector<std::string> blocks;
    std::string block, line;
    const std::string text = about_text(typed);
    for (char c : text) {
        line += c;
        if (c != '\n') continue;
        if (line == std::string(ABOUT_BLOCK_BREAK) + "\n") {
            blocks.push_back(block);
            block.clear();
        } else {
            block += line;
        }
        line.clear();
    }
    if (!block.empty()) blocks.push_back(block);
    std::vector<std::string> kept;
    for (const std::string& b : blocks)
        if (!b.empty()) kept.push_back(b);
    return kept;
}

std::string about_typed(const std::vector<std::string>& blocks)
{
    std::string out;
    for (size_t i = 0; i < blocks.size(); ++i)
        out += (i ? std::string(ABOUT_BLOCK_BREAK) + "\n" : "") + blocks[i];
    return out;
}
