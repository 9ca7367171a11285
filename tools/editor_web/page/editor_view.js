// The grid on the canvas: each cell the game's own tile from the map, the
// dead cells and the cells at fault marked over them, and the cursor.
'use strict';

const EditorView = (() => {
    const ROWS = 16, COLS = 20, SCALE = 2;
    let canvas, ctx, tileW = 16, tileH = 12;
    const images = [];

    function load(m) {
        tileW = m.ccall('ed_tile_width', 'number', [], []);
        tileH = m.ccall('ed_tile_height', 'number', [], []);
        const count = m.ccall('ed_tile_count', 'number', [], []);
        for (let code = 0; code < count; ++code) {
            const at = m.ccall('ed_tile_rgba', 'number', ['number'], [code]);
            const c = document.createElement('canvas');
            c.width = tileW;
            c.height = tileH;
            const data = new ImageData(new Uint8ClampedArray(m.HEAPU8.slice(at, at + tileW * tileH * 4)), tileW, tileH);
            c.getContext('2d').putImageData(data, 0, 0);
            images.push(c);
        }
        canvas.width = COLS * tileW * SCALE;
        canvas.height = ROWS * tileH * SCALE;
    }

    function attach(element) {
        canvas = element;
        ctx = canvas.getContext('2d');
    }

    // `tiles`: 320 tile codes; `marks`: {dead: '0101…', faults: [cells], cursor: cell or -1}.
    function draw(tiles, marks) {
        ctx.imageSmoothingEnabled = false;
        const w = tileW * SCALE, h = tileH * SCALE;
        for (let cell = 0; cell < ROWS * COLS; ++cell) {
            const x = (cell % COLS) * w, y = Math.floor(cell / COLS) * h;
            const image = images[tiles[cell]];
            if (image) ctx.drawImage(image, x, y, w, h);
            else {
                ctx.fillStyle = '#000';
                ctx.fillRect(x, y, w, h);
            }
            if (marks.dead && marks.dead[cell] === '1') {
                ctx.strokeStyle = 'rgba(230, 40, 40, 0.9)';
                ctx.lineWidth = 2;
                ctx.beginPath();
                ctx.moveTo(x + 6, y + 5);
                ctx.lineTo(x + w - 6, y + h - 5);
                ctx.moveTo(x + w - 6, y + 5);
                ctx.lineTo(x + 6, y + h - 5);
                ctx.stroke();
            }
        }
        ctx.lineWidth = 2;
        ctx.strokeStyle = 'rgba(255, 170, 0, 0.95)';
        for (const cell of marks.faults || [])
            ctx.strokeRect((cell % COLS) * w + 1, Math.floor(cell / COLS) * h + 1, w - 2, h - 2);
        if (marks.cursor >= 0) {
            ctx.strokeStyle = 'rgba(120, 200, 255, 0.9)';
            ctx.setLineDash([4, 3]);
            ctx.strokeRect((marks.cursor % COLS) * w + 1, Math.floor(marks.cursor / COLS) * h + 1, w - 2, h - 2);
            ctx.setLineDash([]);
        }
    }

    // The cell under a point of the page, or null off the grid.
    function cellAt(clientX, clientY) {
        const r = canvas.getBoundingClientRect();
        const col = Math.floor((clientX - r.left) / (r.width / COLS));
        const row = Math.floor((clientY - r.top) / (r.height / ROWS));
        return row >= 0 && row < ROWS && col >= 0 && col < COLS ? {row, col} : null;
    }

    // The centre of a cell in page coordinates (the tests click there).
    function cellCentre(row, col) {
        const r = canvas.getBoundingClientRect();
        return [r.left + (col + 0.5) * r.width / COLS, r.top + (row + 0.5) * r.height / ROWS];
    }

    return {attach, load, draw, cellAt, cellCentre, ROWS, COLS};
})();
