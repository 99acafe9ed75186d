// The classroom server (vireta-clase) driven over its WebSocket by node's ws, with no
// browser, on the loopback only: 200 students play a whole game at once; then, while a
// small game goes on, hostile pages and requests, each of which must be dropped or
// refused without disturbing the students who play by the rules.
//
// Usage: node classroom_server_test.mjs VIRETA_CLASE DATA_DIR WORK_DIR
// DATA_DIR is tests/data/web (kinds.xml, mapa.png, pregunta.wav).
import { test } from "node:test";
import assert from "node:assert/strict";
import { copyFileSync, mkdirSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import net from "node:net";
import path from "node:path";
import { joinPresenter, joinStudent, Page, pause, quizXml, startServer, WebSocket, within } from "./classroom_ws.mjs";

const [program, dataDir, workDir] = process.argv.slice(2);
if (!program || !dataDir || !workDir) {
  console.error("usage: classroom_server_test.mjs VIRETA_CLASE DATA_DIR WORK_DIR");
  process.exit(2);
}

// Every page the server sends carries this policy (docs/classroom.md).
const POLICY = "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; media-src 'self'; " +
               "connect-src 'self'; form-action 'none'; base-uri 'none'; frame-ancestors 'none'";

function freshDir(name) {
  const dir = path.join(workDir, name);
  rmSync(dir, { recursive: true, force: true });
  mkdirSync(dir, { recursive: true });
  return dir;
}

// The results file the server wrote in `dir`, as rows of cells (no cell of these
// games holds a comma or a quote).
function resultsRows(dir) {
  const files = readdirSync(dir).filter((f) => /-resultados-\d{4}-\d\d-\d\d-\d{4}\.csv$/.test(f));
  assert.equal(files.length, 1, `one results file in ${dir}: ${files}`);
  const text = readFileSync(path.join(dir, files[0]), "utf8");
  assert.ok(text.startsWith("\uFEFF"), "the results file starts with a byte-order mark");
  return text.slice(1).split("\r\n").filter((l) => l).map((l) => l.split(","));
}

// What the students of the load test answer at each question of kinds.xml: the even
// ones `right`, the odd ones `wrong` (answer texts, or a typed text); `counts` is what
// the presenter is shown once the question closed, with 100 students on each side.
const KINDS = [
  { kind: "varias", right: ["Miño", "Ulla"], wrong: ["Mondego"],
    counts: { "Miño": 100, "Ulla": 100, "Mondego": 100, "Douro": 0 } },
  { kind: "vf", right: ["Falso"], wrong: ["Verdadeiro"], counts: { "Falso": 100, "Verdadeiro": 100 } },
  { kind: "curta", right: "A Coruña", wrong: "Lugo", counts: { "A Coruña": 100, "Coruña": 0 }, others: 100 },
  { kind: "unha", right: ["Miño"], wrong: ["Sil"], counts: { "Miño": 100, "Sil": 100, "Ulla": 0 } },
];

function answerOf(question, given) {
  if (typeof given === "string") return { t: "answer", q: question.q, text: given };
  return { t: "answer", q: question.q, pick: given.map((a) => question.answers.indexOf(a)) };
}

// `message` as JSON of exactly `bytes` bytes, with a field no message uses.
function padded(message, bytes) {
  const bare = JSON.stringify({ ...message, pad: "" });
  return bare.replace('"pad":""', `"pad":"${"x".repeat(bytes - Buffer.byteLength(bare))}"`);
}

const STUDENTS = 200;

test("200 students play a whole game at once", { timeout: 180000 }, async () => {
  const dir = freshDir("load");
  const quiz = path.join(dir, "kinds.xml");
  copyFileSync(path.join(dataDir, "kinds.xml"), quiz);
  const server = await startServer(program, quiz, ["--time", "0"]);
  const pages = [];
  try {
    const presenter = await joinPresenter(server);
    pages.push(presenter);
    assert.equal(presenter.view.t, "lobby");
    const names = Array.from({ length: STUDENTS }, (_, i) => `Uxía ${String(i + 1).padStart(3, "0")}`);
    // As from the student page: with its origin.
    const origin = { origin: `http://127.0.0.1:${server.port}` };
    const students = await Promise.all(names.map((name) => joinStudent(server, name, 30000, origin)));
    pages.push(...students);
    assert.deepEqual(students.map((s) => s.joined.name), names);
    assert.ok(students.every((s) => !s.waiting.late));
    const extra = await Page.open(server.ws, "the 201st student");
    pages.push(extra);
    extra.send({ t: "join", code: server.code, name: "Unha máis" });
    assert.equal((await extra.next("refused")).why, "full");
    await presenter.until((m) => m.t === "lobby" && m.players.length === STUDENTS, "the lobby of 200", 30000);

    presenter.send({ t: "start" });
    for (const [i, expected] of KINDS.entries()) {
      const questions = await Promise.all(students.map((s) => s.next("question", 30000)));
      for (const q of questions) {
        assert.equal(q.q, i + 1);
        assert.equal(q.kind, expected.kind);
        assert.equal(q.sent, false);
        assert.deepEqual(q.answers, questions[0].answers, "every student is sent the answers in one order");
      }
      const shown = await presenter.until((m) => m.t === "question", `question ${i + 1}`, 30000);
      assert.equal(shown.players, STUDENTS);

      const sending = performance.now();
      students.forEach((s, n) => s.send(answerOf(questions[n], n % 2 === 0 ? expected.right : expected.wrong)));
      assert.ok(performance.now() - sending < 1000, "the 200 answers went within one second");
      const results = await Promise.all(students.map(async (s) => {
        await s.next("sent", 30000);
        return s.next("result", 30000);
      }));
      results.forEach((r, n) => {
        assert.equal(r.q, i + 1);
        assert.equal(r.right, n % 2 === 0, `${names[n]}'s answer to question ${i + 1}`);
        assert.equal(r.gained > 0, n % 2 === 0);
        assert.equal(r.of, STUDENTS);
      });
      // The count climbs to 200 of 200 and the question closes by itself.
      let answered = 0;
      const closed = await presenter.until((m) => {
        if (m.t === "count") {
          assert.equal(m.of, STUDENTS);
          assert.ok(m.answered >= answered, "the count never goes back");
          answered = m.answered;
        }
        return m.t === "closed";
      }, `question ${i + 1} closed`, 30000);
      assert.equal(answered, STUDENTS);
      assert.equal(closed.answered, STUDENTS);
      assert.equal(closed.players, STUDENTS);
      assert.equal(closed.last, i === KINDS.length - 1);
      assert.deepEqual(Object.fromEntries(closed.answers.map((a) => [a.text, a.count])), expected.counts);
      if (expected.others !== undefined) assert.equal(closed.others, expected.others);
      presenter.send({ t: "next" });
    }
    const finals = await Promise.all(students.map((s) => s.next("final", 30000)));
    const podium = await presenter.until((m) => m.t === "final", "the final", 30000);
    assert.equal(podium.players, STUDENTS);
    assert.deepEqual(podium.questions.map((q) => q.share), [50, 50, 50, 50]);

    assert.equal(await server.stop(), 0, "vireta-clase's exit status after SIGTERM");
    const rows = resultsRows(dir);
    const byName = new Map(rows.map((r) => [r[0], r]));
    assert.equal(rows.length, 1 + STUDENTS + KINDS.length, "a heading, 200 students and a row per question");
    names.forEach((name, n) => {
      const row = byName.get(name);
      assert.ok(row, `${name} has a row`);
      assert.equal(Number(row[1]), finals[n].points, `${name}'s points`);
      assert.equal(row[2], n % 2 === 0 ? "4" : "0", `${name}'s right answers`);
    });
  } finally {
    server.kill();
    for (const p of pages) p.ws.terminate();
  }
});

// ---- Hostile pages and requests while a small game goes on ----

const ACTIONS = ["start", "close", "next", "end"];

// Each presenter action from `page` is refused for want of the secret.
async function refusedActions(page) {
  for (const t of ACTIONS) {
    page.send({ t });
    assert.equal((await page.next("refused")).why, "key", `"${t}" from ${page.name}`);
  }
}

// A raw HTTP/1.1 request, so that nothing normalises its path: the status, headers and
// body. The response ends at its Content-Length (the server keeps the connection open
// after a page, "Connection: close" or not).
function rawRequest(port, method, target) {
  return within(new Promise((resolve, reject) => {
    const socket = net.connect(port, "127.0.0.1", () =>
      socket.write(`${method} ${target} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nConnection: close\r\n` +
                   (method === "POST" ? "Content-Length: 2\r\n\r\n{}" : "\r\n")));
    let got = Buffer.alloc(0);
    let response = null;
    const finish = () => {
      socket.destroy();
      resolve(response);
    };
    socket.on("data", (d) => {
      got = Buffer.concat([got, d]);
      const end = got.indexOf("\r\n\r\n");
      if (!response && end >= 0) {
        const head = got.subarray(0, end).toString("latin1").split("\r\n");
        const headers = Object.fromEntries(head.slice(1).map((h) => {
          const colon = h.indexOf(":");
          return [h.slice(0, colon).toLowerCase(), h.slice(colon + 1).trim()];
        }));
        response = { status: Number(/^HTTP\/1\.1 (\d{3}) /.exec(head[0])?.[1]), headers, bodyAt: end + 4 };
      }
      if (response) {
        response.body = got.subarray(response.bodyAt);
        const length = method === "HEAD" ? 0 : Number(response.headers["content-length"]);
        if (response.body.length >= length) finish();
      }
    });
    socket.on("error", reject);
    socket.on("end", () => (response ? finish() : reject(new Error("no response"))));
  }), 10000, `${method} ${target}`);
}

// [method, path as sent, status]: the pages, then everything that must not be served;
// M is the media folder of the game, /media/CODE.
const REQUESTS = (M) => [
  ["GET", "/", 200], ["HEAD", "/", 200], ["GET", "/?codigo=123456", 200], ["GET", "/presentador?chave=x", 200],
  ["GET", "/xogo.css", 200], ["GET", "/alumnado.js", 200], ["GET", "/presentador.js", 200], ["GET", "/qr.svg", 200],
  ["GET", `${M}/0`, 200], ["GET", `${M}/1`, 200], ["GET", "/media/0", 404], ["GET", "/media/000000/0", 404],
  ["GET", "/../", 404], ["GET", `${M}/../../etc/passwd`, 404], ["GET", `${M}/..%2f..%2fetc%2fpasswd`, 404],
  ["GET", "/%2e%2e/%2e%2e/etc/passwd", 404], ["GET", "//etc/passwd", 404], ["GET", `${M}/0/../../../etc/passwd`, 404],
  ["GET", `${M}/999`, 404], ["GET", `${M}/01`, 404], ["GET", `${M}/2`, 404], ["GET", `${M}/-1`, 404],
  ["GET", `${M}/1x`, 404], ["GET", `${M}/`, 404], ["GET", M, 404],
  ["GET", "/nada", 404], ["GET", "/ws", 404], ["GET", "/alumnado.html", 404], ["GET", "/pages/xogo.css", 404],
  ["POST", "/", 405], ["POST", "/ws", 405], ["PUT", "/media/0", 405], ["DELETE", "/", 405], ["OPTIONS", "/", 405],
];

// A WebSocket opened anywhere but /ws, or by a page of another site: refused before it
// opens.
function refusedUpgrade(url, options = {}) {
  const ws = new WebSocket(url, options);
  return within(new Promise((resolve, reject) => {
    ws.on("open", () => reject(new Error(`the WebSocket at ${url} was accepted`)));
    ws.on("unexpected-response", (request, response) => {
      resolve(response.statusCode);
      ws.terminate();
    });
    ws.on("error", () => resolve("closed"));
  }), 10000, `a WebSocket at ${url}`);
}

// Pages that send what no page of the game sends: each joins as a student (late, the
// question being open), then sends this, and the server must close its connection.
const DROPPED = [
  ["a message of 4097 bytes", (p, s, q) => p.send(padded({ t: "answer", q, pick: [0] }, 4097))],
  ["over 4 KB in frames of 1 KB", (p) => {
    for (let i = 0; i < 5; i++) p.ws.send("x".repeat(1024), { fin: i === 4 });
  }],
  ["broken JSON", (p) => p.send('{"t":"answer","q":1,"pick":[0]')],
  ["JSON that is no object", (p) => p.send('["answer",1,[0]]')],
  ["an unknown type", (p) => p.send('{"t":"dance"}')],
  ["a field of the wrong type", (p, s, q) => p.send(`{"t":"answer","q":"${q}","pick":[0]}`)],
  ["text that is no UTF-8", (p) => p.ws.send(Buffer.from([0x7b, 0x22, 0xff, 0xfe, 0x22, 0x7d]), { binary: false })],
  ["a binary frame", (p) => p.ws.send(Buffer.from('{"t":"dance"}'), { binary: true })],
  ["a flood of answers", (p, s, q) => {
    for (let i = 0; i < 40; i++) p.send({ t: "answer", q: q + 5, pick: [0] });
  }],
  ["a second join on its connection", (p, s) => p.send({ t: "join", code: s.code, name: "Outra vez" })],
  ["the presenter's secret from a student", (p, s) => p.send({ t: "presenter", key: s.key })],
];

// Each case runs while question `q` is open (`asking`) and, if it has one, once it
// closed (`showing`); the round is then played out by the students who keep the rules.
const CASES = [
  ...DROPPED.map(([what, misbehave], i) => ({
    what,
    async asking(game, q) {
      const offender = await joinStudent(game.server, `Intrusa ${i + 1}`);
      assert.equal(offender.waiting.late, true);
      await game.presenter.until((m) => m.t === "count" && m.players === 4, "the offender's arrival");
      misbehave(offender, game.server, q);
      await offender.dropped(10000);
      await game.presenter.until((m) => m.t === "count" && m.players === 3, "the offender's leaving");
    },
  })),
  {
    what: "answers that do not fit the question, refused without a drop",
    async asking(game, q) {
      const brais = game.students[1];
      for (const unfit of [{ pick: [3] }, { pick: [0, 1] }, { text: `Certa ${q}` }]) {
        brais.send({ t: "answer", q, ...unfit });
        assert.equal((await brais.next("refused")).why, "answer", JSON.stringify(unfit));
      }
    },
  },
  {
    what: "presenter actions from a page without the secret and from a student",
    async asking(game) {
      const bare = await Page.open(game.server.ws, "a page without the secret");
      const student = await joinStudent(game.server, "Curiosa");
      await refusedActions(bare);
      await refusedActions(student);
      game.keep = [bare, student];
    },
    async showing(game) {
      const [bare, student] = game.keep;
      assert.equal((await student.next("wait")).late, true, "the late student at the question's close");
      for (const page of [bare, student]) {
        await refusedActions(page);
        await page.close();
      }
    },
  },
  {
    what: "presenter actions after a wrong secret",
    async asking(game) {
      const key = game.server.key;
      const wrongs = [key.slice(0, -1) + (key.endsWith("0") ? "1" : "0"), key.toUpperCase() === key ? "x" : key.toUpperCase(),
                      "", key + "0", key.slice(1)];
      const page = await Page.open(game.server.ws, "a page with a wrong secret");
      for (const wrong of wrongs) {
        page.send({ t: "presenter", key: wrong });
        assert.equal((await page.next("refused")).why, "key", `the secret "${wrong}"`);
      }
      await refusedActions(page);
      game.keep = [page];
    },
    async showing(game) {
      await refusedActions(game.keep[0]);
      await game.keep[0].close();
    },
  },
  {
    what: "HTTP requests outside the pages, WebSockets outside /ws or from another site",
    async asking(game) {
      const media = `/media/${game.server.code}`;
      for (const [method, target, status] of REQUESTS(media)) {
        const r = await rawRequest(game.server.port, method, target);
        assert.equal(r.status, status, `${method} ${target}`);
        assert.equal(r.headers["content-security-policy"], POLICY, `the policy of ${method} ${target}`);
      }
      const image = await rawRequest(game.server.port, "GET", `${media}/0`);
      assert.ok(image.body.equals(readFileSync(path.join(dataDir, "mapa.png"))), "medium 0 is the question's picture");
      for (const where of ["/", "/presentador", "/nada", `${media}/0`, "/ws/", "/WS", "/qr.svg"])
        await refusedUpgrade(`ws://127.0.0.1:${game.server.port}${where}`);
      for (const origin of ["http://outro.example", `http://outro.example:${game.server.port}`, "http://127.0.0.1:1",
                            "null"])
        await refusedUpgrade(game.server.ws, { origin });
    },
  },
];

// Question `q` as the three students who keep the rules play it: Ana answers right and
// then wrong, Brais wrong and then right (the first answer stands), Carme right in a
// message of exactly 4096 bytes; an answer to a question not open is refused. Ana sends
// four messages a round: a round takes 400 ms at least, to stay within the 20 a second
// a page may send.
async function playRound(game, q, showing) {
  const [ana, brais, carme] = game.students;
  const paced = pause(400);
  const pick = (s, text) => ({ t: "answer", q, pick: [s.question.answers.indexOf(text)] });
  const right = `Certa ${q}`;
  const wrong = `Errada ${q} a`;
  ana.send({ t: "answer", q: q + 1, pick: [0] });
  assert.equal((await ana.next("refused")).why, "closed", "an answer to the next question");
  for (const [s, first, second] of [[ana, right, wrong], [brais, wrong, right]]) {
    s.send(pick(s, first));
    await s.next("sent");
    s.send(pick(s, second));
    await s.next("sent");
  }
  carme.send(padded(pick(carme, right), 4096));
  await carme.next("sent");
  const results = await Promise.all(game.students.map((s) => s.next("result")));
  assert.deepEqual(results.map((r) => [r.q, r.right]), [[q, true], [q, false], [q, true]]);
  const closed = await game.presenter.until((m) => m.t === "closed", `question ${q} closed`);
  assert.equal(closed.q, q);
  assert.equal(closed.answered, 3);
  assert.equal(closed.players, 3);
  const counts = Object.fromEntries(closed.answers.map((a) => [a.text, a.count]));
  assert.deepEqual([counts[right], counts[wrong]], [2, 1]);
  ana.send(pick(ana, right));
  assert.equal((await ana.next("refused")).why, "closed", "an answer to the question that closed");
  if (showing) await showing(game);
  await paced;
}

async function nextQuestion(game, q) {
  game.presenter.send({ t: "next" });
  for (const s of game.students) {
    s.question = await s.next("question");
    assert.equal(s.question.q, q, `${s.name} is asked question ${q}`);
  }
  await game.presenter.until((m) => m.t === "question" && m.q === q, `question ${q} on the presenter's screen`);
}

// A presenter page that stops reading while the lobby is sent to every presenter at
// each join: the server must drop it once its unread messages pile up. The kernel holds
// the first few MiB (the server's send buffer grows up to tcp_wmem's largest, the
// page's receive buffer stays at tcp_rmem's default while nothing is read), so twice
// both, and the server's own 256 KiB, are sent.
async function neverReads(game) {
  const [, rmemDefault] = readFileSync("/proc/sys/net/ipv4/tcp_rmem", "utf8").trim().split(/\s+/).map(Number);
  const [, , wmemMost] = readFileSync("/proc/sys/net/ipv4/tcp_wmem", "utf8").trim().split(/\s+/).map(Number);
  const enough = 2 * (rmemDefault + wmemMost) + 256 * 1024;
  const reader = game.presenter;
  const slow = await joinPresenter(game.server, "the presenter that stops reading");
  slow.ws._socket.pause();
  const from = reader.bytes;
  // Long names make long lobbies: 30 characters of 4 bytes each.
  const tokens = [];
  for (let i = 0; i < 150; i++) {
    const filler = await joinStudent(game.server, "🦊".repeat(30));
    assert.equal(filler.waiting.late, false, "a student joining the lobby");
    tokens.push(filler.joined.token);
    await filler.close();
  }
  for (let n = 0; reader.bytes - from < enough; n++) {
    assert.ok(n < 5000, "the lobby grew too slowly");
    const filler = await Page.open(game.server.ws, "a student coming back");
    filler.send({ t: "resume", token: tokens[n % tokens.length] });
    await filler.next("joined");
    await filler.next("wait");
    await filler.close();
  }
  // Reading again, the page finds its connection closed after what the kernel kept.
  slow.ws._socket.resume();
  await slow.dropped(30000);
  await reader.until((m) => m.t === "lobby" && m.players.length === 153, "the lobby of 153", 30000);
}

test("hostile pages and requests are dropped or refused while the game goes on", { timeout: 180000 }, async () => {
  const dir = freshDir("hostile");
  for (const f of ["mapa.png", "pregunta.wav"]) copyFileSync(path.join(dataDir, f), path.join(dir, f));
  const rounds = CASES.length + 1;
  const questions = Array.from({ length: rounds + 1 }, (_, i) =>
    [`Pregunta ${i + 1}: cal é a certa?`, `Certa ${i + 1}`, `Errada ${i + 1} a`, `Errada ${i + 1} b`]);
  const quiz = path.join(dir, "xogo.xml");
  writeFileSync(quiz, quizXml(questions, { image: "mapa.png", sound: "pregunta.wav" }));
  const server = await startServer(program, quiz, ["--time", "0"]);
  const pages = [];
  try {
    const presenter = await joinPresenter(server);
    const students = [];
    for (const name of ["Ana", "Brais", "Carme"]) students.push(await joinStudent(server, name));
    pages.push(presenter, ...students);
    const game = { server, presenter, students };
    // A page that never joins holds a connection for nothing: dropped after 10 s.
    const idle = await Page.open(server.ws, "a page that never joins");
    const idleSince = Date.now();
    pages.push(idle);
    await presenter.until((m) => m.t === "lobby" && m.players.length === 3, "the lobby of three");

    // In the lobby: the actions refused leave it the lobby, where a student still
    // joins not late; then the presenter that stops reading.
    const bare = await Page.open(server.ws, "a page without the secret in the lobby");
    await refusedActions(bare);
    await bare.close();
    await neverReads(game);

    presenter.send({ t: "start" });
    for (const s of students) {
      s.question = await s.next("question");
      assert.equal(s.question.image, `/media/${game.server.code}/0`);
    }
    assert.equal((await presenter.until((m) => m.t === "question", "question 1")).sound, `/media/${game.server.code}/1`);
    // A first round with nothing untoward, then one round per case.
    await playRound(game, 1);
    for (const [i, c] of CASES.entries()) {
      const q = i + 2;
      await nextQuestion(game, q);
      try {
        await c.asking(game, q);
        await playRound(game, q, c.showing);
      } catch (e) {
        e.message = `${c.what}: ${e.message}`;
        throw e;
      }
    }
    assert.notEqual(await idle.dropped(Math.max(1000, idleSince + 12000 - Date.now())), 1001, "dropped, not at the end");
    assert.ok(Date.now() - idleSince >= 9000, "not before its 10 s");
    presenter.send({ t: "end" });
    for (const s of students) await s.next("final");
    // The three, the 150 of the lobby, an offender for each case dropped and "Curiosa".
    assert.equal((await presenter.until((m) => m.t === "final", "the final")).players, 153 + DROPPED.length + 1);
    assert.ok(server.running(), "vireta-clase still runs");
    assert.equal(await server.stop(), 0, "vireta-clase's exit status after SIGTERM");
  } finally {
    server.kill();
    for (const p of pages) p.ws.terminate();
  }
});
