// The live verdict: after a short pause each change of the layout starts a
// search in a worker; a change while one runs ends that worker. A spare
// worker is kept loaded so a new search need not wait for the module.
'use strict';

const EditorVerdict = (() => {
    const PAUSE_MS = 250;
    const limits = {seconds: 30, megabytes: 400}; // the bound of one search
    let generation = 0;    // the layout the line speaks for
    let busy = null;       // the worker searching, if any
    let spare = null;
    let timer = null;
    let line = null, onVerdict = () => {};
    const log = [];        // every text shown, with its generation (the tests read it)
    const counts = {started: 0, cancelled: 0, finished: 0};
    let last = null;       // the current layout's finished verdict, once there is one

    function show(text, kind) {
        line.textContent = text;
        line.dataset.kind = kind;
        line.dataset.generation = String(generation);
        log.push({generation, text, kind});
    }

    function loadedWorker() {
        const w = new Worker('editor_worker.js');
        w.ready = new Promise((resolve) => {
            w.onmessage = (e) => { if (e.data.kind === 'ready') resolve(); };
        });
        return w;
    }

    function takeWorker() {
        const w = spare || loadedWorker();
        spare = loadedWorker();
        return w;
    }

    function cancel() {
        clearTimeout(timer);
        timer = null;
        if (busy) {
            busy.terminate();
            busy = null;
            counts.cancelled += 1;
        }
    }

    function start(rows, id, queued) {
        const w = takeWorker();
        busy = w;
        counts.started += 1;
        w.ready.then(() => {
            if (busy !== w) return;
            w.onmessage = (e) => {
                const m = e.data;
                if (m.id !== generation || busy !== w) return; // another layout's: never shown
                if (m.kind === 'progress') {
                    show(m.text, 'searching');
                    return;
                }
                busy = null;
                w.terminate();
                counts.finished += 1;
                last = Object.assign({generation: id, fromChange: performance.now() - queued}, m);
                show(m.text, m.result);
                onVerdict(last);
            };
            w.postMessage({id, rows, seconds: limits.seconds, megabytes: limits.megabytes});
        });
    }

    // A new layout: `problems` non-empty means no search is worth starting.
    function changed(rows, problems, now) {
        cancel();
        generation += 1;
        last = null;
        const id = generation;
        if (problems.length) {
            show('', 'problems');
            return;
        }
        show('Searching\u2026 0 positions', 'searching');
        const queued = performance.now();
        if (now) start(rows, id, queued);
        else timer = setTimeout(() => start(rows, id, queued), PAUSE_MS);
    }

    function attach(element, verdictHandler) {
        line = element;
        onVerdict = verdictHandler || onVerdict;
        spare = loadedWorker();
    }

    return {attach, changed, cancel, limits, log, counts,
            get generation() { return generation; }, get last() { return last; }};
})();
