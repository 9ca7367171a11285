#include "tools/authoring/level_text.h"

#include "engine/pack_records.h"
#include "files/pack_reader.h"

std::string pack_text(const std::string& pack_name, const std::vector<Authored_level>& levels)
{
    std::string out = "Zandrek Pack\n";
    if (!pack_name.empty()) out += "Name: " + pack_name + "\n";
    for (const Authored_level& level : levels) {
        out += "\nLevel:\nName: " + level.name + "\n";
        for (const std::string& remark : level.remarks)
            out += remark + "\n";
        out += "Layout:\n";
        // Rows keep their leading spaces, which place the room on the board;
        // trailing spaces and empty rows below the room say nothing.
        size_t used = level.rows.size();
        while (used > 0 && level.rows[used - 1].find_first_not_of(' ') == std::string::npos)
            --used;
        for (size_t r = 0; r < used; ++r) {
            const std::string& row = level.rows[r];
            size_t last = row.find_last_not_of(' ');
            out += (last == std::string::npos ? std::string() : row.substr(0, last + 1)) + "\n";
        }
        out += "end\n";
        if (!level.solution.empty()) {
            out += "Solution:\n";
            // Sixty characters a line; the reader joins the lines again.
            for (size_t i = 0; i < level.solution.size(); i += 60)
                out += level.solution.substr(i, 60) + "\n";
            out += "end\n";
        }
        if (!level.about.empty()) {
            out += "About:\n";
            for (const std::string& line : level.about)
                out += line + "\n";
            out += "end\n";
        }
        out += "end\n";
    }
    return out;
}

std::unique_ptr<Pack_info> pack_of_level(const Authored_level& level)
{
    std::string text = pack_text("", {level});
    return read_pack_bytes(text.data(), text.size());
}
