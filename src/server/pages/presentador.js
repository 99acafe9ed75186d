// The presenter page of the classroom game, for the projector: the lobby with the QR
// code and the names, each question with its countdown and how many answered, how
// many chose each answer once it closed, and the podium. It takes the presenter's part
// with the secret in its address (?chave=...); the server sends it the game where it is
// whenever it connects. Every text from the quiz or a player goes in as text.
"use strict";
(() => {
  const screen = document.getElementById("pantalla");
  const live = document.getElementById("aviso");
  const connection = document.getElementById("conexion");
  const confirmEnd = document.getElementById("rematar");
  const SHAPES = xogo.SHAPES;

  const key = new URLSearchParams(location.search).get("chave") || "";
  let socket = null;
  let delay = 1000;
  let retry = 0;
  let ticker = 0;
  let shown = ""; // the kind of screen on show: "lobby", "question", "closed", "final"
  let refusedKey = false;

  const el = xogo.el;

  const announce = (text) => xogo.announce(live, text);

  function show(kind, parts, said) {
    clearInterval(ticker);
    shown = kind;
    screen.replaceChildren(...parts);
    if (said) announce(said);
    screen.querySelector("h1").focus();
  }

  function heading(text, cls) {
    return el("h1", { tabindex: "-1", class: cls || null }, text);
  }

  function send(message) {
    if (!socket || socket.readyState !== WebSocket.OPEN) {
      announce("Sen conexión co servidor.");
      return false;
    }
    socket.send(JSON.stringify(message));
    return true;
  }

  function button(text, cls, message) {
    return el("button", { type: "button", class: cls, onclick: () => send(message) }, text);
  }

  function endButton() {
    return el("button", { type: "button", class: "secundario", onclick: () => {
      confirmEnd.showModal();
      document.getElementById("rematar-non").focus(); // going on is the safe choice
    } }, "Rematar");
  }

  function playersText(n) { return n === 1 ? "1 xogador" : `${n} xogadores`; }
  function answeredText(answered, of) { return `${answered} de ${of} responderon`; }

  // --- without the secret ---

  function noKeyScreen(wrong) {
    show("sen-chave", [el("section", { class: "pantalla aviso-chave" },
      heading(wrong ? "A chave do presentador non é válida" : "Falta a chave do presentador"),
      el("p", null, "Esta páxina só manexa o xogo co enderezo completo do presentador, o que abre Vireta ao comezar o xogo en clase (remata en ?chave=…)."),
      el("p", null, "O alumnado entra no enderezo sen chave."))],
    wrong ? "A chave do presentador non é válida." : "Falta a chave do presentador.");
  }

  // --- the lobby ---

  function lobbyScreen(m) {
    if (shown !== "lobby") {
      const limit = m.seconds == null ? "Sen límite de tempo" : `${m.seconds} s por pregunta`;
      show("lobby", [el("section", { class: "lobby" },
        el("div", { class: "qr" }, el("img", { src: "/qr.svg", alt: "Código QR do enderezo do alumnado" })),
        el("div", { class: "datos" },
          heading("Entrade na partida"),
          el("p", { class: "etiqueta" }, "Enderezo"),
          el("p", { class: "enderezo" }, m.address),
          el("p", { class: "etiqueta", id: "codigo-etiqueta" }, "Código da partida"),
          el("p", { class: "codigo", "aria-describedby": "codigo-etiqueta" }, m.code),
          el("p", { class: "axustes" }, `${limit} · ${m.ranking ? "Con clasificación" : "Sen clasificación"}`),
          el("p", { class: "xogadores" }),
          el("ul", { class: "nomes", "aria-label": "Xogadores" }),
          el("div", { class: "accions" }, button("Comezar", "boton grande comezar", { t: "start" }))))],
      "Entrade na partida.");
    }
    const count = screen.querySelector(".xogadores");
    const before = count.textContent;
    count.textContent = playersText(m.players.length);
    screen.querySelector(".nomes").replaceChildren(...m.players.map((n) => el("li", null, n)));
    screen.querySelector(".comezar").disabled = m.players.length === 0;
    if (before && before !== count.textContent) announce(count.textContent);
  }

  // --- a question ---

  function answersList(answers) {
    return el("ol", { class: "taboleiro" }, ...answers.map((text, i) =>
      el("li", { class: `opcion cor-${i}` }, el("span", { class: "forma", "aria-hidden": "true" }, SHAPES[i]),
         el("span", { class: "texto" }, text))));
  }

  function questionScreen(m) {
    const clock = el("div", { class: "reloxo" });
    const parts = [
      el("div", { class: "cabeceira" }, el("p", { class: "numero" }, `Pregunta ${m.q} de ${m.of}`), clock),
      heading(m.text, "enunciado"),
    ];
    if (m.image || m.sound) {
      parts.push(el("div", { class: "medios" },
        m.image ? el("img", { class: "imaxe", src: m.image, alt: "Imaxe da pregunta" }) : null,
        m.sound ? el("audio", { controls: true, preload: "auto", src: m.sound, "aria-label": "Son da pregunta" }) : null));
    }
    if (m.kind === "curta") parts.push(el("p", { class: "indicacion" }, "Escribide a resposta no teléfono."));
    else parts.push(answersList(m.answers));
    if (m.kind === "varias") parts.push(el("p", { class: "indicacion" }, "Pode haber máis dunha correcta."));
    parts.push(el("div", { class: "pe" },
      el("p", { class: "contador" }, answeredText(m.answered, m.players)),
      el("div", { class: "accions" }, button("Pechar pregunta", "boton", { t: "close" }), endButton())));
    show("question", [el("section", { class: "pregunta-pres" }, ...parts)], `Pregunta ${m.q} de ${m.of}. ${m.text}`);

    if (m.remainingMs == null) {
      clock.append(el("p", { class: "segundos sen-limite" }, "Sen límite de tempo"));
      return;
    }
    const seconds = el("p", { class: "segundos" });
    const bar = el("progress", { max: String(m.seconds * 1000), "aria-hidden": "true" });
    clock.append(seconds, bar);
    const end = performance.now() + m.remainingMs;
    const paint = () => {
      const left = Math.max(0, end - performance.now());
      const s = Math.ceil(left / 1000);
      seconds.textContent = `${s} s`;
      seconds.classList.toggle("pouco", s <= 5);
      bar.value = left;
      if (left === 0) clearInterval(ticker);
    };
    paint();
    ticker = setInterval(paint, 200);
  }

  function countUpdate(m) {
    const counter = screen.querySelector(".contador");
    if (shown === "question" && counter) counter.textContent = answeredText(m.answered, m.of);
  }

  // --- a question closed ---

  function closedScreen(m) {
    const most = Math.max(1, ...m.answers.map((a) => a.count), m.others || 0);
    const row = (text, count, right, i) => el("li", { class: `opcion cor-${i}${right ? " correcta" : " non-correcta"}` },
      el("span", { class: "forma", "aria-hidden": "true" }, right ? "✓" : SHAPES[i] || "…"),
      el("span", { class: "texto" }, text, right ? el("span", { class: "sinal" }, " (correcta)") : null),
      el("span", { class: "cantidade" }, String(count)),
      el("progress", { max: String(most), value: String(count), "aria-hidden": "true" }));
    const rows = m.answers.map((a, i) => row(a.text, a.count, a.right, m.kind === "curta" ? 1 : i));
    if (m.kind === "curta") rows.push(row("Outras respostas", m.others, false, 4));
    const parts = [
      el("div", { class: "cabeceira" }, el("p", { class: "numero" }, `Pregunta ${m.q} de ${m.of}`),
         el("p", { class: "contador" }, answeredText(m.answered, m.players))),
      heading(m.text, "enunciado pechada"),
      el("ol", { class: "reconto" }, ...rows),
    ];
    if (m.top) {
      parts.push(el("section", { class: "clasificacion", "aria-labelledby": "clasificacion-titulo" },
        el("h2", { id: "clasificacion-titulo" }, "Clasificación"),
        el("ol", null, ...m.top.map((p) => el("li", null,
          el("span", { class: "lugar" }, `${p.place}.º`), el("span", { class: "nome" }, p.name),
          el("span", { class: "puntos" }, `${p.points} puntos`))))));
    }
    parts.push(el("div", { class: "pe" },
      el("p", { class: "indicacion" }, m.last ? "Era a última pregunta: «Seguinte» amosa os resultados." : ""),
      el("div", { class: "accions" }, button("Seguinte", "boton", { t: "next" }), endButton())));
    const right = m.answers.filter((a) => a.right).map((a) => a.text).join(", ");
    show("closed", [el("section", { class: "pechada-pres" }, ...parts)],
         `Pregunta pechada. ${m.kind === "curta" ? "Aceptadas" : "Correcta"}: ${right}.`);
  }

  // --- the end ---

  function finalScreen(m) {
    if (confirmEnd.open) confirmEnd.close();
    const podium = el("ol", { class: "podio" }, ...m.podium.map((p) => el("li", { class: `posto-${p.place}` },
      el("span", { class: "lugar" }, `${p.place}.º`), el("span", { class: "nome" }, p.name),
      el("span", { class: "puntos" }, `${p.points} puntos`))));
    const table = el("table", { class: "acertos" },
      el("caption", null, "Acertos por pregunta"),
      el("thead", null, el("tr", null, el("th", { scope: "col" }, "Pregunta"), el("th", { scope: "col" }, "Acertos"))),
      el("tbody", null, ...m.questions.map((q) => el("tr", null,
        el("th", { scope: "row" }, `${q.q}. ${q.text}`),
        el("td", null, el("progress", { max: "100", value: String(q.share), "aria-hidden": "true" }),
           el("span", { class: "porcentaxe" }, `${q.share} %`))))));
    show("final", [el("section", { class: "final-pres" },
      heading("Resultados finais"),
      m.podium.length ? podium : el("p", null, "Ninguén xogou esta partida."),
      el("p", { class: "xogadores" }, playersText(m.players)),
      m.questions.length ? table : null,
      el("p", { class: "indicacion" }, "O xogo rematou. Os resultados están gardados xunto ao cuestionario."))],
    `Resultados finais. ${m.podium.map((p) => `${p.place}.º ${p.name}`).join(", ")}.`);
  }

  function receive(m) {
    switch (m.t) {
      case "lobby": return lobbyScreen(m);
      case "question": return questionScreen(m);
      case "count": return countUpdate(m);
      case "closed": return closedScreen(m);
      case "final": return finalScreen(m);
      case "refused":
        if (m.why === "key") {
          refusedKey = true;
          if (socket) socket.close();
          noKeyScreen(true);
        }
        return undefined;
      default: return undefined;
    }
  }

  // --- the connection ---

  function connect() {
    clearTimeout(retry);
    const ws = new WebSocket(`${location.protocol === "https:" ? "wss" : "ws"}://${location.host}/ws`);
    socket = ws;
    ws.onopen = () => {
      connection.hidden = true;
      ws.send(JSON.stringify({ t: "presenter", key }));
    };
    ws.onmessage = (event) => {
      delay = 1000;
      let m;
      try { m = JSON.parse(event.data); } catch (e) { return; }
      if (m && typeof m.t === "string") receive(m);
    };
    ws.onclose = () => {
      if (socket !== ws) return;
      socket = null;
      if (refusedKey) return;
      connection.hidden = false;
      connection.textContent = "Sen conexión co servidor. Volvendo conectar…";
      retry = setTimeout(connect, delay);
      delay = Math.min(delay * 2, 10000);
    };
  }

  document.getElementById("rematar-si").addEventListener("click", () => {
    confirmEnd.close();
    send({ t: "end" });
  });
  document.getElementById("rematar-non").addEventListener("click", () => confirmEnd.close());

  if (!key) {
    noKeyScreen(false);
    return;
  }
  show("conectando", [el("section", { class: "pantalla" }, heading("Conectando co xogo…"))]);
  connect();
})();
