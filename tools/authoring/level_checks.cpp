#include "tools/authoring/level_checks.h"

#include "engine/field.h"
#include "tools/authoring/level_text.h"
#include "tools/authoring/solver.h"

namespace
{

// Off the rows drawn, as off the grid, lies nothing: a space.
char cell_at(const std::vector<std::string>& rows, int row, int col)
{
    if (row < 0 || row >= static_cast<int>(rows.size())) return ' ';
    const std::string& r = rows[row];
    return col >= 0 && col < static_cast<int>(r.size()) ? r[col] : ' ';
}

std::string place(int cell)
{
    return "row " + std::to_string(cell / LEVEL_COLS + 1) + ", column " + std::to_string(cell % LEVEL_COLS + 1);
}

// A playing cell is open when a step across one of its sides leaves the
// walls: off the grid or onto a space.
bool is_open(const std::vector<std::string>& rows, int row, int col)
{
    const int steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& s : steps) {
        if (cell_at(rows, row + s[0], col + s[1]) == ' ') return true;
    }
    return false;
}

} // namespace

std::vector<Level_problem> level_problems(const std::vector<std::string>& rows)
{
    int zandreks = 0, treasures = 0, banks = 0;
    std::vector<int> zandrek_cells, open_cells;
    for (int r = 0; r < LEVEL_ROWS; ++r) {
        for (int c = 0; c < LEVEL_COLS; ++c) {
            char ch = cell_at(rows, r, c);
            int cell = r * LEVEL_COLS + c;
            if (is_zandrek_cell(ch)) {
                zandreks += 1;
                zandrek_cells.push_back(cell);
            }
            treasures += is_treasure_cell(ch);
            banks += is_bank_cell(ch);
            if (is_play_cell(ch) && is_open(rows, r, c)) open_cells.push_back(cell);
        }
    }
    std::vector<Level_problem> out;
    if (zandreks == 0) out.push_back({FAULT_ZANDREK_COUNT, "There is no Zandrek.", {}});
    if (zandreks > 1)
        out.push_back({FAULT_ZANDREK_COUNT,
                       "There are " + std::to_string(zandreks) + " Zandreks; a level has exactly one.", zandrek_cells});
    if (treasures == 0) out.push_back({FAULT_NO_TREASURE, "There is no treasure.", {}});
    if (treasures > banks)
        out.push_back(
            {FAULT_FEW_BANKS,
             "There are more treasures (" + std::to_string(treasures) + ") than banks (" + std::to_string(banks) + ").",
             {}});
    if (open_cells.size() == 1)
        out.push_back({FAULT_OPEN_CELL,
                       "The cell at " + place(open_cells[0]) + " is open: it lies on the border or beside a space.",
                       open_cells});
    if (open_cells.size() > 1)
        out.push_back({FAULT_OPEN_CELL,
                       std::to_string(open_cells.size()) +
                           " cells are open: they lie on the border or beside a space (the first at " +
                           place(open_cells[0]) + ").",
                       open_cells});
    return out;
}

std::vector<bool> level_dead_cells(const std::vector<std::string>& rows)
{
    // Only walls and banks matter to the pull search; the treasures and the
    // start are left out, so a layout with faults still gets its marks.
    Puzzle puzzle;
    for (int r = 0; r < LEVEL_ROWS; ++r) {
        for (int c = 0; c < LEVEL_COLS; ++c) {
            char ch = cell_at(rows, r, c);
            puzzle.wall[r * LEVEL_COLS + c] = !is_play_cell(ch);
            puzzle.bank[r * LEVEL_COLS + c] = is_bank_cell(ch);
        }
    }
    return dead_cells(puzzle);
}
