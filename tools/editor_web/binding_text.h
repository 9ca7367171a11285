// What the editor's bindings hand to the page: answers as JSON text in one
// buffer that lives until the next answer, and files through the module's
// file system.
#pragma once

#include <string>
#include <vector>

// The buffer the page reads with UTF8ToString; overwritten by the next call.
const char* answer(const std::string& text);
std::string json_string(const std::string& text);
std::string json_strings(const std::vector<std::string>& texts);
// Whole file as bytes; empty when unreadable.
std::string file_bytes(const char* path);
int write_file(const char* path, const std::string& bytes);
// About blocks as one text: blocks apart by a line holding ABOUT_BLOCK_BREAK.
constexpr const char* ABOUT_BLOCK_BREAK = "~~";
std::vector<std::string> about_blocks(const std::string& typed);
std::string about_typed(const std::vector<std::string>& blocks);
