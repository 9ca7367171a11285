// One search at a time in a worker of its own. The page ends the worker to
// stop a search it no longer wants; every message carries the search's id so
// the page can tell whose it is.
'use strict';
importScripts('zandrek_editor.js');

let searching = 0;
const ready = ZandrekEditor({
    searchProgress: (text, positions) => postMessage({id: searching, kind: 'progress', text, positions}),
});
ready.then(() => postMessage({kind: 'ready'}));

onmessage = (e) => {
    ready.then((m) => {
        const job = e.data;
        searching = job.id;
        const started = performance.now();
        const answer = JSON.parse(m.ccall('ed_search', 'string', ['string', 'number', 'number'],
                                          [job.rows.join('\n'), job.seconds, job.megabytes]));
        postMessage(Object.assign({id: job.id, ms: performance.now() - started}, answer, {result: answer.kind}));
    });
};
