// How the generator carves a room: a rectangle, a notched corner, bays
// standing in from the outer wall and wall pieces, all mirrored by the
// room's symmetry but now and then one piece; then specks go and only the
// largest floor area stays.
#include "tools/authoring/room_carving.h"

#include <algorithm>

#include "tools/authoring/level_text.h"

namespace
{

// Wall pieces set into a room, drawn row by row, '/' ending a row. None is
// a single cell, so no wall stands alone as a speck.
const char* const PIECES[] = {"##", "#/#", "###", "#/#/#", "##/#", "##/-#", "##/##", "#/#/##", "###/-#", "###/###"};

// How a room repeats itself: mirrored left to right, top to bottom, both, or
// turned half round.
enum Symmetry { SYM_LEFT_RIGHT, SYM_TOP_BOTTOM, SYM_BOTH, SYM_HALF_TURN, SYM_COUNT };

// Walls `cell` and the cells the symmetry pairs with it.
void set_wall(std::vector<std::string>& g, int r, int c, Symmetry sym)
{
    const int R = static_cast<int>(g.size()), C = static_cast<int>(g[0].size());
    if (r <= 0 || c <= 0 || r >= R - 1 || c >= C - 1) return;
    g[r][c] = '#';
    if (sym == SYM_LEFT_RIGHT || sym == SYM_BOTH) g[r][C - 1 - c] = '#';
    if (sym == SYM_TOP_BOTTOM || sym == SYM_BOTH) g[R - 1 - r][c] = '#';
    if (sym == SYM_BOTH || sym == SYM_HALF_TURN) g[R - 1 - r][C - 1 - c] = '#';
}

// Each play cell's area, its cells joined side by side, numbered in reading
// order; -1 for every other cell. `sizes`, when given, gets each area's cell
// count.
std::vector<int> label_areas(const std::vector<std::string>& g, std::vector<int>* sizes)
{
    const int R = static_cast<int>(g.size()), C = static_cast<int>(g[0].size());
    std::vector<int> label(R * C, -1);
    int next_area = 0;
    for (int start = 0; start < R * C; ++start) {
        if (!is_play_cell(g[start / C][start % C]) || label[start] >= 0) continue;
        const int area = next_area++;
        std::vector<int> queue{start};
        label[start] = area;
        for (size_t i = 0; i < queue.size(); ++i) {
            int c = queue[i];
            for (int n : {c - C, c + C, c - 1, c + 1}) {
                if (n < 0 || n >= R * C || label[n] >= 0 || !is_play_cell(g[n / C][n % C])) continue;
                if ((n == c - 1 || n == c + 1) && n / C != c / C) continue;
                label[n] = area;
                queue.push_back(n);
            }
        }
        if (sizes) sizes->push_back(static_cast<int>(queue.size()));
    }
    return label;
}

void wall_all_but(std::vector<std::string>& g, const std::vector<int>& label, int area)
{
    const int C = static_cast<int>(g[0].size());
    for (size_t c = 0; c < label.size(); ++c)
        if (label[c] >= 0 && label[c] != area) g[c / C][c % C] = '#';
}

} // namespace

void keep_largest_area(std::vector<std::string>& g)
{
    std::vector<int> sizes;
    const std::vector<int> label = label_areas(g, &sizes);
    wall_all_but(g, label, static_cast<int>(std::max_element(sizes.begin(), sizes.end()) - sizes.begin()));
}

void keep_area_of(std::vector<std::string>& g, int row, int col)
{
    const std::vector<int> label = label_areas(g, nullptr);
    wall_all_but(g, label, label[row * static_cast<int>(g[0].size()) + col]);
}

void drop_specks(std::vector<std::string>& g)
{
    const int R = static_cast<int>(g.size()), C = static_cast<int>(g[0].size());
    for (int r = 1; r < R - 1; ++r)
        for (int c = 1; c < C - 1; ++c)
            if (g[r][c] == '#' && g[r - 1][c] != '#' && g[r + 1][c] != '#' && g[r][c - 1] != '#' && g[r][c + 1] != '#')
                g[r][c] = '-';
}

// A room that looks built: a symmetric outline with notched corners and bays,
// wall pieces set in pairs by the symmetry, now and then one piece more on
// one side only.
std::vector<std::string> carve_room(int R, int C, Generator_random& rng)
{
    std::vector<std::string> g(R, std::string(C, '#'));
    for (int r = 1; r < R - 1; ++r)
        for (int c = 1; c < C - 1; ++c)
            g[r][c] = '-';
    const Symmetry sym = static_cast<Symmetry>(rng.below(SYM_COUNT));
    const int ih = R - 2, iw = C - 2;
    if (rng.below(3) != 0) {
        int h = 1 + rng.below(std::max(1, ih / 3)), w = 1 + rng.below(std::max(1, iw / 3));
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                set_wall(g, 1 + r, 1 + c, SYM_BOTH);
    }
    // Bays: blocks standing in from the outer wall.
    for (int bays = rng.below(3); bays > 0; --bays) {
        int len = 2 + rng.below(3), depth = 1 + rng.below(2);
        if (rng.below(2)) {
            int c0 = 1 + rng.below(std::max(1, iw - len));
            for (int c = c0; c < c0 + len; ++c)
                for (int r = 1; r <= depth; ++r)
                    set_wall(g, r, c, sym);
        } else {
            int r0 = 1 + rng.below(std::max(1, ih - len));
            for (int r = r0; r < r0 + len; ++r)
                for (int c = 1; c <= depth; ++c)
                    set_wall(g, r, c, sym);
        }
    }
    const int pieces = static_cast<int>(sizeof PIECES / sizeof PIECES[0]);
    auto set_piece = [&](const char* piece, Symmetry how) {
        const int r0 = 1 + rng.below(ih), c0 = 1 + rng.below(iw);
        for (int r = 0, c = 0; *piece; ++piece) {
            if (*piece == '/') {
                ++r;
                c = 0;
                continue;
            }
            if (*piece == '#') set_wall(g, r0 + r, c0 + c, how);
            ++c;
        }
    };
    // Rooms with a fifth to two fifths of their inside walled: open halls
    // make long hauls, not puzzles.
    auto walls_inside = [&] {
        int n = 0;
        for (int r = 1; r < R - 1; ++r)
            n += static_cast<int>(std::count(g[r].begin() + 1, g[r].end() - 1, '#'));
        return n;
    };
    const int target = ih * iw * (20 + rng.below(20)) / 100;
    for (int tries = 0; tries < 200 && walls_inside() < target; ++tries)
        set_piece(PIECES[rng.below(pieces)], sym);
    if (rng.below(3) == 0) set_piece(PIECES[rng.below(pieces)], SYM_COUNT);
    drop_specks(g);
    keep_largest_area(g);
    return g;
}
