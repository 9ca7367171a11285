#include "tools/authoring/pack_editing.h"

#include "tools/authoring/level_editor.h"

namespace
{

int refuse(std::string& problem, const std::string& why)
{
    problem = why;
    return -1;
}

bool has_level(const Authored_pack& pack, size_t position, std::string& problem)
{
    if (position < pack.levels.size()) return true;
    problem = "the pack has no level " + std::to_string(position + 1);
    return false;
}

} // namespace

Authored_pack new_pack()
{
    Authored_pack pack;
    pack.name = "New pack";
    pack.levels.push_back(blank_level());
    return pack;
}

int pack_add_level(Authored_pack& pack, size_t position, const Authored_level& level, std::string& problem)
{
    if (pack.levels.size() >= PACK_LEVEL_LIMIT)
        return refuse(problem, "a pack holds at most " + std::to_string(PACK_LEVEL_LIMIT) + " levels");
    if (position > pack.levels.size())
        return refuse(problem, "no place " + std::to_string(position + 1) + " in the pack");
    pack.levels.insert(pack.levels.begin() + static_cast<std::ptrdiff_t>(position), level);
    return 0;
}

int pack_remove_level(Authored_pack& pack, size_t position, std::string& problem)
{
    if (!has_level(pack, position, problem)) return -1;
    if (pack.levels.size() == 1) return refuse(problem, "a pack needs at least one level");
    pack.levels.erase(pack.levels.begin() + static_cast<std::ptrdiff_t>(position));
    return 0;
}

int pack_move_level(Authored_pack& pack, size_t from, size_t to, std::string& problem)
{
    if (!has_level(pack, from, problem) || !has_level(pack, to, problem)) return -1;
    Authored_level level = std::move(pack.levels[from]);
    pack.levels.erase(pack.levels.begin() + static_cast<std::ptrdiff_t>(from));
    pack.levels.insert(pack.levels.begin() + static_cast<std::ptrdiff_t>(to), std::move(level));
    return 0;
}

int pack_rename_level(Authored_pack& pack, size_t position, const std::string& name, std::string& problem)
{
    if (!has_level(pack, position, problem)) return -1;
    std::string why = name_problem(name);
    if (!why.empty()) return refuse(problem, why);
    pack.levels[position].name = name;
    return 0;
}

int pack_set_name(Authored_pack& pack, const std::string& name, std::string& problem)
{
    std::string why = name_problem(name);
    if (!why.empty()) return refuse(problem, why);
    pack.name = name;
    return 0;
}

int pack_set_about(Authored_pack& pack, const std::vector<std::string>& blocks, std::string& problem)
{
    std::vector<std::string> clean;
    for (const std::string& block : blocks) {
        clean.push_back(about_text(block));
        std::string why = about_problem(clean.back());
        if (!why.empty()) return refuse(problem, why);
    }
    pack.about = std::move(clean);
    return 0;
}
