// The pack editor's page: the C++ editing session (zandrek_editor.wasm)
// behind the grid, the fields, the level list, play-testing and the files.
'use strict';

const EditorPage = (() => {
    const PIECES = [['#', 'Wall'], ['-', 'Floor'], ['.', 'Bank'], ['$', 'Treasure'], ['*', 'Banked treasure'],
                    ['@', 'Zandrek'], ['+', 'Zandrek on a bank'], [' ', 'No cell']];
    const REFERENCES = ['Treasure tile', 'Banked treasure tile', 'Wall tile', 'Floor tile', 'Bank tile',
                        'Start sound', 'Banked sound', 'Solved sound'];
    // The game's key codes (engine/events.h) for the keys of play.
    const PLAY_KEYS = {ArrowUp: 13, ArrowDown: 14, ArrowLeft: 15, ArrowRight: 16, u: 17, U: 17, Backspace: 17,
                       r: 36, R: 36};
    const CURSOR_STEPS = {ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1]};
    const MAP_URL = 'Zandrek.map', SAMPLE_URL = 'lantern_docks.zrp';
    const page = {ready: false, saved: null, savedName: '', playing: false, piece: '#'};
    let m = null, state = null, cursor = -1, stroke = null, layoutKey = null, fileName = 'pack.zrp';
    const $ = (id) => document.getElementById(id);

    function call(name, ...args) {
        return m.ccall(name, 'string', args.map((a) => (typeof a === 'number' ? 'number' : 'string')), args);
    }

    function notice(text, kind) {
        $('notice').textContent = text;
        $('notice').dataset.kind = kind;
    }

    // "" when done; else the reason is said on the page and false returned.
    function done(problem, what) {
        if (problem) notice(what ? `${what}: ${problem}` : problem, 'refused');
        return !problem;
    }

    function tiles() {
        const at = m.ccall(page.playing ? 'ed_play_tiles' : 'ed_cell_tiles', 'number', [], []) >> 1;
        return m.HEAPU16.subarray(at, at + EditorView.ROWS * EditorView.COLS);
    }

    function draw() {
        const faults = page.playing ? [] : state.problems.flatMap((p) => p.cells);
        EditorView.draw(tiles(), {dead: page.playing ? '' : state.dead, faults, cursor: page.playing ? -1 : cursor});
    }

    function setValue(id, value) {
        if (document.activeElement !== $(id)) $(id).value = value;
    }

    // Everything shown comes from the session's state after each operation.
    function refresh(searchNow) {
        state = JSON.parse(call('ed_state'));
        const level = state.level;
        setValue('pack-name', state.pack.name);
        setValue('pack-about', state.pack.about);
        setValue('level-name', level.name);
        setValue('level-about', level.about);
        level.references.forEach((r, i) => setValue(`ref-${i}`, r === 'Untitled' ? '' : r));
        $('solution').value = level.solution;
        $('link').value = new URL(state.link, location.href).href;
        $('undo').disabled = !state.undo;
        $('redo').disabled = !state.redo;
        const list = $('levels');
        list.replaceChildren(...state.pack.levels.map((name, i) => {
            const li = document.createElement('li');
            li.textContent = name || '(no name)';
            li.className = i === state.current ? 'current' : '';
            li.onclick = () => act(call('ed_select', i));
            return li;
        }));
        $('problems').replaceChildren(...state.problems.map((p) => {
            const li = document.createElement('li');
            li.textContent = p.message;
            return li;
        }));
        const key = level.rows.join('\n');
        if (key !== layoutKey || searchNow) {
            layoutKey = key;
            EditorVerdict.changed(level.rows, state.problems, searchNow);
        }
        draw();
    }

    function act(problem, what) {
        const ok = done(problem, what);
        refresh(false);
        return ok;
    }

    // ---- drawing ----
    function paint(row, col, piece) {
        if (m.ccall('ed_paint', 'number', ['number', 'number', 'number'], [row, col, piece.charCodeAt(0)])) refresh();
    }

    function choose(piece) {
        page.piece = piece;
        for (const b of $('pieces').children) b.classList.toggle('chosen', b.dataset.piece === piece);
    }

    function strokeAt(e) {
        const cell = EditorView.cellAt(e.clientX, e.clientY);
        if (!cell) return;
        cursor = cell.row * EditorView.COLS + cell.col;
        paint(cell.row, cell.col, stroke);
        draw();
    }

    function mouseDown(e) {
        if (page.playing || (e.button !== 0 && e.button !== 2)) return;
        e.preventDefault();
        stroke = e.button === 2 ? ' ' : page.piece;
        m.ccall('ed_begin_stroke', null, [], []);
        strokeAt(e);
    }

    function mouseUp() {
        if (stroke === null) return;
        stroke = null;
        m.ccall('ed_end_stroke', null, [], []);
        refresh();
    }

    function typing() {
        const a = document.activeElement;
        return a && (a.tagName === 'INPUT' || a.tagName === 'TEXTAREA');
    }

    function editKey(e) {
        const ctrl = e.ctrlKey || e.metaKey;
        if (ctrl && (e.key === 'z' || e.key === 'Z')) {
            m.ccall(e.shiftKey ? 'ed_redo' : 'ed_undo', 'number', [], []);
        } else if (ctrl && (e.key === 'y' || e.key === 'Y')) {
            m.ccall('ed_redo', 'number', [], []);
        } else if (ctrl || e.altKey) {
            return;
        } else if (CURSOR_STEPS[e.key]) {
            const [dr, dc] = CURSOR_STEPS[e.key];
            const at = cursor < 0 ? 0 : cursor;
            const row = Math.min(EditorView.ROWS - 1, Math.max(0, Math.floor(at / EditorView.COLS) + dr));
            const col = Math.min(EditorView.COLS - 1, Math.max(0, (at % EditorView.COLS) + dc));
            cursor = row * EditorView.COLS + col;
        } else if (PIECES.some(([p]) => p === e.key)) {
            choose(e.key);
            if (cursor >= 0) paint(Math.floor(cursor / EditorView.COLS), cursor % EditorView.COLS, e.key);
        } else {
            return;
        }
        e.preventDefault();
        refresh();
    }

    // ---- play-testing ----
    function playStatus() {
        const s = JSON.parse(call('ed_play_status'));
        $('play-status').textContent = `Moves ${s.moves}, pushes ${s.pushes}` + (s.solved ? ' \u2014 solved' : '');
        $('play-status').dataset.solved = String(s.solved);
        return s;
    }

    function startPlay() {
        if (!done(call('ed_play_start'), 'Cannot play')) return;
        page.playing = true;
        $('play').textContent = 'Back to drawing';
        $('store-mine').hidden = false;
        playStatus();
        draw();
    }

    function stopPlay() {
        call('ed_play_stop');
        page.playing = false;
        $('play').textContent = 'Play-test';
        $('store-mine').hidden = true;
        $('play-status').textContent = '';
        refresh();
    }

    function playKey(e) {
        if (e.key === 'Escape') stopPlay();
        else if (PLAY_KEYS[e.key] !== undefined) {
            m.ccall('ed_play_key', null, ['number'], [PLAY_KEYS[e.key]]);
            playStatus();
            draw();
        } else return;
        e.preventDefault();
    }

    function store(moves, whose) {
        if (page.playing) stopPlay();
        if (!moves) return done('there are no moves to store', whose);
        if (act(call('ed_store_solution', moves), whose)) notice(`${whose}: ${moves.length} moves stored as the solution`, 'stored');
    }

    // ---- packs and links ----
    async function openBytes(bytes, name) {
        if (page.playing) stopPlay();
        m.FS.writeFile('/opened.zrp', bytes);
        const problem = call('ed_open_pack', '/opened.zrp', name);
        if (!act(problem)) return;
        fileName = name;
        notice(`${name}: ${state.pack.levels.length} levels opened`, 'opened');
    }

    async function openFile(file) {
        if (file) await openBytes(new Uint8Array(await file.arrayBuffer()), file.name);
    }

    function save() {
        if (page.playing) stopPlay();
        if (!done(call('ed_save', '/saved.zrp'), 'The pack cannot be saved')) return;
        const bytes = m.FS.readFile('/saved.zrp');
        page.saved = Array.from(bytes, (b) => String.fromCharCode(b)).join('');
        page.savedName = fileName;
        const a = document.createElement('a');
        a.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
        a.download = fileName;
        a.click();
        setTimeout(() => URL.revokeObjectURL(a.href), 1000);
        notice(`${fileName} saved: ${state.pack.levels.length} levels`, 'saved');
    }

    function openLink() {
        if (!location.hash.includes('level=')) return false;
        if (page.playing) stopPlay();
        const problem = call('ed_open_link', location.hash);
        if (!done(problem, 'The link cannot be opened')) return false;
        fileName = 'shared.zrp';
        refresh(true);
        notice('The shared level is open', 'opened');
        return true;
    }

    function copyLink() {
        const link = new URL(state.link, location.href).href;
        $('link').value = link;
        page.copied = link;
        if (navigator.clipboard) navigator.clipboard.writeText(link).catch(() => {});
        notice('The link to this level is copied', 'copied');
    }

    // ---- wiring ----
    // A value refused is put back to the one kept, the reason said beside.
    function field(id, operation, what, kept) {
        $(id).addEventListener('change', () => {
            if (!act(call(operation, $(id).value), what)) $(id).value = kept();
        });
    }

    function build() {
        for (const [piece, name] of PIECES) {
            const b = document.createElement('button');
            b.dataset.piece = piece;
            b.textContent = `${piece === ' ' ? '\u2423' : piece} ${name}`;
            b.onclick = () => choose(piece);
            $('pieces').append(b);
        }
        REFERENCES.forEach((name, i) => {
            const label = document.createElement('label');
            label.textContent = name;
            const input = document.createElement('input');
            input.id = `ref-${i}`;
            input.placeholder = 'the game\u2019s own';
            input.addEventListener('change', () => {
                if (!act(call('ed_set_reference', i, input.value), name)) input.value = state.level.references[i];
            });
            label.append(input);
            $('references').append(label);
        });
        choose('#');
        field('level-name', 'ed_set_name', 'Level name', () => state.level.name);
        field('level-about', 'ed_set_about', 'About', () => state.level.about);
        field('pack-name', 'ed_set_pack_name', 'Pack name', () => state.pack.name);
        field('pack-about', 'ed_set_pack_about', 'Pack About', () => state.pack.about);
        const grid = $('grid');
        grid.addEventListener('mousedown', mouseDown);
        grid.addEventListener('contextmenu', (e) => e.preventDefault());
        grid.addEventListener('mousemove', (e) => {
            const cell = EditorView.cellAt(e.clientX, e.clientY);
            if (stroke !== null) strokeAt(e);
            else if (cell && !page.playing) {
                cursor = cell.row * EditorView.COLS + cell.col;
                draw();
            }
        });
        window.addEventListener('mouseup', mouseUp);
        document.addEventListener('keydown', (e) => {
            if (!page.ready || typing()) return;
            if (page.playing) playKey(e);
            else editKey(e);
        });
        $('undo').onclick = () => { m.ccall('ed_undo', 'number', [], []); refresh(); };
        $('redo').onclick = () => { m.ccall('ed_redo', 'number', [], []); refresh(); };
        $('play').onclick = () => (page.playing ? stopPlay() : startPlay());
        $('store-mine').onclick = () => store(JSON.parse(call('ed_play_status')).standing, 'Your moves');
        $('store-solver').onclick = () => {
            const v = EditorVerdict.last;
            if (!v || !v.moves) done('the solver has no solution of this layout yet', 'The solver\u2019s solution');
            else store(v.moves, 'The solver\u2019s solution');
        };
        $('add-level').onclick = () => act(call('ed_add', state.current + 1), 'Add');
        $('remove-level').onclick = () => act(call('ed_remove', state.current), 'Remove');
        $('level-up').onclick = () => act(call('ed_move', state.current, Math.max(0, state.current - 1)), 'Up');
        $('level-down').onclick = () => act(call('ed_move', state.current, state.current + 1), 'Down');
        $('new-pack').onclick = () => {
            if (page.playing) stopPlay();
            fileName = 'pack.zrp';
            act(call('ed_new_pack'));
        };
        $('pack-picker').addEventListener('change', (e) => openFile(e.target.files[0]).then(() => { e.target.value = ''; }));
        $('open-sample').onclick = async () => {
            const r = await fetch(SAMPLE_URL);
            await openBytes(new Uint8Array(await r.arrayBuffer()), SAMPLE_URL);
        };
        $('save').onclick = save;
        $('copy-link').onclick = copyLink;
        document.addEventListener('dragover', (e) => e.preventDefault());
        document.addEventListener('drop', (e) => {
            e.preventDefault();
            openFile(e.dataTransfer && e.dataTransfer.files[0]);
        });
        window.addEventListener('hashchange', openLink);
        // A button keeps no focus, so space and the arrows stay the grid's keys.
        document.addEventListener('click', (e) => { if (e.target.tagName === 'BUTTON') e.target.blur(); });
    }

    async function start() {
        EditorView.attach($('grid'));
        EditorVerdict.attach($('verdict'));
        build();
        m = await ZandrekEditor();
        page.module = m;
        const map = await fetch(MAP_URL);
        if (!map.ok) return notice(`${MAP_URL} cannot be read: ${map.status}`, 'refused');
        m.FS.writeFile('/Zandrek.map', new Uint8Array(await map.arrayBuffer()));
        if (!done(call('ed_open', '/Zandrek.map'), MAP_URL)) return;
        EditorView.load(m);
        page.ready = true;
        if (!openLink()) refresh();
    }

    page.state = () => state;
    page.cellCentre = (row, col) => EditorView.cellCentre(row, col);
    page.verdict = EditorVerdict;
    start();
    return page;
})();
