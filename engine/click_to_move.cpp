#include "engine/click_to_move.h"

#include <array>
#include <cstdint>
#include <cstdlib>

#include "engine/events.h"
#include "engine/game_state.h"
#include "engine/move_rules.h"

namespace
{

constexpr int WALK_PERIOD_US = 50000;
constexpr int WALK_FRAME_TICKS = 3; // a frame advances on the tick after this many

struct Offset {
    int dx, dy;
};
// Indexed by direction; the search tries them in this order.
constexpr Offset OFFSETS[4] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
constexpr int32_t STEP_CODES[4] = {CODE_UP, CODE_DOWN, CODE_LEFT, CODE_RIGHT};
// A board's cells with a blocked border all round, (rows + 2) x (columns + 2),
// is largest for a single row of FIELD_MAX_CELLS; it also bounds the nodes of
// either search.
constexpr int PADDED_MAX = 3 * FIELD_MAX_CELLS + 6;

bool is_free_at(const Field_info& board, int column, int row)
{
    return board_has_cell(board, column, row) && is_free_kind(board.cells[row * board.columns + column].content);
}

bool is_treasure_at(const Field_info& board, int column, int row)
{
    return board_has_cell(board, column, row) && is_treasure_kind(board.cells[row * board.columns + column].content);
}

// Only the next cell and, for a push, the one beyond it are looked at; the
// rest of the line to the target does not matter.
bool can_step(const Field_info& board, int column, int row, int direction)
{
    int nx = column + OFFSETS[direction].dx, ny = row + OFFSETS[direction].dy;
    if (is_free_at(board, nx, ny)) return true;
    return is_treasure_at(board, nx, ny) && is_free_at(board, nx + OFFSETS[direction].dx, ny + OFFSETS[direction].dy);
}

int step_if_possible(const Field_info& board, int column, int row, int direction)
{
    return can_step(board, column, row, direction) ? direction : STEP_NONE;
}

bool on_grid(const Field_info& board, Cell_pos pos)
{
    return board_has_cell(board, cell_pos_column(pos), cell_pos_row(pos));
}

void on_walk_timer(Game_state& state, uint32_t)
{
    walk_tick(state);
}

// Every fifth tick the walking sequence (the last fidget sequence) shows its
// next frame; the first frame a walk shows is entry 1.
void animate_walk(Game_state& state)
{
    int before = state.walk_ticks++;
    if (before <= WALK_FRAME_TICKS) return;
    state.walk_ticks = 0;
    int count = state.fidget.sequence_count;
    if (count < 1 || count > FIDGET_SEQUENCES) return; // a map without a walking sequence
    const uint16_t* sequence = state.fidget.sequences[count - 1];
    state.walk_frame = static_cast<int16_t>((state.walk_frame + 1) % FIDGET_FRAMES);
    if (sequence[state.walk_frame] == FIDGET_END) state.walk_frame = 0;
    uint16_t tile = sequence[state.walk_frame];
    if (tile != FIDGET_END) draw_tile(state, player_pos(state.play_board), tile);
}

int choose_step(Game_state& state, Cell_pos target, Cell_pos player)
{
    if (state.walk_prefer_path) {
        int d = path_step(state, target, player);
        if (d != STEP_NONE) return d;
        d = straight_step(state, target, player);
        if (d != STEP_NONE) state.walk_prefer_path = false;
        return d;
    }
    int d = straight_step(state, target, player);
    if (d != STEP_NONE) return d;
    d = path_step(state, target, player);
    if (d != STEP_NONE) state.walk_prefer_path = true;
    return d;
}

} // namespace

Cell_pos pointer_cell(const Game_state& state)
{
    // A tile size from a damaged map can be anything, so the arithmetic is wide.
    const int64_t cell_w = static_cast<int64_t>(state.tile_info.width) * state.magnify;
    const int64_t cell_h = static_cast<int64_t>(state.tile_info.height) * state.magnify;
    if (cell_w <= 0 || cell_h <= 0) return make_cell_pos(-1, -1);
    // Truncating division: a pointer less than one cell left of or above the
    // window still lands in column or row 0.
    const int64_t column = state.last_pointer_x / cell_w, row = state.last_pointer_y / cell_h;
    if (column < INT16_MIN || column > INT16_MAX || row < INT16_MIN || row > INT16_MAX) return make_cell_pos(-1, -1);
    return make_cell_pos(static_cast<int>(column), static_cast<int>(row));
}

void cell_pointer(const Game_state& state, int column, int row, int32_t* x, int32_t* y)
{
    const int64_t cell_w = static_cast<int64_t>(state.tile_info.width) * state.magnify;
    const int64_t cell_h = static_cast<int64_t>(state.tile_info.height) * state.magnify;
    *x = static_cast<int32_t>(column * cell_w + cell_w / 2);
    *y = static_cast<int32_t>(row * cell_h + cell_h / 2);
}

void walk_start(Game_state& state, bool shift)
{
    if (state.mode != MODE_PLAY) {
        walk_stop(state);
        return;
    }
    state.walk_frame = 0;
    state.walk_sticky = shift;
    state.walk_ticks = 0;
    if (shift) {
        state.walk_prefer_path = false;
    } else {
        Cell_pos t = pointer_cell(state);
        state.walk_prefer_path = is_free_at(state.play_board, cell_pos_column(t), cell_pos_row(t));
    }
    if (state.walk_timer)
        state.walk_timer->restart();
    else
        state.walk_timer = std::make_unique<Periodic_timer>(state, 0, WALK_PERIOD_US, on_walk_timer, 0);
    set_walk_cursor(true);
}

void walk_stop(Game_state& state)
{
    state.walk_sticky = false;
    if (state.walk_timer) state.walk_timer->stop();
    set_walk_cursor(false);
}

int walk_tick(Game_state& state)
{
    if (state.mode != MODE_PLAY) {
        if (state.walk_timer) state.walk_timer->stop();
        return STEP_NONE;
    }
    if (!state.walk_timer || !state.walk_timer->running()) return STEP_NONE;

    Cell_pos player = player_pos(state.play_board);
    Cell_pos target = pointer_cell(state);
    // The mouse is captured during a walk, so the pointer may be far outside
    // the board; such a target gives no step.
    int d = on_grid(state.play_board, target) ? choose_step(state, target, player) : STEP_NONE;

    animate_walk(state);
    if (d >= DIR_UP && d <= DIR_RIGHT) {
        handle_event(state, Game_event{EVENT_KEY, STEP_CODES[d], 0, 0, 0});
    } else {
        d = STEP_NONE;
    }
    fidget_reset(state);
    return d;
}

namespace
{

// The way from the player's column to another column, or row to another row.
int across(int from, int to)
{
    return to < from ? DIR_LEFT : DIR_RIGHT;
}
int along(int from, int to)
{
    return to < from ? DIR_UP : DIR_DOWN;
}

} // namespace

int straight_step(const Game_state& state, Cell_pos target, Cell_pos player)
{
    const Field_info& board = state.play_board;
    int tx = cell_pos_column(target), ty = cell_pos_row(target);
    int px = cell_pos_column(player), py = cell_pos_row(player);
    if (tx == px) {
        if (ty == py) return STEP_HERE;
        return step_if_possible(board, px, py, along(py, ty));
    }
    if (ty == py) return step_if_possible(board, px, py, across(px, tx));
    if (std::abs(tx - px) != 1 || std::abs(ty - py) != 1 || !is_free_at(board, tx, ty)) return STEP_NONE;
    if (is_free_at(board, tx, py)) return across(px, tx);
    if (is_free_at(board, px, ty)) return along(py, ty);
    return STEP_NONE;
}

// Nodes live in an array in the order they were added, so each depth is one
// slice of it; walking a slice from its end is walking the game's list from
// its newest node. Cells are numbered on a grid with a blocked border, so a
// neighbour is one addition away, and a cell is blocked once it has a node,
// which stands in for the scan of the list for duplicates.
int path_step(const Game_state& state, Cell_pos target, Cell_pos player)
{
    const Field_info& board = state.play_board;
    const int rows = board.rows, columns = board.columns;
    const int tx = cell_pos_column(target), ty = cell_pos_row(target);
    const int px = cell_pos_column(player), py = cell_pos_row(player);
    if (rows * columns != board_cell_count(board) || !board_has_cell(board, px, py))
        return path_step_scan(state, target, player); // a board no map of ours holds
    if (!is_free_at(board, tx, ty)) return STEP_NONE; // the search never enters such a cell

    const int stride = columns + 2;
    std::array<uint8_t, PADDED_MAX> open{};
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            open[(r + 1) * stride + c + 1] = is_free_kind(board.cells[r * columns + c].content);
    const int step[4] = {-stride, stride, -1, 1};
    const int goal = (ty + 1) * stride + tx + 1;

    struct Node {
        int16_t cell;
        int8_t first;
    };
    std::array<Node, PADDED_MAX> nodes;
    int count = 0;
    nodes[count++] = Node{static_cast<int16_t>((py + 1) * stride + px + 1), -1};
    int depth_begin = 0;
    while (depth_begin < count) {
        const int depth_end = count;
        for (int i = depth_end - 1; i >= depth_begin; --i) {
            const Node node = nodes[i];
            for (int d = DIR_UP; d <= DIR_RIGHT; ++d) {
                const int q = node.cell + step[d];
                if (!open[q]) continue;
                open[q] = 0;
                const int8_t first = node.first < 0 ? static_cast<int8_t>(d) : node.first;
                nodes[count++] = Node{static_cast<int16_t>(q), first};
                if (q == goal) return first;
            }
        }
        depth_begin = depth_end;
    }
    return STEP_NONE;
}

// Kept as the game first wrote it: new nodes go to the head of a list, the
// walk of one depth starts at the head and so never meets the nodes it adds,
// and a position is looked up by scanning every node.
int path_step_scan(const Game_state& state, Cell_pos target, Cell_pos player)
{
    struct Node {
        Node* next;
        int32_t depth;
        Cell_pos position;
        int32_t first;
    };
    const Field_info& board = state.play_board;
    std::array<Node, PADDED_MAX> storage;
    int used = 0;
    Node* head = &storage[used++];
    *head = Node{nullptr, 0, player, -1};

    for (int32_t depth = 0;; ++depth) {
        for (Node* node = head; node && node->depth == depth; node = node->next) {
            for (int d = DIR_UP; d <= DIR_RIGHT; ++d) {
                int qx = cell_pos_column(node->position) + OFFSETS[d].dx;
                int qy = cell_pos_row(node->position) + OFFSETS[d].dy;
                if (!is_free_at(board, qx, qy)) continue;
                Cell_pos q = make_cell_pos(qx, qy);
                bool seen = false;
                for (Node* n = head; n && !seen; n = n->next)
                    seen = n->position == q;
                if (seen) continue;
                Node* added = &storage[used++];
                *added = Node{head, depth + 1, q, node->first < 0 ? d : node->first};
                head = added;
                if (q == target) return added->first;
            }
        }
        if (head->depth != depth + 1) return STEP_NONE;
    }
}

int walk_to_cell(Game_state& state, int column, int row, int tick_limit)
{
    int32_t x, y;
    cell_pointer(state, column, row, &x, &y);
    state.last_pointer_x = x;
    state.last_pointer_y = y;
    Game_event button{EVENT_BUTTON, CODE_LEFT_DOWN, 0, x, y};
    handle_event(state, button);
    int steps = 0;
    bool cut_off = true;
    for (int tick = 0; tick < tick_limit; ++tick) {
        if (walk_tick(state) == STEP_NONE) {
            cut_off = false;
            break;
        }
        ++steps;
    }
    button.code = CODE_LEFT_UP;
    handle_event(state, button);
    return cut_off ? -1 : steps;
}
