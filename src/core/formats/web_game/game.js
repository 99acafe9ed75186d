// The web game: builds its screens from the quiz in #datos. A teacher's text is
// always shown as text; only the tags b, i, u, em, strong, sub, sup and br (without
// attributes) take effect. "#seed=N" in the address fixes every shuffle. With
// code = (sealed + salt) % m, a question's right answer is answers[code] (m the
// answer count); for "varias" (m = 16) answers[i] is right when bit i of code is
// set. A "curta" question's accepted answers and every answer's own message are
// sealed: unseal() gives them back.
(function () {
  "use strict";
  const quiz = JSON.parse(document.getElementById("datos").textContent);
  const app = document.getElementById("xogo");
  const live = document.getElementById("aviso");
  const INLINE = /^(b|i|u|em|strong|sub|sup|br)$/;

  const fixed = /[#&]seed=(\d+)/.exec(location.hash);
  let state = fixed ? Number(fixed[1]) >>> 0 : (Math.random() * 4294967296) >>> 0;
  function random() {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  }
  function shuffled(list) {
    const a = list.slice();
    for (let i = a.length - 1; i > 0; i--) {
      const j = Math.floor(random() * (i + 1));
      [a[i], a[j]] = [a[j], a[i]];
    }
    return a;
  }

  function unseal(hex) {
    const bytes = new Uint8Array(hex.length / 2);
    for (let i = 0, k = quiz.salt; i < bytes.length; i++) {
      k = (k * 75 + 74) % 65537;
      bytes[i] = parseInt(hex.substr(2 * i, 2), 16) ^ (k & 255);
    }
    return new TextDecoder().decode(bytes);
  }
  // Typed answers compare ignoring case, blanks at both ends and repeated blanks.
  const plain = (s) => s.normalize("NFC").trim().replace(/\s+/g, " ").toLowerCase();

  function el(tag, cls, text) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (text !== undefined) e.textContent = text;
    return e;
  }
  // Appends a teacher's text to `parent`; every tag but the inline ones stays text.
  function rich(parent, text) {
    const stack = [parent];
    const re = /<(\/?)([a-zA-Z]+)\s*(\/?)>/g;
    const top = () => stack[stack.length - 1];
    const put = (s) => { if (s) top().appendChild(document.createTextNode(s)); };
    let last = 0, m;
    while ((m = re.exec(text || ""))) {
      const name = m[2].toLowerCase();
      if (!INLINE.test(name)) continue;
      put(text.slice(last, m.index));
      last = re.lastIndex;
      if (name === "br" && !m[1]) top().appendChild(el("br"));
      else if (m[1] && !m[3]) {
        let k = stack.length - 1;
        while (k > 0 && stack[k].localName !== name) k--;
        if (k > 0) stack.length = k; else put(m[0]);
      } else if (!m[1] && !m[3] && name !== "br") {
        stack.push(top().appendChild(el(name)));
      } else put(m[0]);
    }
    put((text || "").slice(last));
    return parent;
  }
  function button(label, action, cls) {
    const b = el("button", cls || "boton", label);
    b.type = "button";
    b.addEventListener("click", action);
    return b;
  }
  function focus(e) {
    e.setAttribute("tabindex", "-1");
    e.focus();
  }
  function announce(text) {
    live.textContent = text;
  }

  let player = null;
  function play(src) {
    if (!src) return;
    try {
      if (player) player.pause();
      player = new Audio(src);
      const p = player.play();
      if (p && p.catch) p.catch(() => {});
    } catch (e) { /* a sound that cannot play never stops the game */ }
  }
  function soundButton(label, src) {
    return button(label, () => play(src), "boton secundario");
  }

  // A learning platform's SCORM 1.2 API: on this window, its parents or its opener.
  // A status the platform keeps (passed, failed, completed) stays until a game is
  // finished; exit is "suspend" while a game is unfinished, so the platform keeps it.
  let api = null, startedAt = 0;
  function findApi(w) {
    for (let n = 0; w && n < 20; n++) {
      try { if (w.API) return w.API; } catch (e) { /* another origin */ }
      if (w.parent === w) break;
      w = w.parent;
    }
    return null;
  }
  function lms(name, ...args) {
    try { return api ? String(api[name](...args)) : ""; } catch (e) { return ""; }
  }
  function set(element, value) { lms("LMSSetValue", element, value); }
  // The time since LMSInitialize, as SCORM 1.2 writes it: HHHH:MM:SS.SS.
  function sessionTime() {
    const cs = Math.min(Math.floor((Date.now() - startedAt) / 10), 9999 * 360000 + 359999);
    const two = (n) => (n < 10 ? "0" : "") + n;
    const h = Math.floor(cs / 360000), m = Math.floor(cs / 6000) % 60;
    const sec = Math.floor(cs / 100) % 60, frac = cs % 100;
    return String(h).padStart(4, "0") + ":" + two(m) + ":" + two(sec) + "." + two(frac);
  }
  if (quiz.scorm) {
    api = findApi(window) || (window.opener ? findApi(window.opener) : null);
    if (api && lms("LMSInitialize", "") === "false") api = null;
    if (api) {
      startedAt = Date.now();
      const stored = lms("LMSGetValue", "cmi.core.lesson_status");
      if (stored === "" || stored === "not attempted") set("cmi.core.lesson_status", "incomplete");
      set("cmi.core.exit", "suspend");
      const leave = () => {
        if (!api) return;
        set("cmi.core.session_time", sessionTime());
        lms("LMSFinish", "");
        api = null;
      };
      addEventListener("pagehide", leave);
    }
  }
  function report(percent) {
    if (!api) return;
    set("cmi.core.score.raw", String(percent));
    set("cmi.core.score.min", "0");
    set("cmi.core.score.max", "100");
    set("cmi.core.lesson_status", percent >= quiz.passMark ? "passed" : "failed");
    set("cmi.core.exit", "");
    set("cmi.core.session_time", sessionTime());
    lms("LMSCommit", "");
  }

  let game = null, timer = 0;
  function screen() {
    app.textContent = "";
    app.appendChild(rich(el("h1"), /\S/.test(quiz.title) ? quiz.title : document.title));
    const s = el("section", "pantalla");
    app.appendChild(s);
    return s;
  }
  function row(parent) {
    return parent.appendChild(el("div", "accions"));
  }
  function clock() {
    const left = Math.max(0, Math.ceil((game.deadline - Date.now()) / 1000));
    const m = Math.floor(left / 60), s = left % 60;
    return "Tempo: " + m + ":" + (s < 10 ? "0" : "") + s;
  }
  function tick() {
    const c = document.getElementById("reloxo");
    if (c) c.textContent = clock();
    if (Date.now() >= game.deadline) finish(true);
  }

  function start() {
    const s = screen();
    if (quiz.subtitle) s.appendChild(rich(el("p", "subtitulo"), quiz.subtitle));
    if (quiz.author) s.appendChild(rich(el("p", "autor"), quiz.author));
    if (quiz.intro) s.appendChild(rich(el("div", "intro"), quiz.intro));
    if (quiz.time) s.appendChild(el("p", "tempo", "Tempo: " + quiz.time));
    const r = row(s);
    if (quiz.introSound) r.appendChild(soundButton("Escoitar a introdución", quiz.introSound));
    if (quiz.help) {
      const box = rich(el("div", "axuda"), quiz.help);
      box.id = "axuda";
      box.hidden = true;
      const h = button("Axuda", () => {
        box.hidden = !box.hidden;
        h.setAttribute("aria-expanded", String(!box.hidden));
      }, "boton secundario");
      h.setAttribute("aria-controls", "axuda");
      h.setAttribute("aria-expanded", "false");
      r.appendChild(h);
      s.appendChild(box);
    }
    const go = button("Comezar", begin);
    row(s).appendChild(go);
    return go;
  }

  function begin() {
    clearInterval(timer);
    if (game && game.over && api) set("cmi.core.exit", "suspend");
    const list = quiz.inOrder ? quiz.questions : shuffled(quiz.questions);
    game = {
      items: list.map((q) => {
        const kind = q.kind || "unha", notes = (q.messages || []).map(unseal);
        if (kind === "curta") {
          const accepted = q.accepted.map(unseal);
          return { q, kind, accepted, right: accepted.slice(0, 1) };
        }
        const several = kind === "varias";
        const code = (q.sealed + quiz.salt) % (several ? 16 : q.answers.length);
        const answers = q.answers.map((text, i) =>
          ({ text, note: notes[i], right: several ? (code >> i & 1) === 1 : i === code }));
        const shown = kind === "vf" ? answers : shuffled(answers);
        return { q, kind, answers: shown, right: shown.filter((a) => a.right).map((a) => a.text) };
      }),
      index: 0, score: 0, over: false, deadline: 0,
    };
    if (quiz.seconds) {
      game.deadline = Date.now() + quiz.seconds * 1000;
      timer = setInterval(tick, 250);
    }
    if (game.items.length) ask(); else finish(false);
  }

  function ask() {
    const item = game.items[game.index], q = item.q;
    const s = screen();
    const bar = s.appendChild(el("div", "estado"));
    bar.appendChild(el("p", "", "Pregunta " + (game.index + 1) + " de " + game.items.length));
    bar.appendChild(el("p", "", "Correctas: " + game.score)).id = "puntos";
    if (game.deadline) {
      const c = bar.appendChild(el("p", "", clock()));
      c.id = "reloxo";
      c.setAttribute("role", "timer");
    }
    const h = s.appendChild(rich(el("h2", "texto"), q.text));
    h.id = "enunciado";
    if (q.picture) {
      const img = s.appendChild(el("img", "imaxe"));
      img.src = q.picture;
      img.alt = "Imaxe da pregunta";
    }
    if (q.sound || q.link) {
      const r = row(s);
      if (q.sound) r.appendChild(soundButton("Escoitar", q.sound));
      if (q.link) {
        const a = r.appendChild(el("a", "", "Máis información"));
        a.href = q.link;
        a.target = "_blank";
        a.rel = "noopener";
        if (!/^(https?|mailto|file):$/.test(a.protocol)) a.removeAttribute("href");
      }
    }
    const group = s.appendChild(el("div", "respostas"));
    group.setAttribute("role", "group");
    group.setAttribute("aria-labelledby", "enunciado");
    if (item.kind === "curta") {
      group.appendChild(el("label", "", "A túa resposta")).htmlFor = "escrita";
      const box = item.box = group.appendChild(el("input", "escrita"));
      box.id = "escrita";
      box.type = "text";
      box.autocomplete = "off";
      box.spellcheck = false;
      box.setAttribute("autocapitalize", "off");
    } else item.answers.forEach((a, i) => {
      if (item.kind === "varias") {
        a.button = group.appendChild(el("label", "resposta"));
        a.box = a.button.appendChild(el("input"));
        a.box.type = "checkbox";
      } else a.button = group.appendChild(button("", () => choose(i), "resposta"));
      a.button.appendChild(el("span", "numero", String(i + 1)));
      rich(a.button.appendChild(el("span", "texto")), a.text);
    });
    if (item.kind === "varias" || item.box) item.check = row(s).appendChild(button("Comprobar", check));
    item.info = s.appendChild(el("div"));
    focus(h);
  }

  // Texts one after another, each a teacher's text.
  function texts(parent, list) {
    list.forEach((t, i) => {
      if (i) parent.appendChild(document.createTextNode("; "));
      rich(parent, t);
    });
    return parent;
  }

  function mark(b, cls, text) {
    b.classList.add(cls);
    b.appendChild(el("span", "marca", text));
  }

  function choose(i) {
    const item = game.items[game.index];
    if (game.over || item.done) return;
    item.answers[i].chosen = true;
    answered(item.answers[i].right);
  }

  // "Comprobar": the ticks or the typed text; nothing ticked or typed is no answer yet.
  function check() {
    const item = game.items[game.index];
    if (game.over || item.done) return;
    const hint = (text) => {
      item.info.className = "info pista";
      item.info.replaceChildren(el("p", "mensaxe", text));
      announce(text);
    };
    if (item.box) {
      if (!item.box.value.trim()) return hint("Escribe a túa resposta.");
      item.typed = item.box.value;
      answered(item.accepted.some((a) => plain(a) === plain(item.typed)));
    } else {
      item.answers.forEach((a) => { a.chosen = a.box.checked; });
      if (!item.answers.some((a) => a.chosen)) return hint("Marca polo menos unha resposta.");
      answered(item.answers.every((a) => a.chosen === a.right));
    }
  }

  function answered(right) {
    const item = game.items[game.index], q = item.q, many = item.kind === "varias";
    item.done = true;
    item.ok = right;
    if (right) game.score++;
    document.getElementById("puntos").textContent = "Correctas: " + game.score;
    const notes = [];
    if (item.box) {
      item.box.readOnly = true;
      item.box.classList.add(right ? "correcta" : "errada");
    } else item.answers.forEach((a) => {
      (a.box || a.button).disabled = true;
      if (a.right) mark(a.button, "correcta", right || a.chosen ? "✓ Correcta" : many ? "✓ Correcta, sen marcar" : "✓ A resposta correcta");
      else if (a.chosen) mark(a.button, "errada", many ? "✗ Non é correcta" : "✗ A túa resposta");
      if (a.chosen && a.note) notes.push(rich(a.button.appendChild(el("span", "retro")), a.note).textContent);
    });
    if (item.check) item.check.parentNode.remove();
    const info = item.info;
    info.textContent = "";
    info.className = "info " + (right ? "ben" : "mal");
    const msg = info.appendChild(el("p", "mensaxe", right ? "✓ " : "✗ "));
    rich(msg, right ? q.right || "Correcto!" : q.wrong || "Incorrecto.");
    if (!right) {
      const several = item.right.length > 1;
      texts(info.appendChild(el("p", "", several ? "As respostas correctas: " : "A resposta correcta: ")), item.right);
    }
    announce([info.textContent, ...notes].join(" "));
    play(right ? q.rightSound : q.wrongSound);
    const next = button("Seguinte", () => {
      game.index++;
      if (game.index < game.items.length) ask(); else finish(false);
    });
    row(info).appendChild(next);
    next.focus();
  }

  function finish(timedOut) {
    clearInterval(timer);
    if (game.over) return;
    game.over = true;
    const total = game.items.length, score = game.score;
    const percent = total ? Math.round((score * 100) / total) : 0;
    const well = percent >= quiz.passMark;
    const s = screen();
    const h = s.appendChild(el("h2", "", "Resultado"));
    if (timedOut) s.appendChild(el("p", "mensaxe", "Acabou o tempo."));
    const line = score + " de " + total + " correctas (" + percent + " %)";
    const result = s.appendChild(el("p", "puntuacion", score + " de " + total + " correctas "));
    result.appendChild(el("span", "xunto", "(" + percent + " %)"));
    const message = well ? quiz.endWell : quiz.endBad;
    if (message) s.appendChild(rich(el("p", "mensaxe"), message));
    play(well ? quiz.endWellSound : quiz.endBadSound);
    const again = () => row(s).appendChild(button("Xogar de novo", begin));
    if (total) {
      again(); // above a list that may be long, and again below it
      s.appendChild(el("h3", "", "As túas respostas"));
      const list = s.appendChild(el("ol", "revision"));
      list.style.paddingLeft = String(total).length + 1.5 + "ch"; // room for every number
      game.items.forEach((item) => {
        const li = list.appendChild(el("li"));
        rich(li.appendChild(el("p", "texto")), item.q.text);
        const ok = item.done && item.ok;
        const chosen = item.done && item.answers ? item.answers.filter((a) => a.chosen).map((a) => a.text) : [];
        const given = li.appendChild(el("p", "", (ok ? "✓ " : "✗ ") +
                                        (chosen.length > 1 ? "As túas respostas: " : "A túa resposta: ")));
        if (!item.done) given.appendChild(document.createTextNode("sen resposta"));
        else if (item.box) given.appendChild(document.createTextNode(item.typed));
        else texts(given, chosen);
        if (!ok) texts(li.appendChild(el("p", "", item.right.length > 1 ? "Respostas correctas: " : "Resposta correcta: ")), item.right);
      });
    }
    again();
    announce((timedOut ? "Acabou o tempo. " : "") + line);
    focus(h);
    report(percent);
  }

  // Keys 1-4 choose an answer, or tick one of several; Enter, unless on a button or a
  // link, presses "Comprobar". A text box keeps every other key.
  document.addEventListener("keydown", (e) => {
    if (!game || game.over || e.ctrlKey || e.altKey || e.metaKey || e.isComposing) return;
    const item = game.items[game.index];
    if (item.done) return;
    if (e.key === "Enter" && item.check && !/^(button|a)$/.test(e.target.localName)) {
      e.preventDefault();
      check();
      return;
    }
    const n = "1234".indexOf(e.key);
    if (item.box || n < 0 || n >= item.answers.length) return;
    e.preventDefault();
    const a = item.answers[n];
    if (a.box) a.box.checked = !a.box.checked;
    else choose(n);
  });

  start();
})();
