// The page's side of the browser layer: the queue of messages the game
// waits on, the canvas, input, sound, boxes, menus, settings and files.
// The game reaches all of it through the EM_JS calls in shell/web/*.cpp.
"use strict";

var ZandrekPage = (function () {
  // Must match Web_message_kind in web_shell.h.
  const KIND = {
    KEY_DOWN: 1, KEY_UP: 2, CHAR: 3, MOUSE_MOVE: 4, LEFT_DOWN: 5, LEFT_UP: 6, RIGHT_DOWN: 7, RIGHT_UP: 8,
    TIMER: 10, PAINT: 11, COMMAND: 12, MENU_OPENING: 13, BOX_ANSWER: 14, TEST_BOX: 15, HELP: 16,
  };
  const MENU_ITEM_GREYED = 3;
  const MENU_ITEM_CHECKED = 8;
  const MOUSE_KEY_SHIFT = 0x4;
  const MOUSE_KEY_CONTROL = 0x8;
  const GAME_FOLDER = "/zandrek";
  const STORED_FOLDER = "/zandrek-stored";
  // What the game writes and the page keeps: the score file and the copy of
  // a damaged one. Packs a player adds are stored as they are added.
  const KEPT_FILES = ["Zandrek.score", "Zandrek.score.bad"];
  // Keys whose browser default would scroll the page or leave it; and
  // Return, which would otherwise also accept a dialog its own press opened.
  const KEYS_KEPT_FROM_BROWSER = new Set([
    "ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight", "Backspace", " ", "F1", "/", "?", "Enter",
  ]);
  // What TranslateMessage makes of the keys that have no printable character.
  const CONTROL_CHARACTERS = { Enter: 13, Backspace: 8, Escape: 27, Tab: 9 };

  const page = {};
  let canvas = null;
  let banner = null;

  // ---- the message queue ----
  const queue = [];
  let waiting = null;
  const pendingTimers = new Set();
  let paintPending = false;

  function post(kind, a, b, c) {
    const m = { kind: kind, a: a | 0, b: b | 0, c: c | 0 };
    // Like the window's queue: one timer message per timer and one paint
    // wait at a time, and moves run together into the latest.
    if (kind === KIND.TIMER) {
      if (pendingTimers.has(m.a)) return;
      pendingTimers.add(m.a);
    } else if (kind === KIND.PAINT) {
      if (paintPending) return;
      paintPending = true;
    } else if (kind === KIND.MOUSE_MOVE && queue.length && queue[queue.length - 1].kind === KIND.MOUSE_MOVE) {
      queue[queue.length - 1] = m;
      return;
    }
    queue.push(m);
    if (waiting) {
      const resolve = waiting;
      waiting = null;
      resolve(take());
    }
  }
  function take() {
    const m = queue.shift();
    if (m.kind === KIND.TIMER) pendingTimers.delete(m.a);
    if (m.kind === KIND.PAINT) paintPending = false;
    page.messagesTaken += 1;
    return m;
  }
  page.messagesTaken = 0;
  page.post = post;
  page.KIND = KIND;
  page.nextMessage = function () {
    if (queue.length) return Promise.resolve(take());
    return new Promise(function (resolve) { waiting = resolve; });
  };
  page.testBox = function () { post(KIND.TEST_BOX); };

  // ---- the window: canvas, banner, cursor, timers ----
  const timers = new Map();
  page.setTimer = function (id, ms) {
    page.killTimer(id);
    timers.set(id, setInterval(function () { post(KIND.TIMER, id); }, Math.max(1, ms)));
  };
  page.killTimer = function (id) {
    if (!timers.has(id)) return;
    clearInterval(timers.get(id));
    timers.delete(id);
  };
  page.stopTimers = function () {
    for (const id of Array.from(timers.keys())) page.killTimer(id);
  };
  // The canvas is only ever written whole pixels at a time and read back by
  // the tests: kept in memory, not on the graphics card.
  function canvasContext() {
    return canvas.getContext("2d", { willReadFrequently: true, alpha: false });
  }
  page.resizeCanvas = function (width, height) {
    canvas.width = width;
    canvas.height = height;
    const context = canvasContext();
    context.fillStyle = "#000";
    context.fillRect(0, 0, width, height);
    post(KIND.PAINT);
  };
  page.putPixels = function (rgba, x, y, w, h) {
    const bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4);
    canvasContext().putImageData(new ImageData(bytes, w, h), x, y);
    page.flushes += 1;
    if (!page.titlePaintedAt && document.title.startsWith("Greetings")) page.titlePaintedAt = performance.now();
    if (page.flushWaiter) {
      const wake = page.flushWaiter;
      page.flushWaiter = null;
      wake();
    }
  };
  // What the figures are taken from: how many flushes, when the title was
  // first on the canvas, and who waits for the next flush.
  page.flushes = 0;
  page.titlePaintedAt = 0;
  page.flushWaiter = null;
  page.showWindow = function () {
    document.getElementById("window").hidden = false;
    post(KIND.PAINT);
  };
  // The window's banner: white text right-aligned 8 pixels from the edge on
  // a baseline 32 pixels down, its icon 40 pixels left of the text.
  // The game decides where the banner goes; the page only measures its text.
  let bannerMeasure = null;
  page.bannerTextWidth = function () {
    if (!banner) return 0;
    const text = banner.querySelector(".banner-text");
    bannerMeasure = bannerMeasure || document.createElement("canvas").getContext("2d");
    bannerMeasure.font = getComputedStyle(text).font;
    return Math.round(bannerMeasure.measureText(text.textContent).width);
  };
  page.showBanner = function (shown, textX, iconX, iconY) {
    if (!banner) return;
    banner.hidden = !shown;
    if (!shown) return;
    banner.querySelector(".banner-text").style.left = textX + "px";
    const icon = banner.querySelector("img");
    icon.style.left = iconX + "px";
    icon.style.top = iconY + "px";
  };
  page.setCursor = function (cross) {
    canvas.style.cursor = cross ? "crosshair" : "default";
  };
  let captured = false;
  page.capture = function (on) { captured = !!on; };
  page.pageFolder = function () {
    const href = location.href.split("#")[0].split("?")[0];
    return href.substring(0, href.lastIndexOf("/"));
  };
  page.openTab = function (url) {
    const tab = window.open(url, "_blank");
    if (!tab) return false;
    tab.opener = null;
    return true;
  };

  // ---- input ----
  function dialogOpen() {
    return document.querySelector("dialog[open]") !== null;
  }
  function onKeyDown(e) {
    if (e.altKey && !e.ctrlKey && !e.metaKey && page.menus.mnemonic(e.key)) {
      e.preventDefault();
      return;
    }
    if (e.ctrlKey || e.metaKey || e.altKey || dialogOpen() || !page.running) return;
    if (page.menus.isOpen()) {
      if (e.key === "Escape") page.menus.closeAll();
      e.preventDefault();
      return;
    }
    startAudio();
    if (KEYS_KEPT_FROM_BROWSER.has(e.key)) e.preventDefault();
    post(KIND.KEY_DOWN, e.keyCode);
    if (e.key.length === 1) post(KIND.CHAR, e.key.charCodeAt(0));
    else if (e.key in CONTROL_CHARACTERS) post(KIND.CHAR, CONTROL_CHARACTERS[e.key]);
  }
  function onKeyUp(e) {
    if (e.ctrlKey || e.metaKey || e.altKey || dialogOpen() || !page.running) return;
    post(KIND.KEY_UP, e.keyCode);
  }
  function mouseParameters(e) {
    const rect = canvas.getBoundingClientRect();
    const x = Math.floor(e.clientX - rect.left);
    const y = Math.floor(e.clientY - rect.top);
    const buttons = (e.shiftKey ? MOUSE_KEY_SHIFT : 0) | (e.ctrlKey ? MOUSE_KEY_CONTROL : 0);
    return [buttons, (x & 0xffff) | ((y & 0xffff) << 16)];
  }
  function onMouse(kind) {
    return function (e) {
      if (!page.running || dialogOpen()) return;
      const inside = e.target === canvas;
      if (!inside && !captured) return;
      if (kind !== KIND.MOUSE_MOVE) {
        if (e.button !== 0 && e.button !== 2) return;
        if (page.menus.isOpen()) return;
        startAudio();
      }
      const p = mouseParameters(e);
      let k = kind;
      if (e.button === 2 && kind !== KIND.MOUSE_MOVE) k = kind === KIND.LEFT_DOWN ? KIND.RIGHT_DOWN : KIND.RIGHT_UP;
      post(k, p[0], p[1]);
    };
  }

  // ---- sound ----
  const audio = {
    context: null, source: null, unheard: 0, flags: 0, done: 0, lastSamples: null, lastRate: 0, played: 0,
  };
  function startAudio() {
    if (audio.context) return;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return;
    audio.context = new Context();
  }
  function markDone() {
    clearTimeout(audio.unheard);
    if (audio.flags) HEAPU32[audio.flags >> 2] |= audio.done;
    audio.flags = 0;
    audio.source = null;
  }
  audio.play = function (data, length, rate, bits, flags, done) {
    audio.stop();
    audio.flags = flags;
    audio.done = done;
    const count = bits === 16 ? length >> 1 : length;
    const samples = new Float32Array(count);
    if (bits === 16) {
      const view = new DataView(HEAPU8.buffer, data, count * 2);
      for (let i = 0; i < count; ++i) samples[i] = view.getInt16(2 * i, true) / 32768;
    } else {
      for (let i = 0; i < count; ++i) samples[i] = (HEAPU8[data + i] - 128) / 128;
    }
    audio.lastSamples = samples;
    audio.lastRate = rate;
    audio.played += 1;
    // Before the player's first key or click the context may not play: the
    // buffer goes unheard, done when it would have finished playing.
    if (!audio.context || audio.context.state !== "running" || count === 0) {
      audio.unheard = setTimeout(markDone, (count * 1000) / rate);
      return;
    }
    const buffer = audio.context.createBuffer(1, count, rate);
    buffer.copyToChannel(samples, 0);
    const source = audio.context.createBufferSource();
    source.buffer = buffer;
    source.connect(audio.context.destination);
    source.onended = function () { if (audio.source === source) markDone(); };
    audio.source = source;
    source.start();
  };
  audio.stop = function () {
    if (audio.source) {
      audio.source.onended = null;
      try { audio.source.stop(); } catch (e) { /* never started */ }
    }
    markDone();
  };
  // The player's first key or click starts it; a page may start it sooner.
  audio.start = startAudio;
  page.audio = audio;

  // ---- boxes and the name dialog ----
  const dialogs = { stack: [], next: 1, shown: 0 };
  const BOX_QUESTION = 5;
  const BOX_ICONS = { 1: ["info", "i"], 2: ["warn", "!"], 3: ["warn", "!"], 4: ["stop", "\u00d7"], 5: ["info", "i"] };
  function openDialog(dialog, number) {
    dialog.dataset.number = number;
    document.body.appendChild(dialog);
    dialogs.stack.push(number);
    dialogs.shown += 1;
    dialog.showModal();
    // Centred over the game's window, as a box is over its owner.
    const owner = document.getElementById("window").getBoundingClientRect();
    dialog.style.left = Math.max(0, owner.left + (owner.width - dialog.offsetWidth) / 2) + "px";
    dialog.style.top = Math.max(0, owner.top + (owner.height - dialog.offsetHeight) / 2) + "px";
    dialog.addEventListener("keydown", function (e) {
      if (e.key === "F1") {
        e.preventDefault();
        post(KIND.HELP);
      }
    });
  }
  function answer(number, value) {
    // Only the box on top answers; the ones below wait for it.
    if (dialogs.stack[dialogs.stack.length - 1] !== number) return;
    post(KIND.BOX_ANSWER, number, value);
  }
  function button(label, onClick) {
    const b = document.createElement("button");
    b.type = "button";
    b.textContent = label;
    b.addEventListener("click", onClick);
    return b;
  }
  dialogs.showBox = function (text, caption, style) {
    const number = dialogs.next++;
    const dialog = document.createElement("dialog");
    dialog.className = "box";
    dialog.setAttribute("role", "alertdialog");
    const id = "box-caption-" + number;
    dialog.setAttribute("aria-labelledby", id);
    dialog.setAttribute("aria-describedby", id + "-text");
    const icon = BOX_ICONS[style] || BOX_ICONS[1];
    dialog.innerHTML =
      '<h2 class="caption"></h2><div class="body"><span class="icon" aria-hidden="true"></span>' +
      '<p class="text"></p></div><div class="buttons"></div>';
    dialog.querySelector(".caption").id = id;
    dialog.querySelector(".caption").textContent = caption;
    dialog.querySelector(".text").id = id + "-text";
    dialog.querySelector(".text").textContent = text;
    dialog.querySelector(".icon").className = "icon " + icon[0];
    dialog.querySelector(".icon").textContent = icon[1];
    const buttons = dialog.querySelector(".buttons");
    const ANSWER_OK = 1, ANSWER_YES = 6, ANSWER_NO = 7;
    if (style === BOX_QUESTION) {
      buttons.append(button("Yes", function () { answer(number, ANSWER_YES); }),
                     button("No", function () { answer(number, ANSWER_NO); }));
    } else {
      buttons.append(button("OK", function () { answer(number, ANSWER_OK); }));
    }
    // Escape is OK in a box with only OK; a Yes or No box waits for one of them.
    dialog.addEventListener("cancel", function (e) {
      e.preventDefault();
      if (style !== BOX_QUESTION) answer(number, ANSWER_OK);
    });
    openDialog(dialog, number);
    buttons.firstChild.focus();
    return number;
  };
  dialogs.showNameDialog = function (name, capacity) {
    const number = dialogs.next++;
    const dialog = document.createElement("dialog");
    dialog.className = "box name-dialog";
    dialog.setAttribute("aria-labelledby", "name-caption-" + number);
    dialog.innerHTML =
      '<h2 class="caption">Player Name</h2><form method="dialog">' +
      '<label>Player Name <input type="text" name="player" autocomplete="off" spellcheck="false"></label>' +
      '<div class="buttons"><button type="submit" class="default">OK</button>' +
      '<button type="button" class="cancel">Cancel</button></div></form>';
    dialog.querySelector(".caption").id = "name-caption-" + number;
    const field = dialog.querySelector("input");
    field.maxLength = capacity - 1;
    field.value = name.substring(0, capacity - 1);
    dialog.querySelector("form").addEventListener("submit", function (e) {
      e.preventDefault();
      answer(number, 0);
    });
    dialog.querySelector(".cancel").addEventListener("click", function () { answer(number, -1); });
    dialog.addEventListener("cancel", function (e) {
      e.preventDefault();
      answer(number, -1);
    });
    openDialog(dialog, number);
    field.focus();
    field.select();
    return number;
  };
  dialogs.typedName = function (number) {
    const dialog = document.querySelector('dialog[data-number="' + number + '"]');
    return dialog ? dialog.querySelector("input").value : "";
  };
  dialogs.close = function (number) {
    const dialog = document.querySelector('dialog[data-number="' + number + '"]');
    if (dialog) {
      dialog.close();
      dialog.remove();
    }
    const at = dialogs.stack.lastIndexOf(number);
    if (at >= 0) dialogs.stack.splice(at, 1);
    if (!dialogOpen() && canvas) canvas.focus();
  };
  page.dialogs = dialogs;

  // ---- menus ----
  const menus = { bar: null, items: new Map(), popups: [null], openIndex: -1, states: new Map() };
  function label(text) {
    // "&Game": G is the mnemonic.
    const span = document.createElement("span");
    const at = text.indexOf("&");
    if (at < 0) {
      span.textContent = text;
      return span;
    }
    span.append(text.substring(0, at));
    const u = document.createElement("u");
    u.textContent = text.charAt(at + 1);
    span.append(u, text.substring(at + 2));
    return span;
  }
  function applyState(item) {
    const state = menus.states.get(Number(item.dataset.id)) || 0;
    const greyed = (state & MENU_ITEM_GREYED) !== 0;
    item.classList.toggle("greyed", greyed);
    item.setAttribute("aria-disabled", greyed ? "true" : "false");
    if (item.getAttribute("role") === "menuitemcheckbox" || item.classList.contains("picture") ||
        (state & MENU_ITEM_CHECKED)) {
      item.setAttribute("role", "menuitemcheckbox");
      item.setAttribute("aria-checked", state & MENU_ITEM_CHECKED ? "true" : "false");
    }
  }
  function commandItem(text, id) {
    const item = document.createElement("div");
    item.className = "item";
    item.setAttribute("role", "menuitem");
    item.dataset.id = id;
    const check = document.createElement("span");
    check.className = "check";
    check.setAttribute("aria-hidden", "true");
    item.append(check, label(text));
    item.addEventListener("click", function (e) {
      e.stopPropagation();
      if (item.classList.contains("greyed") || item.classList.contains("has-popup")) return;
      menus.closeAll();
      post(KIND.COMMAND, id);
    });
    menus.items.set(id, item);
    applyState(item);
    return item;
  }
  function popupElement(kind) {
    const popup = document.createElement("div");
    popup.className = "popup " + kind;
    popup.setAttribute("role", "menu");
    return popup;
  }
  function submenuItem(item, popup) {
    item.classList.add("has-popup");
    item.setAttribute("aria-haspopup", "menu");
    item.append(popup);
    item.addEventListener("mouseenter", function () { item.classList.add("showing"); });
    item.addEventListener("mouseleave", function () { item.classList.remove("showing"); });
    item.addEventListener("click", function (e) {
      e.stopPropagation();
      item.classList.toggle("showing");
    });
  }
  function buildItems(popup, items) {
    for (const entry of items) {
      if (entry.separator) {
        const line = document.createElement("hr");
        line.setAttribute("role", "separator");
        popup.append(line);
        continue;
      }
      if (entry.items) {
        const item = commandItem(entry.text, 0);
        menus.items.delete(0);
        const sub = popupElement("text");
        buildItems(sub, entry.items);
        submenuItem(item, sub);
        popup.append(item);
        continue;
      }
      const item = commandItem(entry.text, entry.id);
      if (entry.flags.indexOf("GRAYED") >= 0) menus.states.set(entry.id, MENU_ITEM_GREYED);
      if (entry.flags.indexOf("CHECKED") >= 0) menus.states.set(entry.id, MENU_ITEM_CHECKED);
      applyState(item);
      popup.append(item);
    }
  }
  page.attachMenu = function () {
    const bar = document.getElementById("menubar");
    bar.textContent = "";
    // A menu attached again starts from the resource script's states.
    menus.states.clear();
    ZANDREK_MENU.forEach(function (top, index) {
      const title = document.createElement("div");
      title.className = "title";
      const opener = document.createElement("button");
      opener.type = "button";
      opener.setAttribute("aria-haspopup", "menu");
      opener.append(label(top.text));
      opener.addEventListener("click", function (e) {
        e.stopPropagation();
        if (menus.openIndex === index) {
          menus.closeAll();
          return;
        }
        // The game sets the items' states first, as the window's menu asks.
        post(KIND.MENU_OPENING, index);
      });
      title.append(opener);
      const popup = popupElement("text");
      buildItems(popup, top.items);
      title.append(popup);
      bar.append(title);
    });
    menus.bar = bar;
  };
  page.destroyMenu = function () {
    menus.closeAll();
    if (menus.bar) menus.bar.textContent = "";
    menus.items.clear();
  };
  page.openMenu = function (index) {
    menus.closeAll();
    if (!menus.bar || dialogOpen()) return;
    const title = menus.bar.children[index];
    if (!title) return;
    title.classList.add("open");
    title.querySelector("button").setAttribute("aria-expanded", "true");
    menus.openIndex = index;
  };
  menus.isOpen = function () { return menus.openIndex >= 0; };
  menus.closeAll = function () {
    if (!menus.bar) return;
    for (const t of menus.bar.children) {
      t.classList.remove("open");
      t.querySelector("button").setAttribute("aria-expanded", "false");
    }
    for (const s of menus.bar.querySelectorAll(".showing")) s.classList.remove("showing");
    menus.openIndex = -1;
  };
  menus.mnemonic = function (key) {
    if (!menus.bar || dialogOpen() || !page.running) return false;
    const index = ZANDREK_MENU.findIndex(function (top) {
      const at = top.text.indexOf("&");
      return at >= 0 && top.text.charAt(at + 1).toLowerCase() === key.toLowerCase();
    });
    if (index < 0) return false;
    post(KIND.MENU_OPENING, index);
    return true;
  };
  menus.setState = function (id, state) {
    menus.states.set(id, state);
    const item = menus.items.get(id);
    if (item) applyState(item);
  };
  menus.check = function (id, checked) {
    const item = menus.items.get(id);
    if (!item) return;
    const state = menus.states.get(id) || 0;
    menus.setState(id, checked ? state | MENU_ITEM_CHECKED : state & ~MENU_ITEM_CHECKED);
  };
  menus.createPopup = function () {
    menus.popups.push(popupElement("pictures"));
    return menus.popups.length - 1;
  };
  function levelItem(popup, id) {
    const item = commandItem("", id);
    item.classList.add("picture");
    menus.states.set(id, MENU_ITEM_GREYED);
    applyState(item);
    menus.popups[popup].append(item);
    return item;
  }
  menus.appendPicture = function (popup, id, rgba, width, height) {
    const item = levelItem(popup, id);
    const picture = document.createElement("canvas");
    picture.width = width;
    picture.height = height;
    const bytes = new Uint8ClampedArray(HEAPU8.slice(rgba, rgba + width * height * 4).buffer);
    picture.getContext("2d").putImageData(new ImageData(bytes, width, height), 0, 0);
    picture.setAttribute("aria-hidden", "true");
    item.append(picture);
    item.setAttribute("aria-label", "Level " + (id % 100));
  };
  menus.appendText = function (popup, id, text) {
    const item = levelItem(popup, id);
    item.append(text);
    item.setAttribute("aria-label", "Level " + (id % 100));
  };
  menus.attachSubmenu = function (itemId, popup) {
    const item = menus.items.get(itemId);
    if (item && menus.popups[popup]) submenuItem(item, menus.popups[popup]);
  };
  menus.appendToLevelMenu = function (popup, title) {
    const LEVEL_MENU = 1;
    const levelPopup = menus.bar.children[LEVEL_MENU].querySelector(".popup");
    const item = document.createElement("div");
    item.className = "item";
    item.setAttribute("role", "menuitem");
    const check = document.createElement("span");
    check.className = "check";
    item.append(check, label(title));
    submenuItem(item, menus.popups[popup]);
    levelPopup.append(item);
  };
  page.menus = menus;

  // ---- settings ----
  const settings = {};
  settings.open = function () {
    try {
      localStorage.getItem("");
      return true;
    } catch (e) {
      return false;
    }
  };
  settings.get = function (name) {
    try {
      const text = localStorage.getItem(name);
      return text === null ? null : JSON.parse(text);
    } catch (e) {
      return null;
    }
  };
  settings.set = function (name, value) {
    try {
      localStorage.setItem(name, JSON.stringify(value));
    } catch (e) { /* a full store loses the value, as a failed registry write does */ }
  };
  // A number is kept as a 32-bit value; a string with all the bytes it was
  // stored with, as the registry keeps them, and it fits when all of them do.
  settings.getDword = function (name, out) {
    const v = settings.get(name);
    if (!v || v.type !== "dword" || !Number.isInteger(v.value) || v.value < 0 || v.value > 0xffffffff) return 0;
    HEAPU32[out >> 2] = v.value;
    return 1;
  };
  settings.setDword = function (name, value) {
    settings.set(name, { type: "dword", value: value >>> 0 });
  };
  settings.getString = function (name, buffer, capacity) {
    const v = settings.get(name);
    if (!v || v.type !== "string" || !Array.isArray(v.bytes) || v.bytes.length > capacity) return 0;
    for (let i = 0; i < v.bytes.length; ++i) HEAPU8[buffer + i] = v.bytes[i] & 0xff;
    return 1;
  };
  settings.setString = function (name, text, bytes) {
    settings.set(name, { type: "string", bytes: Array.from(HEAPU8.subarray(text, text + bytes)) });
  };
  page.settings = settings;

  // ---- files ----
  // `pending`: syncs asked for and not yet finished; the tests wait for none.
  const files = { seen: new Map(), syncing: Promise.resolve(), ready: false, syncs: 0, pending: 0 };
  function syncStored() {
    files.pending += 1;
    files.syncing = files.syncing.then(function () {
      return new Promise(function (resolve) {
        FS.syncfs(false, function (error) {
          if (error) notice("Your progress could not be stored in this browser: " + error);
          files.syncs += 1;
          files.pending -= 1;
          resolve();
        });
      });
    });
    return files.syncing;
  }
  function fileStamp(path) {
    try {
      const s = FS.stat(path);
      return s.mtime.getTime() + ":" + s.size;
    } catch (e) {
      return null;
    }
  }
  files.load = async function () {
    FS.mkdir(STORED_FOLDER);
    FS.mount(IDBFS, {}, STORED_FOLDER);
    await new Promise(function (resolve) {
      FS.syncfs(true, function (error) {
        if (error) notice("Stored progress could not be read: " + error);
        resolve();
      });
    });
    for (const name of FS.readdir(STORED_FOLDER)) {
      if (name === "." || name === "..") continue;
      FS.writeFile(GAME_FOLDER + "/" + name, FS.readFile(STORED_FOLDER + "/" + name));
    }
    FS.chdir(GAME_FOLDER);
    for (const name of KEPT_FILES) files.seen.set(name, fileStamp(GAME_FOLDER + "/" + name));
    files.ready = true;
  };
  files.storeChanged = function () {
    let changed = false;
    for (const name of KEPT_FILES) {
      const stamp = fileStamp(GAME_FOLDER + "/" + name);
      if (stamp === null || stamp === files.seen.get(name)) continue;
      files.seen.set(name, stamp);
      FS.writeFile(STORED_FOLDER + "/" + name, FS.readFile(GAME_FOLDER + "/" + name));
      changed = true;
    }
    if (changed) syncStored();
  };
  files.storedNames = function () {
    return FS.readdir(STORED_FOLDER).filter(function (n) { return n !== "." && n !== ".."; }).sort();
  };
  // A pack the game's reader refuses is not kept; the page says why.
  files.addPack = async function (file) {
    const name = file.name.replace(/[\\/]/g, "_");
    if (!/\.zrp$/.test(name)) {
      notice(name + ": not a level pack (a pack's name ends in .zrp)");
      return false;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const data = _malloc(Math.max(1, bytes.length));
    HEAPU8.set(bytes, data);
    const namePointer = allocateUTF8(name);
    const reason = UTF8ToString(Module._web_check_pack(namePointer, data, bytes.length));
    _free(namePointer);
    _free(data);
    if (reason) {
      notice("The pack was not added. " + reason, "refused");
      return false;
    }
    FS.writeFile(STORED_FOLDER + "/" + name, bytes);
    await syncStored();
    notice(name + " was added; its levels appear in the Level menu when the game starts again.", "added");
    return true;
  };
  page.files = files;

  function notice(text, kind) {
    const line = document.getElementById("notice");
    if (!line) return;
    line.textContent = text;
    line.dataset.kind = kind || "";
    line.hidden = false;
  }
  page.notice = notice;

  // ---- the game's end ----
  page.running = false;
  page.gameEnded = function () {
    page.running = false;
    page.stopTimers();
    audio.stop();
    document.getElementById("window").hidden = true;
    document.getElementById("ended").hidden = false;
    document.getElementById("again").focus();
  };
  page.startAgain = async function () {
    await files.syncing;
    location.reload();
  };

  page.init = function () {
    canvas = document.getElementById("canvas");
    banner = document.getElementById("banner");
    document.addEventListener("keydown", onKeyDown);
    document.addEventListener("keyup", onKeyUp);
    canvas.addEventListener("mousedown", onMouse(KIND.LEFT_DOWN));
    window.addEventListener("mousemove", onMouse(KIND.MOUSE_MOVE));
    window.addEventListener("mouseup", onMouse(KIND.LEFT_UP));
    canvas.addEventListener("contextmenu", function (e) { e.preventDefault(); });
    document.addEventListener("click", function () { menus.closeAll(); });
    document.getElementById("again").addEventListener("click", page.startAgain);
    const picker = document.getElementById("pack-picker");
    picker.addEventListener("change", async function () {
      for (const f of Array.from(picker.files)) await files.addPack(f);
      picker.value = "";
    });
    document.addEventListener("dragover", function (e) { e.preventDefault(); });
    document.addEventListener("drop", async function (e) {
      e.preventDefault();
      if (!files.ready) return;
      for (const f of Array.from(e.dataTransfer.files)) await files.addPack(f);
    });
  };
  return page;
})();
