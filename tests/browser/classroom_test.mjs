// The classroom game served by vireta-clase on the loopback and played in the system
// Chromium: a presenter and five students (one more joining late) play a quiz of every
// kind with right, wrong and missing answers; points by time and shared places, the
// counts and the ranking on the projector, the podium and the share right; a student
// and the presenter reload mid-game and come back where they were; a presenter page
// without the secret or with a wrong one can do nothing; nothing a student's page
// receives or shows before a question closes tells its right answer; axe-core's WCAG
// 2.1 A/AA rules on every screen; the join form and answers by keyboard; a game
// without a time limit scores 1000 a right answer; SIGTERM ends the server with status
// 0 and the results file beside the quiz holds every student's row.
//
// Usage: node classroom_test.mjs VIRETA_CLASE WORK_DIR
// Exits 77 (skipped) when no Chromium is installed.
import { after, before, describe, test } from "node:test";
import assert from "node:assert/strict";
import { readFileSync, readdirSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { copyQuiz, startGame, stopGame } from "./classroom_lib.mjs";
import { SKIPPED, findChromium, launch } from "./web_game_lib.mjs";

const executable = findChromium();
if (!executable) {
  console.log("no Chromium installed: skipped");
  process.exit(SKIPPED);
}
const [clase, workDir] = process.argv.slice(2);
if (!clase || !workDir) {
  console.error("usage: classroom_test.mjs VIRETA_CLASE WORK_DIR");
  process.exit(2);
}
const require = createRequire(import.meta.url);
const { chromium } = require("playwright-core");
const axeSource = readFileSync(require.resolve("axe-core/axe.min.js"), "utf8");

// Whatever happens, the run ends: the servers are killed and the process leaves.
const started = [];
const watchdog = setTimeout(() => {
  console.error("classroom test: out of time");
  for (const g of started) g.child.kill("SIGKILL");
  process.exit(1);
}, 300000);
watchdog.unref();

const SECONDS = 60; // per question in the main game
// tests/data/classroom/every_kind.xml as the students meet it.
const QUIZ = [
  { kind: "unha", text: "Cal é o río máis longo de Galicia?", answers: ["Miño", "Sil", "Ulla", "Tambre"],
    right: ["Miño"], image: true, ok: "Ben visto: 340 km.", ko: "Non: é o <b>máis longo</b> o outro." },
  { kind: "varias", text: "Cales son ríos galegos?", answers: ["Eume", "Mandeo", "Mondego", "Ebro"],
    right: ["Eume", "Mandeo"], ok: "Os dous, ben.", ko: "Fáltache algún ou sobra outro." },
  { kind: "unha", text: "En que provincia nace o Miño?", answers: ["Lugo", "Ourense", "Pontevedra"], right: ["Lugo"],
    notes: { Lugo: "Si: en Meira.", Ourense: "Non: por alí só pasa.", Pontevedra: "Non: alí desemboca." } },
  { kind: "vf", text: "O Sil desemboca no Miño.", answers: ["Verdadeiro", "Falso"], right: ["Verdadeiro"],
    notes: { Verdadeiro: "Certo: en Os Peares.", Falso: "Non: xúntanse en Os Peares." } },
  { kind: "curta", text: "Que cidade ten a Torre de Hércules?", answers: [], right: ["A Coruña", "Coruña"],
    ok: "Moi ben!", ko: "Era a cidade herculina." },
];
// The five students as they type their names and as the game names them.
const NAMES = ["Uxía", "Brais", "Uxía", "<i>Iago</i>", "Noa"];
const SHOWN = ["Uxía", "Brais", "Uxía (2)", "<i>Iago</i>", "Noa"];
// What each student answers at each question: the answers ticked, a typed text, or
// nothing. Questions 2 and 4 close by themselves once all have answered, the others
// with "Pechar pregunta". Xoán joins during question 4 and answers nothing.
const PLAN = [
  [["Miño"], ["Sil"], ["Miño"], null, ["Ulla"]],
  [["Eume", "Mandeo"], ["Eume"], ["Eume", "Mandeo", "Ebro"], ["Mandeo", "Eume"], ["Eume", "Mandeo"]],
  [["Ourense"], ["Lugo"], ["Pontevedra"], ["Lugo"], null],
  [["Verdadeiro"], ["Falso"], ["Verdadeiro"], ["Verdadeiro"], ["Falso"]],
  ["  a coruña ", "Coruña", "Lugo", null, "A  CORUÑA"],
];
const comparable = (s) => s.trim().replace(/\s+/g, " ").toLowerCase();
function isRight(q, given) {
  if (given == null) return false;
  if (q.kind === "curta") return q.right.some((a) => comparable(a) === comparable(given));
  return given.length === q.right.length && given.every((a) => q.right.includes(a));
}
function expectedMessage(q, given) {
  if (given == null) return "";
  const note = q.kind !== "varias" && q.kind !== "curta" && q.notes ? q.notes[given[0]] : "";
  return note || (isRight(q, given) ? q.ok : q.ko) || "";
}
// Texts that only a closed question may show a student.
const secretsOf = (q) => [q.ok, q.ko, ...Object.values(q.notes || {}), ...(q.kind === "curta" ? q.right : [])]
  .filter((s) => s && !q.answers.includes(s) && !q.text.includes(s));

let browser;
let game;
const pages = [];

before(async () => {
  rmSync(workDir, { recursive: true, force: true });
  game = await startGame(clase, copyQuiz(path.join(workDir, "main")), ["--time", String(SECONDS)]);
  started.push(game);
  browser = await launch(chromium, executable);
});

after(async () => {
  if (browser) await browser.close();
  for (const g of started) if (g.child.exitCode === null && g.child.signalCode === null) g.child.kill("SIGKILL");
});

// A page that records its console errors, uncaught errors, every request that does not
// go to the game's server, and every WebSocket frame it receives (parsed, with the time).
// `routed`: its WebSocket passes through the test, which can drop it (page.dropSocket()).
// `context`: a tab beside another page (the same storage) rather than a browser of its own.
async function open(url, { phone = false, routed = false, context = null } = {}) {
  if (!context) {
    context = await browser.newContext(phone
      ? { viewport: { width: 360, height: 740 }, isMobile: true, hasTouch: true, reducedMotion: "reduce" }
      : { viewport: { width: 1920, height: 1080 }, reducedMotion: "reduce" });
    context.setDefaultTimeout(15000);
  }
  const page = await context.newPage();
  const origin = new URL(url).origin;
  page.errors = [];
  page.frames_ = [];
  page.on("console", (m) => {
    if (m.type() === "error" && !m.location().url.endsWith("/favicon.ico")) page.errors.push(m.text());
  });
  page.on("pageerror", (e) => page.errors.push(String(e)));
  page.on("request", (r) => {
    const u = r.url();
    if (!u.startsWith(origin) && !u.startsWith(origin.replace("http", "ws"))) page.errors.push(`request to ${u}`);
  });
  if (routed) {
    await context.routeWebSocket(/\/ws$/, (ws) => {
      ws.connectToServer();
      page.dropSocket = () => ws.close();
    });
  }
  page.sockets = 0;
  page.on("websocket", () => { page.sockets++; });
  page.on("websocket", (ws) => ws.on("framereceived", (f) => page.frames_.push({ at: Date.now(), m: JSON.parse(f.payload), raw: f.payload })));
  await page.goto(url);
  pages.push(page);
  return page;
}

const main = (page) => page.locator("main");
const heading = (page, name) => page.getByRole("heading", { name, exact: true });
async function waitFrame(page, pred, from = 0, timeoutMs = 15000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const i = page.frames_.findIndex((f, k) => k >= from && pred(f.m));
    if (i >= 0) return i;
    if (Date.now() > end) assert.fail(`no such frame in ${JSON.stringify(page.frames_.slice(from).map((f) => f.m))}`);
    await new Promise((r) => setTimeout(r, 20));
  }
}

// axe-core's WCAG 2.1 A/AA rules on the page as it is, and nothing scrolls sideways.
async function axe(page, what) {
  if (!(await page.evaluate(() => Boolean(window.axe)))) await page.evaluate(axeSource);
  const result = await page.evaluate(() => window.axe.run(document, {
    runOnly: { type: "tag", values: ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"] },
  }));
  const found = result.violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(" ")}`);
  assert.deepEqual(found, [], `axe on ${what}`);
  const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
  assert.ok(overflow <= 0, `${what} scrolls sideways`);
}

// The focused element's tag and name: its label, aria-label or text without the
// hidden shapes.
const focused = (page) => page.evaluate(() => {
  const e = document.activeElement;
  const c = e.cloneNode(true);
  c.querySelectorAll("[aria-hidden]").forEach((h) => h.remove());
  const name = e.labels && e.labels.length ? e.labels[0].textContent : e.getAttribute("aria-label") || c.textContent;
  return `${e.tagName.toLowerCase()}:${name.trim()}`;
});

// Tabs until the control named `name` has the focus.
async function tabTo(page, name) {
  for (let i = 0; i < 15; i++) {
    await page.keyboard.press("Tab");
    if ((await focused(page)).endsWith(`:${name}`)) return;
  }
  assert.fail(`"${name}" never got the focus`);
}

// What a student page shows after a question closed or at the end.
const studentScreen = (page) => page.evaluate(() => {
  const text = (s) => document.querySelector(`#pantalla ${s}`)?.textContent ?? null;
  return { heading: text("h1"), points: text(".puntos"), gained: text(".ganados"), place: text(".posto"),
           message: text(".mensaxe") ?? "", player: document.getElementById("xogador").textContent };
});

// The player's answer to the open question, by mouse or by keyboard; resolves once the
// server took it (its "sent"), to the time that came.
async function answer(page, q, given, { keyboard = false } = {}) {
  const from = page.frames_.length;
  if (q.kind === "curta") {
    const box = page.getByRole("textbox", { name: "A túa resposta" });
    if (keyboard) {
      await tabTo(page, "A túa resposta");
      await page.keyboard.type(given);
      await page.keyboard.press("Enter");
    } else {
      await box.fill(given);
      await page.getByRole("button", { name: "Enviar" }).click();
    }
  } else if (q.kind === "varias") {
    for (const a of given) {
      if (keyboard) {
        await tabTo(page, a);
        await page.keyboard.press("Space");
      } else {
        await page.getByRole("checkbox", { name: a, exact: true }).check();
      }
    }
    if (keyboard) {
      await tabTo(page, "Enviar");
      await page.keyboard.press("Enter");
    } else {
      await page.getByRole("button", { name: "Enviar" }).click();
    }
  } else if (keyboard) {
    await tabTo(page, given[0]);
    await page.keyboard.press("Enter");
  } else {
    await page.getByRole("button", { name: given[0], exact: true }).click();
  }
  return page.frames_[await waitFrame(page, (m) => m.t === "sent", from)].at;
}

// Nothing in what a student page received since question `k` opened, nor in what it
// shows now, tells which answer is right: the question message has the fields every
// question has, its answers are exactly the quiz's answer texts, no verdict or message
// came, and the answer controls differ only in their text and position.
// `closed`: the question has closed since, and only what came before counts.
async function nothingGivenAway(page, k, who, { closed = false } = {}) {
  const q = QUIZ[k - 1];
  const start = page.frames_.findLastIndex((f) => f.m.t === "question" && f.m.q === k);
  assert.ok(start >= 0, `${who} got question ${k}`);
  let end = page.frames_.findIndex((f, i) => i > start && (f.m.t === "result" || f.m.t === "final"));
  if (end < 0) end = page.frames_.length;
  for (const { m, raw } of page.frames_.slice(start, end)) {
    assert.ok(["question", "sent", "joined", "wait"].includes(m.t), `${who}: ${raw} before question ${k} closed`);
    for (const word of ["right", "correct", "message", "gained", ...secretsOf(q)]) {
      assert.ok(!raw.toLowerCase().includes(word.toLowerCase()), `${who}: "${word}" in ${raw}`);
    }
    if (m.t === "question") {
      const keys = ["answers", "kind", "of", "q", "remainingMs", "seconds", "sent", "t", "text", ...(q.image ? ["image"] : [])];
      assert.deepEqual(Object.keys(m).sort(), keys.sort(), `${who}: the fields of question ${k}`);
      assert.deepEqual([...m.answers].sort(), [...q.answers].sort(), `${who}: the answers of question ${k}`);
      assert.equal(m.text, q.text);
    }
  }
  if (closed) return;
  const shown = await page.evaluate(() => {
    const attrs = [...document.querySelectorAll("*")].flatMap((e) => [...e.attributes].map((a) => `${a.name}=${a.value}`));
    const controls = [...document.querySelectorAll("#pantalla .resposta")].map((e) => {
      const c = e.cloneNode(true);
      c.querySelectorAll(".texto, .forma").forEach((t) => { t.textContent = ""; });
      return c.outerHTML.replace(/cor-\d|"r\d"/g, "");
    });
    return { text: document.documentElement.textContent, attrs: attrs.join("\n"), controls,
             stored: JSON.stringify({ ...localStorage }) + JSON.stringify({ ...sessionStorage }) };
  });
  for (const secret of secretsOf(q)) assert.ok(!shown.text.includes(secret), `${who} shows "${secret}" before question ${k} closed`);
  assert.ok(!/right|correct/i.test(shown.attrs + shown.stored), `${who}: a mark of the right answer in ${shown.attrs}`);
  assert.ok(shown.controls.every((c) => c === shown.controls[0]), `${who}: answer controls differ: ${shown.controls.join("\n")}`);
}

// Sends `messages` from a WebSocket of the page's own; the replies within half a second.
const rogue = (page, messages) => page.evaluate(async (list) => {
  const ws = new WebSocket(`ws://${location.host}/ws`);
  const got = [];
  ws.onmessage = (e) => got.push(JSON.parse(e.data));
  await new Promise((resolve, reject) => { ws.onopen = resolve; ws.onerror = reject; });
  for (const m of list) ws.send(JSON.stringify(m));
  await new Promise((resolve) => setTimeout(resolve, 500));
  ws.close();
  return got;
}, messages);

// The results file's rows (none of this game's cells needs quoting).
const csvRows = (text) => text.replace(/^\uFEFF/, "").split("\r\n").filter((l) => l).map((l) => l.split(","));

describe("the classroom game", () => {
  let presenter;
  const students = [];
  let late;
  const points = SHOWN.map(() => 0); // by student, as the game should count them
  const answered = []; // by question: by student, the answer given or null

  test("the presenter's lobby and the students joining, by keyboard too", async () => {
    presenter = await open(game.presenter);
    await heading(presenter, "Entrade na partida").waitFor();
    assert.equal(await main(presenter).locator(".codigo").textContent(), game.code);
    assert.equal(await main(presenter).locator(".enderezo").textContent(), game.student);
    assert.equal(await main(presenter).getByRole("img", { name: "Código QR do enderezo do alumnado" })
      .evaluate(async (img) => { await img.decode(); return img.naturalWidth > 0 && new URL(img.src).pathname; }), "/qr.svg");
    await main(presenter).getByText("0 xogadores").waitFor();
    assert.ok(await presenter.getByRole("button", { name: "Comezar" }).isDisabled(), "nothing to start with nobody in");
    await axe(presenter, "the empty lobby");

    for (let s = 0; s < NAMES.length; s++) {
      // The first joins from the QR code's address, the last types the code too.
      const page = await open(s === 4 ? game.student : `${game.student}?codigo=${game.code}`, { phone: true });
      await heading(page, "Entra na partida").waitFor();
      const codeBox = page.getByRole("textbox", { name: "Código da partida" });
      if (s === 0) {
        assert.equal(await codeBox.inputValue(), game.code, "the code from the address");
        assert.equal(await focused(page), "input:O teu nome", "the name box has the focus");
        await axe(page, "the join form");
        await page.keyboard.type(NAMES[s]);
        await page.keyboard.press("Enter");
      } else if (s === 4) {
        assert.equal(await codeBox.inputValue(), "");
        await page.getByRole("button", { name: "Entrar" }).click();
        await page.locator("#pantalla .erro").getByText("Escribe o código da partida.").waitFor();
        await codeBox.fill("000000");
        await page.getByRole("textbox", { name: "O teu nome" }).fill("   ");
        await page.getByRole("button", { name: "Entrar" }).click();
        await page.locator("#pantalla .erro").getByText("Escribe o teu nome.").waitFor();
        await page.getByRole("textbox", { name: "O teu nome" }).fill(NAMES[s]);
        await page.getByRole("button", { name: "Entrar" }).click();
        await page.locator("#pantalla .erro").getByText("Non hai ningunha partida con ese código.").waitFor();
        assert.equal(await codeBox.getAttribute("aria-invalid"), "true");
        assert.equal(await focused(page), "input:Código da partida", "the wrong code has the focus");
        await axe(page, "the join form with a wrong code");
        await page.keyboard.press("Control+A");
        await page.keyboard.type(game.code);
        await page.keyboard.press("Enter");
      } else {
        await page.getByRole("textbox", { name: "O teu nome" }).fill(NAMES[s]);
        await page.getByRole("button", { name: "Entrar" }).click();
      }
      await heading(page, "Agarda polo profesor…").waitFor();
      assert.equal(await focused(page), "h1:Agarda polo profesor…");
      assert.equal(await page.locator("#xogador").textContent(), `${SHOWN[s]} · 0 puntos`);
      students.push(page);
      await main(presenter).getByText(`${s + 1 === 1 ? "1 xogador" : `${s + 1} xogadores`}`, { exact: true }).waitFor();
    }
    await axe(students[0], "the waiting screen");
    assert.deepEqual(await main(presenter).locator(".nomes li").allTextContents(), SHOWN);
    assert.equal(await presenter.locator("main i").count(), 0, "a name is shown as text");
    await axe(presenter, "the lobby with five names");
  });

  test("a presenter page without the secret, or with a wrong one, can do nothing", async () => {
    for (const [url, title] of [[`${game.student}presentador`, "Falta a chave do presentador"],
                                [`${game.student}presentador?chave=0123456789abcdef0123456789abcdef`, "A chave do presentador non é válida"]]) {
      const page = await open(url);
      await heading(page, title).waitFor();
      assert.equal(await page.getByRole("button").count(), 0, `${title}: no action offered`);
      await axe(page, title);
    }
    const intruder = pages.at(-1);
    const replies = await rogue(intruder, [{ t: "presenter", key: "0123456789abcdef0123456789abcdef" }, { t: "start" }, { t: "end" }]);
    assert.deepEqual(replies, [{ t: "refused", why: "key" }, { t: "refused", why: "key" }, { t: "refused", why: "key" }]);
    await heading(presenter, "Entrade na partida").waitFor({ timeout: 1000 });
    for (const page of students) assert.ok(!page.frames_.some((f) => f.m.t === "question"), "nothing started");
  });

  // Opens question k from the presenter ("Comezar" or "Seguinte") and checks what
  // every page shows; resolves to the time the click came.
  async function openQuestion(k) {
    const q = QUIZ[k - 1];
    const opened = Date.now();
    const froms = students.map((p) => p.frames_.length);
    await presenter.getByRole("button", { name: k === 1 ? "Comezar" : "Seguinte" }).click();
    await heading(presenter, q.text).waitFor();
    assert.equal(await focused(presenter), `h1:${q.text}`, "the statement has the focus");
    assert.equal(await main(presenter).locator(".numero").textContent(), `Pregunta ${k} de ${QUIZ.length}`);
    const seconds = Number((await main(presenter).locator(".segundos").textContent()).replace(" s", ""));
    assert.ok(seconds > SECONDS - 10 && seconds <= SECONDS, `the countdown starts near ${SECONDS} s: ${seconds}`);
    assert.ok(await main(presenter).locator(".enunciado").evaluate((h) => parseFloat(getComputedStyle(h).fontSize)) >= 40,
              "the statement is readable from the back");
    assert.deepEqual([...await main(presenter).locator(".taboleiro .texto").allTextContents()].sort(), [...q.answers].sort());
    for (let s = 0; s < students.length; s++) {
      const page = students[s];
      await waitFrame(page, (m) => m.t === "question" && m.q === k, froms[s]);
      await heading(page, q.text).waitFor();
      assert.equal(await focused(page), `h1:${q.text}`, "the statement has the focus");
      const shown = q.kind === "curta" ? [] : await page.locator("#pantalla .resposta .texto").allTextContents();
      assert.deepEqual([...shown].sort(), [...q.answers].sort());
      if (q.kind === "vf") assert.deepEqual(shown, ["Verdadeiro", "Falso"], "true before false");
    }
    return opened;
  }

  // The students answer question k as PLAN says; the presenter counts them.
  const inRound = (k) => (k === 5 ? 6 : 5); // Xoán joins during question 4
  async function play(k, opened, { keyboard = -1, beforeLast } = {}) {
    const q = QUIZ[k - 1];
    const plan = PLAN[k - 1];
    const times = [];
    const givers = plan.flatMap((g, s) => (g == null ? [] : [s]));
    let count = 0;
    for (const s of givers) {
      if (s === givers.at(-1) && beforeLast) await beforeLast();
      times[s] = await answer(students[s], q, plan[s], { keyboard: s === keyboard });
      count++;
      if (count < givers.length || givers.length < students.length) {
        await heading(students[s], "Resposta enviada").waitFor();
        await main(presenter).getByText(`${count} de ${inRound(k)} responderon`).waitFor();
      }
    }
    answered[k - 1] = plan;
    return { opened, times };
  }

  // Question k closed: each student's verdict, points and place, and the projector's counts.
  async function checkClosed(k, { opened, times }) {
    const q = QUIZ[k - 1];
    await heading(presenter, q.text).waitFor();
    await main(presenter).locator(".reconto").waitFor();
    const everyone = late ? [...students, late] : students;
    const gains = [];
    for (let s = 0; s < students.length; s++) {
      const given = PLAN[k - 1][s];
      const right = isRight(q, given);
      const page = students[s];
      await waitFrame(page, (m) => m.t === "result" && m.q === k);
      await heading(page, right ? "Correcto" : "Incorrecto").waitFor();
      const shown = await studentScreen(page);
      const gained = Number(shown.gained.match(/^\+(\d+) nesta pregunta$/)[1]);
      if (right) {
        const least = 1000 - (500 * (times[s] - opened)) / (SECONDS * 1000) - 1;
        assert.ok(gained >= least && gained <= 1000, `${SHOWN[s]} gained ${gained} at question ${k}, at least ${least}`);
      } else {
        assert.equal(gained, 0, `${SHOWN[s]}: nothing for a wrong or missing answer`);
      }
      gains[s] = gained;
      points[s] += gained;
      assert.equal(shown.points, `${points[s]} puntos`);
      assert.equal(shown.player, `${SHOWN[s]} · ${points[s]} puntos`);
      assert.equal(shown.message, expectedMessage(q, given), `${SHOWN[s]}'s message at question ${k}`);
    }
    // An earlier right answer never scores less than a later one: the server's clock.
    const rightInOrder = PLAN[k - 1].map((g, s) => s).filter((s) => isRight(q, PLAN[k - 1][s])).sort((a, b) => times[a] - times[b]);
    for (let i = 1; i < rightInOrder.length; i++) assert.ok(gains[rightInOrder[i - 1]] >= gains[rightInOrder[i]], "points fall with time");
    const all = everyone.map((p, s) => points[s] ?? 0);
    for (let s = 0; s < students.length; s++) {
      const place = 1 + all.filter((p) => p > points[s]).length;
      assert.equal((await studentScreen(students[s])).place, `Posto ${place} de ${everyone.length}`, `${SHOWN[s]}'s place`);
    }
    // The projector: each answer's count, the right ones marked, the top five.
    const rows = await main(presenter).locator(".reconto li").evaluateAll((lis) => lis.map((li) => [
      li.querySelector(".texto").textContent, Number(li.querySelector(".cantidade").textContent)]));
    const marked = (t) => `${t} (correcta)`;
    if (q.kind === "curta") {
      const typed = PLAN[k - 1].filter((g) => g != null);
      const expected = q.right.map((a) => [marked(a), typed.filter((g) => comparable(g) === comparable(a)).length]);
      expected.push(["Outras respostas", typed.filter((g) => !isRight(q, g)).length]);
      assert.deepEqual(rows, expected);
    } else {
      const expected = q.answers.map((a) => [q.right.includes(a) ? marked(a) : a,
                                             PLAN[k - 1].filter((g) => g != null && g.includes(a)).length]);
      assert.deepEqual([...rows].sort(), [...expected].sort());
    }
    const givers = PLAN[k - 1].filter((g) => g != null).length;
    assert.equal(await main(presenter).locator(".contador").textContent(), `${givers} de ${inRound(k)} responderon`);
    const top = await main(presenter).locator(".clasificacion li").evaluateAll((lis) => lis.map((li) =>
      [...li.querySelectorAll("span")].map((e) => e.textContent).join(" ")));
    const names = late ? [...SHOWN, "Xoán"] : SHOWN;
    const standing = names.map((n, s) => ({ n, p: all[s], s })).sort((a, b) => b.p - a.p || a.s - b.s).slice(0, 5);
    assert.deepEqual(top, standing.map(({ n, p }) => `${1 + all.filter((x) => x > p).length}.º ${n} ${p} puntos`));
  }

  test("five students play the whole quiz: every kind, right, wrong and none", { timeout: 240000 }, async () => {
    // 1: one answer with a picture and a sound; closed by the presenter with one missing.
    let opened = await openQuestion(1);
    const projectorMedia = await main(presenter).evaluate((m) => [m.querySelector("img.imaxe")?.getAttribute("src"),
                                                                m.querySelector("audio[controls]")?.getAttribute("src")]);
    assert.match(projectorMedia[0] ?? "", /^\/media\/\d{6}\/\d+$/);
    assert.match(projectorMedia[1] ?? "", /^\/media\/\d{6}\/\d+$/);
    assert.equal(await students[1].locator("img.imaxe").evaluate((img) => img.decode().then(() => img.naturalWidth)), 160);
    await axe(students[1], "a question of one answer with a picture");
    await axe(presenter, "the projector's question");
    // The secret is out of the projector's address bar; the wrong key's page is the last
    // presenter page opened before this one.
    assert.ok(!presenter.url().includes("chave"), presenter.url());
    const intruder = pages.filter((p) => p !== presenter && p.url().endsWith("/presentador")).at(-1);
    let run = await play(1, opened, { keyboard: 0 });
    for (let s = 0; s < students.length; s++) await nothingGivenAway(students[s], 1, SHOWN[s]);
    assert.equal(await presenter.locator("main .correcta").count(), 0, "the projector marks nothing while it is open");
    await axe(students[0], "the answer sent");
    assert.deepEqual(await rogue(intruder, [{ t: "close" }, { t: "next" }]), [{ t: "refused", why: "key" }, { t: "refused", why: "key" }]);
    await new Promise((r) => setTimeout(r, 300));
    assert.ok(!students[3].frames_.some((f) => f.m.t === "result"), "question 1 is still open");
    await presenter.getByRole("button", { name: "Pechar pregunta" }).click();
    await checkClosed(1, run);
    assert.equal(await focused(presenter), `h1:${QUIZ[0].text}`);
    await axe(students[0], "a right answer's result");
    await axe(students[1], "a wrong answer's result");
    await axe(presenter, "the question closed with the top five");
    assert.deepEqual(await rogue(intruder, [{ t: "next" }]), [{ t: "refused", why: "key" }]);
    await new Promise((r) => setTimeout(r, 300));
    assert.ok(!students[0].frames_.some((f) => f.m.t === "question" && f.m.q === 2), "question 2 is not open");

    // 2: several answers, the first student by keyboard; closes once all have answered.
    // "Rematar" asks first, and "Seguir" goes on.
    await presenter.getByRole("button", { name: "Rematar" }).click();
    await heading(presenter, "Rematar o xogo?").waitFor();
    assert.equal(await focused(presenter), "button:Seguir");
    await axe(presenter, "the question whether to end");
    await presenter.keyboard.press("Shift+Tab");
    assert.equal(await focused(presenter), "button:Si, rematar", "the focus stays in the question");
    await presenter.getByRole("button", { name: "Seguir" }).click();
    assert.ok(!(await heading(presenter, "Rematar o xogo?").isVisible()));
    opened = await openQuestion(2);
    await axe(students[2], "a question of several answers");
    await students[1].getByRole("button", { name: "Enviar" }).click();
    await students[1].locator("#pantalla .erro").getByText("Marca polo menos unha resposta.").waitFor();
    assert.ok(!students[1].frames_.some((f) => f.m.t === "sent" && f.at > opened), "nothing ticked, nothing sent");
    run = await play(2, opened, { keyboard: 0, beforeLast: async () => {
      for (let s = 0; s < students.length; s++) await nothingGivenAway(students[s], 2, SHOWN[s]);
    } });
    await checkClosed(2, run);
    for (let s = 0; s < students.length; s++) await nothingGivenAway(students[s], 2, SHOWN[s], { closed: true });

    // 3: one answer with a message per answer; Brais reloads after answering and is
    // the same player; the presenter closes it with Noa's answer missing.
    opened = await openQuestion(3);
    run = await play(3, opened);
    const before = await students[1].locator("#xogador").textContent();
    const token = await students[1].evaluate((c) => localStorage.getItem(`vireta-clase:${c}`), game.code);
    assert.match(token ?? "", /^[0-9a-f]{16,}$/);
    await students[1].reload();
    await heading(students[1], "Resposta enviada").waitFor();
    assert.equal(await students[1].locator("#xogador").textContent(), before, "the same name and points after a reload");
    await main(presenter).getByText(`4 de ${students.length} responderon`).waitFor();
    assert.equal(await main(presenter).locator(".contador").textContent(), `4 de ${students.length} responderon`);
    for (let s = 0; s < students.length; s++) await nothingGivenAway(students[s], 3, SHOWN[s]);
    await presenter.getByRole("button", { name: "Pechar pregunta" }).click();
    await checkClosed(3, run);

    // 4: true or false; the presenter reloads mid-question and Xoán joins late.
    opened = await openQuestion(4);
    await axe(students[0], "a true-or-false question");
    run = await play(4, opened, { beforeLast: async () => {
      await presenter.reload();
      await heading(presenter, QUIZ[3].text).waitFor();
      assert.equal(await main(presenter).locator(".contador").textContent(), `4 de ${students.length} responderon`);
      late = await open(`${game.student}?codigo=${game.code}`, { phone: true });
      await late.getByRole("textbox", { name: "O teu nome" }).fill("Xoán");
      await late.getByRole("button", { name: "Entrar" }).click();
      await heading(late, "Agarda polo profesor…").waitFor();
      await late.getByText("A partida xa comezou: entras na seguinte pregunta.").waitFor();
      await axe(late, "the late joiner's wait");
      for (let s = 0; s < students.length; s++) await nothingGivenAway(students[s], 4, SHOWN[s]);
    } });
    await checkClosed(4, run);
    assert.ok(!late.frames_.some((f) => f.m.t === "question" || f.m.t === "result"), "Xoán waits for question 5");

    // 5: a short answer, typed with blanks and capitals; closed by the presenter.
    opened = await openQuestion(5);
    await heading(late, QUIZ[4].text).waitFor();
    await axe(students[3], "a short-answer question");
    await students[3].getByRole("button", { name: "Enviar" }).click();
    await students[3].locator("#pantalla .erro").getByText("Escribe a túa resposta.").waitFor();
    run = await play(5, opened, { keyboard: 1 });
    for (const [s, page] of [...students, late].entries()) await nothingGivenAway(page, 5, s < 5 ? SHOWN[s] : "Xoán");
    await presenter.getByRole("button", { name: "Pechar pregunta" }).click();
    await checkClosed(5, run);
    await heading(late, "Incorrecto").waitFor();
    assert.match(await main(presenter).locator(".indicacion").textContent(), /última pregunta/);
  });

  test("the end: the podium, the share right and each phone's points and place", async () => {
    await presenter.getByRole("button", { name: "Seguinte" }).click();
    await heading(presenter, "Resultados finais").waitFor();
    const everyone = [...points, 0];
    const names = [...SHOWN, "Xoán"];
    const podium = await main(presenter).locator(".podio li").evaluateAll((lis) => lis.map((li) =>
      [...li.querySelectorAll("span")].map((e) => e.textContent).join(" ")));
    const placeOf = (p) => 1 + everyone.filter((x) => x > p).length;
    const expected = names.map((n, s) => ({ n, p: everyone[s], s })).filter(({ p }) => placeOf(p) <= 3)
      .sort((a, b) => b.p - a.p || a.s - b.s).map(({ n, p }) => `${placeOf(p)}.º ${n} ${p} puntos`);
    assert.deepEqual(podium, expected);
    const shares = await main(presenter).locator(".acertos tbody tr").evaluateAll((trs) => trs.map((tr) => tr.textContent));
    const share = (k) => {
      const right = PLAN[k - 1].filter((g) => isRight(QUIZ[k - 1], g)).length;
      return Math.floor((200 * right + inRound(k)) / (2 * inRound(k)));
    };
    assert.deepEqual(shares, QUIZ.map((q, i) => `${i + 1}. ${q.text}${share(i + 1)} %`));
    assert.equal(await main(presenter).locator(".xogadores").textContent(), "6 xogadores");
    await axe(presenter, "the podium");
    for (const [s, page] of [...students, late].entries()) {
      await heading(page, "Fin do xogo").waitFor();
      const shown = await studentScreen(page);
      assert.equal(shown.points, `${everyone[s]} puntos`);
      assert.equal(shown.place, `Posto ${placeOf(everyone[s])} de 6`);
    }
    await axe(students[0], "the student's end");
    for (const page of pages) assert.deepEqual(page.errors, [], `errors on ${page.url()}`);
  });

  test("SIGTERM ends the server with status 0 and the results are beside the quiz", async () => {
    assert.equal(await stopGame(game), 0, game.stderr());
    const folder = path.join(workDir, "main");
    const files = readdirSync(folder).filter((f) => /^every_kind-resultados-\d{4}-\d\d-\d\d-\d{4}\.csv$/.test(f));
    assert.equal(files.length, 1, `one results file in ${readdirSync(folder)}`);
    const rows = csvRows(readFileSync(path.join(folder, files[0]), "utf8"));
    assert.deepEqual(rows[0].slice(0, 5), ["Nome", "Puntos", "Correctas", "Pregunta 1", "Correcta 1"]);
    const names = [...SHOWN, "Xoán"];
    for (let s = 0; s < names.length; s++) {
      const row = rows.find((r) => r[0] === names[s]);
      assert.ok(row, `a row for ${names[s]}`);
      assert.equal(row[1], String(s < 5 ? points[s] : 0));
      const verdicts = QUIZ.map((q, k) => (s < 5 && isRight(q, PLAN[k][s]) ? "si" : "non"));
      assert.deepEqual(row.filter((c, i) => i >= 4 && i % 2 === 0), verdicts, `${names[s]}'s verdicts`);
      assert.equal(row[2], String(verdicts.filter((v) => v === "si").length));
    }
    assert.deepEqual(rows.find((r) => r[0] === "Uxía").slice(3, 5), ["Miño", "si"]);
    assert.equal(rows.find((r) => r[0] === "Uxía")[5], "Eume / Mandeo");
  });

  test("without a time limit a right answer scores 1000; refusals on the phone; the end asked first", async () => {
    const folder = path.join(workDir, "untimed");
    const untimed = await startGame(clase, copyQuiz(folder), ["--time", "0", "--no-ranking"]);
    started.push(untimed);
    const projector = await open(untimed.presenter);
    await main(projector).getByText("Sen límite de tempo · Sen clasificación").waitFor();
    const phone = await open(`${untimed.student}?codigo=${untimed.code}`, { phone: true, routed: true });
    await phone.getByRole("textbox", { name: "O teu nome" }).fill("Sabela");
    await phone.getByRole("button", { name: "Entrar" }).click();
    await heading(phone, "Agarda polo profesor…").waitFor();
    // Roi keeps the question open while Sabela's connection is gone.
    const quiet = await open(`${untimed.student}?codigo=${untimed.code}`, { phone: true });
    await quiet.getByRole("textbox", { name: "O teu nome" }).fill("Roi");
    await quiet.getByRole("button", { name: "Entrar" }).click();
    await heading(quiet, "Agarda polo profesor…").waitFor();
    await projector.getByRole("button", { name: "Comezar" }).click();
    await heading(projector, QUIZ[0].text).waitFor();
    await main(projector).getByText("Sen límite de tempo", { exact: true }).waitFor();
    await axe(projector, "a question without a time limit");
    // A connection dropped mid-question comes back by itself, as the same player, to
    // the same screen.
    await heading(phone, QUIZ[0].text).evaluate((h) => { h.seen = true; });
    const from = phone.frames_.length;
    await phone.dropSocket();
    await phone.locator("#conexion").getByText("Sen conexión co profesor. Volvendo conectar…").waitFor();
    await axe(phone, "the phone without a connection");
    await waitFrame(phone, (m) => m.t === "joined" && m.name === "Sabela", from, 20000);
    await waitFrame(phone, (m) => m.t === "question" && m.q === 1, from);
    assert.ok(await phone.locator("#conexion").isHidden());
    assert.ok(await heading(phone, QUIZ[0].text).evaluate((h) => h.seen), "the question stays on screen");
    await answer(phone, QUIZ[0], ["Miño"]);
    await projector.getByRole("button", { name: "Pechar pregunta" }).click();
    await heading(phone, "Correcto").waitFor();
    const shown = await studentScreen(phone);
    assert.deepEqual([shown.points, shown.gained, shown.place], ["1000 puntos", "+1000 nesta pregunta", "Posto 1 de 2"]);
    await main(projector).locator(".reconto").waitFor();
    assert.equal(await projector.getByRole("heading", { name: "Clasificación" }).count(), 0, "no ranking shown");
    // Another tab of Roi's phone at the bare address: "Entrar" brings back Roi by the
    // kept token, and the first tab lets go rather than take Roi back.
    const again = await open(untimed.student, { phone: true, context: quiet.context() });
    await again.getByRole("textbox", { name: "Código da partida" }).fill(untimed.code);
    await again.getByRole("textbox", { name: "O teu nome" }).fill("Outro");
    await again.getByRole("button", { name: "Entrar" }).click();
    await waitFrame(again, (m) => m.t === "joined" && m.name === "Roi");
    await heading(again, "Incorrecto").waitFor();
    await quiet.locator("#conexion").getByText("Esta partida seguiu noutra xanela. Recarga a páxina para xogar aquí.").waitFor();
    const sockets = quiet.sockets;
    await new Promise((r) => setTimeout(r, 2500));
    assert.equal(quiet.sockets, sockets, "the first tab does not come back by itself");
    await projector.getByRole("button", { name: "Rematar" }).click();
    await projector.getByRole("button", { name: "Si, rematar" }).click();
    await heading(projector, "Resultados finais").waitFor();
    await heading(phone, "Fin do xogo").waitFor();
    // Once it is over nobody joins.
    const other = await open(`${untimed.student}?codigo=${untimed.code}`, { phone: true });
    await other.getByRole("textbox", { name: "O teu nome" }).fill("Iria");
    await other.getByRole("button", { name: "Entrar" }).click();
    await other.locator("#pantalla .erro").getByText("Esta partida xa rematou.").waitFor();
    await axe(other, "the join form of a game over");
    for (const page of [projector, phone, quiet, again, other]) assert.deepEqual(page.errors.filter((e) => !/ERR_INTERNET_DISCONNECTED|net::/.test(e)), [], `errors on ${page.url()}`);
    assert.equal(await stopGame(untimed), 0, untimed.stderr());
    const csv = readdirSync(folder).find((f) => f.endsWith(".csv"));
    assert.equal(csvRows(readFileSync(path.join(folder, csv), "utf8"))[1].slice(0, 5).join(","), "Sabela,1000,1,Miño,si");
  });
});
