// The student page of the classroom game: join with the game code and a name, answer
// each question on the phone, see "Correcto" or "Incorrecto", the points and the place.
// It talks to the server over the WebSocket /ws (docs/classroom.md). The token the
// server gives on joining is kept per game code, so a reload or a lost connection
// comes back as the same player. Every text from the quiz or a player goes in as text.
"use strict";
(() => {
  const screen = document.getElementById("pantalla");
  const live = document.getElementById("aviso");
  const connection = document.getElementById("conexion");
  const playerBar = document.getElementById("xogador");
  const SHAPES = xogo.SHAPES;
  const STORE = "vireta-clase:";

  let code = (new URLSearchParams(location.search).get("codigo") || "").trim();
  let socket = null;
  let delay = 1000; // before the next reconnection, doubled up to 15 s
  let retry = 0;
  let stopped = false; // no reconnection: the player went on elsewhere
  let ticker = 0;
  let joinWanted = null; // a join waiting for the connection
  let name = "";
  let points = 0;
  let open = null;     // the question on screen
  let unsent = null;   // an answer the connection lost, sent again on return
  let form = null;     // the join form, kept with what was typed
  let lastSent = "";   // what the page sent last: "join", "resume" or "answer"
  let joinAfterResume = false; // "Entrar" sent a kept token: join if it is refused

  const el = xogo.el;

  function storedToken(c) {
    try { return c ? localStorage.getItem(STORE + c) : null; } catch (e) { return null; }
  }
  function keepToken(c, token) {
    try { localStorage.setItem(STORE + c, token); } catch (e) { /* private mode: no return */ }
  }
  function forgetToken(c) {
    try { localStorage.removeItem(STORE + c); } catch (e) { /* nothing kept */ }
  }

  const announce = (text) => xogo.announce(live, text);

  function pointsText(n) { return `${n} puntos`; }

  function showPlayer() {
    playerBar.hidden = !name;
    playerBar.textContent = name ? `${name} · ${pointsText(points)}` : "";
  }

  // Puts a new screen in place, says `said` and moves the focus to `focus` (the
  // heading by default).
  function show(parts, said, focus) {
    clearInterval(ticker);
    screen.replaceChildren(...parts);
    if (said) announce(said);
    (focus || screen.querySelector("h1")).focus();
  }

  function heading(text, cls) {
    return el("h1", { tabindex: "-1", class: cls || null }, text);
  }

  function send(message) {
    if (!socket || socket.readyState !== WebSocket.OPEN) return false;
    socket.send(JSON.stringify(message));
    return true;
  }

  // --- joining ---

  function joinScreen(error, field) {
    if (!form) {
      const codeBox = el("input", { id: "codigo", name: "codigo", type: "text", inputmode: "numeric",
                                   autocomplete: "off", maxlength: "6", value: code });
      const nameBox = el("input", { id: "nome", name: "nome", type: "text", autocomplete: "nickname",
                                   maxlength: "30", autocapitalize: "words" });
      const problem = el("p", { id: "erro-entrada", class: "erro", hidden: true });
      form = el("form", { class: "entrada", novalidate: true, onsubmit: submitJoin },
        el("div", { class: "campo" }, el("label", { for: "codigo" }, "Código da partida"), codeBox),
        el("div", { class: "campo" }, el("label", { for: "nome" }, "O teu nome"), nameBox),
        problem,
        el("button", { type: "submit", class: "boton grande" }, "Entrar"));
      form.fields = { codigo: codeBox, nome: nameBox };
      form.problem = problem;
    }
    const { codigo, nome } = form.fields;
    for (const box of [codigo, nome]) {
      box.removeAttribute("aria-invalid");
      box.removeAttribute("aria-describedby");
    }
    form.problem.hidden = !error;
    form.problem.textContent = error || "";
    const wrong = field ? form.fields[field] : null;
    if (wrong) {
      wrong.setAttribute("aria-invalid", "true");
      wrong.setAttribute("aria-describedby", "erro-entrada");
    }
    name = "";
    showPlayer();
    const first = wrong || (codigo.value.trim() ? nome : codigo);
    if (screen.contains(form)) {
      if (error) announce(error);
      first.focus();
      return;
    }
    show([el("section", { class: "pantalla" }, heading("Entra na partida"), form)], error, first);
  }

  function submitJoin(event) {
    event.preventDefault();
    const { codigo, nome } = form.fields;
    const c = codigo.value.replace(/\s+/g, "");
    if (!c) return joinScreen("Escribe o código da partida.", "codigo");
    if (!nome.value.trim()) return joinScreen("Escribe o teu nome.", "nome");
    code = c;
    // A player of this game on this phone already comes back as themselves.
    const token = storedToken(c);
    joinWanted = token ? { t: "resume", token } : { t: "join", code: c, name: nome.value };
    lastSent = joinWanted.t;
    joinAfterResume = Boolean(token);
    if (send(joinWanted)) joinWanted = null;
    else if (!socket) connect();
  }

  function refused(why) {
    const joining = !name;
    if (why === "token") { // a player of a game gone: join anew
      forgetToken(code);
      joinScreen();
      if (joinAfterResume) form.requestSubmit();
      joinAfterResume = false;
      return undefined;
    }
    if (joining || lastSent === "join") {
      const texts = {
        code: ["Non hai ningunha partida con ese código.", "codigo"],
        name: ["Escribe o teu nome.", "nome"],
        full: ["A partida está chea: non entra ninguén máis."],
        closed: ["Esta partida xa rematou."],
      };
      const [text, field] = texts[why] || ["Non se puido entrar na partida."];
      return joinScreen(text, field);
    }
    // An answer refused: the question closed meanwhile, or it did not fit.
    unsent = null;
    if (why === "closed") note("A pregunta xa pechou.");
    else note("Non se puido enviar a resposta.", true);
  }

  // A short note on the current screen, also said aloud.
  // `again`: the controls can be used again.
  function note(text, again) {
    let p = screen.querySelector(".nota");
    if (!p) p = screen.firstElementChild.appendChild(el("p", { class: "nota" }));
    p.textContent = text;
    announce(text);
    if (again) for (const c of screen.querySelectorAll("button, input")) c.disabled = false;
  }

  // --- the game ---

  function waitScreen(m) {
    open = null;
    points = m.points;
    showPlayer();
    const parts = [heading("Agarda polo profesor…"),
                   el("p", null, "Xa estás dentro, ", el("strong", null, name), ".")];
    if (m.late) parts.push(el("p", null, "A partida xa comezou: entras na seguinte pregunta."));
    show([el("section", { class: "pantalla espera" }, ...parts)],
         m.late ? "Agarda: entras na seguinte pregunta." : "Agarda polo profesor.");
  }

  function timer(m) {
    if (m.end == null) return null;
    const p = el("p", { class: "tempo" });
    const paint = () => { // m.end moves when the page comes back to the question
      const s = Math.max(0, Math.ceil((m.end - performance.now()) / 1000));
      p.textContent = `Tempo: ${s} s`;
      if (s === 0) clearInterval(ticker);
    };
    paint();
    return { p, start: () => { ticker = setInterval(paint, 250); } };
  }

  function questionHeader(m, clock) {
    return el("div", { class: "estado" }, el("p", null, `Pregunta ${m.q} de ${m.of}`), clock ? clock.p : null);
  }

  function questionScreen(m) {
    const end = m.remainingMs == null ? null : performance.now() + m.remainingMs;
    if (open && open.q === m.q && !m.sent && screen.querySelector(".pregunta")) {
      // Back on the same question after a lost connection: what was ticked or typed
      // stays, and an answer the connection lost goes again.
      open.end = end;
      if (unsent) answer(unsent);
      return;
    }
    m.end = end;
    open = m;
    if (m.sent) return sentScreen(m);
    const clock = timer(m);
    const parts = [questionHeader(m, clock), heading(m.text, "enunciado")];
    if (m.image) parts.push(el("img", { class: "imaxe", src: m.image, alt: "Imaxe da pregunta" }));
    if (m.kind === "varias") parts.push(severalForm(m));
    else if (m.kind === "curta") parts.push(typedForm(m));
    else {
      parts.push(el("div", { class: "respostas", role: "group", "aria-label": "Respostas" },
        ...m.answers.map((text, i) => el("button", {
          type: "button", class: `resposta cor-${i}`,
          onclick: () => answer({ t: "answer", q: m.q, pick: [i] }),
        }, el("span", { class: "forma", "aria-hidden": "true" }, SHAPES[i]), el("span", { class: "texto" }, text)))));
    }
    show([el("section", { class: "pantalla pregunta" }, ...parts)], `Pregunta ${m.q} de ${m.of}. ${m.text}`);
    if (clock) clock.start();
  }

  function severalForm(m) {
    const problem = el("p", { id: "erro-resposta", class: "erro", hidden: true });
    const boxes = m.answers.map((text, i) => el("input", { type: "checkbox", id: `r${i}` }));
    const f = el("form", { novalidate: true, onsubmit: (event) => {
      event.preventDefault();
      const pick = boxes.flatMap((b, i) => (b.checked ? [i] : []));
      if (pick.length === 0) {
        problem.hidden = false;
        problem.textContent = "Marca polo menos unha resposta.";
        announce(problem.textContent);
        boxes[0].focus();
        return;
      }
      answer({ t: "answer", q: m.q, pick });
    } },
    el("fieldset", { class: "respostas", "aria-describedby": "erro-resposta" },
      el("legend", null, "Marca todas as correctas e preme Enviar."),
      ...m.answers.map((text, i) => el("label", { class: `resposta marcable cor-${i}`, for: `r${i}` },
        boxes[i], el("span", { class: "texto" }, text)))),
    problem,
    el("button", { type: "submit", class: "boton grande" }, "Enviar"));
    return f;
  }

  function typedForm(m) {
    const problem = el("p", { id: "erro-resposta", class: "erro", hidden: true });
    const box = el("input", { id: "escrita", type: "text", autocomplete: "off", maxlength: "200",
                              "aria-describedby": "erro-resposta" });
    return el("form", { class: "curta", novalidate: true, onsubmit: (event) => {
      event.preventDefault();
      if (!box.value.trim()) {
        problem.hidden = false;
        problem.textContent = "Escribe a túa resposta.";
        box.setAttribute("aria-invalid", "true");
        announce(problem.textContent);
        box.focus();
        return;
      }
      answer({ t: "answer", q: m.q, text: box.value });
    } },
    el("div", { class: "campo" }, el("label", { for: "escrita" }, "A túa resposta"), box),
    problem,
    el("button", { type: "submit", class: "boton grande" }, "Enviar"));
  }

  // Sends an answer; the controls wait for "sent". Without a connection it is kept and
  // sent again when the page is back in the same question.
  function answer(message) {
    unsent = message;
    lastSent = "answer";
    for (const c of screen.querySelectorAll("button, input")) c.disabled = true;
    if (send(message)) return;
    if (!screen.querySelector(".nota")) {
      screen.firstElementChild.appendChild(el("p", { class: "nota" }, "Sen conexión: a resposta envíase ao volver."));
    }
  }

  function sentScreen(m) {
    unsent = null;
    const clock = timer(m);
    show([el("section", { class: "pantalla enviada" },
      questionHeader(m, clock),
      heading("Resposta enviada"),
      el("p", null, "Agarda a que peche a pregunta."))], "Resposta enviada.");
    if (clock) clock.start();
  }

  function resultScreen(m) {
    open = null;
    unsent = null;
    points = m.points;
    showPlayer();
    const verdict = m.right ? "Correcto" : "Incorrecto";
    const parts = [
      el("p", { class: "estado" }, `Pregunta ${m.q}`),
      el("h1", { tabindex: "-1", class: m.right ? "veredicto ben" : "veredicto mal" },
        el("span", { class: "icona", "aria-hidden": "true" }, m.right ? "✓" : "✗"), verdict),
      el("p", { class: "puntos" }, pointsText(m.points)),
      el("p", { class: "ganados" }, `+${m.gained} nesta pregunta`),
      el("p", { class: "posto" }, `Posto ${m.place} de ${m.of}`),
    ];
    if (m.message) parts.push(el("p", { class: "mensaxe" }, m.message));
    parts.push(el("p", { class: "seguinte" }, "Agarda pola seguinte pregunta."));
    show([el("section", { class: "pantalla resultado" }, ...parts)],
         `${verdict}. ${pointsText(m.points)}. Posto ${m.place} de ${m.of}.${m.message ? " " + m.message : ""}`);
  }

  function finalScreen(m) {
    open = null;
    points = m.points;
    showPlayer();
    show([el("section", { class: "pantalla final" },
      heading("Fin do xogo"),
      el("p", { class: "puntos" }, pointsText(m.points)),
      el("p", { class: "posto" }, `Posto ${m.place} de ${m.of}`),
      el("p", null, "Grazas por xogar!"))],
    `Fin do xogo. ${pointsText(m.points)}. Posto ${m.place} de ${m.of}.`);
  }

  function receive(m) {
    switch (m.t) {
      case "joined":
        name = m.name;
        keepToken(code, m.token);
        history.replaceState(null, "", `?codigo=${encodeURIComponent(code)}`);
        showPlayer();
        connection.hidden = true;
        break;
      case "wait": return waitScreen(m);
      case "question": return questionScreen(m);
      case "sent": return open ? sentScreen(open) : undefined;
      case "result": return resultScreen(m);
      case "final": return finalScreen(m);
      case "refused": return refused(m.why);
      default: break;
    }
  }

  // --- the connection ---

  function connect() {
    clearTimeout(retry);
    const ws = new WebSocket(`${location.protocol === "https:" ? "wss" : "ws"}://${location.host}/ws`);
    socket = ws;
    ws.onopen = () => {
      const token = storedToken(code);
      if (token) {
        lastSent = "resume";
        send({ t: "resume", token });
        joinWanted = null;
      } else if (joinWanted) {
        send(joinWanted);
        joinWanted = null;
      }
      if (!token) connection.hidden = true;
    };
    ws.onmessage = (event) => {
      delay = 1000;
      let m;
      try { m = JSON.parse(event.data); } catch (e) { return; }
      if (m && typeof m.t === "string") receive(m);
    };
    ws.onclose = (event) => {
      if (socket !== ws) return;
      socket = null;
      connection.hidden = false;
      if (event.code === 4000) {
        // The server gave this player to a newer connection (another tab or phone
        // with the same token): taking it back would only start a tug of war.
        connection.textContent = "Esta partida seguiu noutra xanela. Recarga a páxina para xogar aquí.";
        stopped = true;
        return;
      }
      connection.textContent = "Sen conexión co profesor. Volvendo conectar…";
      retry = setTimeout(connect, delay + Math.random() * 500);
      delay = Math.min(delay * 2, 15000);
    };
  }

  // A phone that wakes up or finds its network again tries at once.
  function tryNow() {
    if (!socket && !stopped && document.visibilityState === "visible") connect();
  }
  document.addEventListener("visibilitychange", tryNow);
  window.addEventListener("online", tryNow);

  if (storedToken(code)) {
    show([el("section", { class: "pantalla" }, heading("Volvendo á partida…"))], "Volvendo á partida.");
  } else {
    joinScreen();
  }
  connect();
})();
