// The classroom server (vireta-clase) driven from node without a browser, shared by its
// test and its benchmark: pages that talk to its WebSocket /ws through ws (pinned in
// package-lock.json), every wait bounded.
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { startGame, stopGame } from "./classroom_lib.mjs";

const require = createRequire(import.meta.url);
export const WebSocket = require("ws");

// Resolves as `promise` does, or fails saying `what` once `ms` have passed.
export function within(promise, ms, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: nothing within ${ms} ms`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A quiz file of questions of one right answer: each [statement, right answer, wrong
// answers...], optionally with `image` and `sound` file names for the first question.
export function quizXml(questions, { image, sound } = {}) {
  const escape = (s) => s.replace(/&/g, "&amp;").replace(/</g, "&lt;");
  let xml = '<?xml version="1.0" encoding="UTF-8"?>\n<xogo version="1.0"><titulo>Xogo en clase</titulo><preguntas>\n';
  questions.forEach(([statement, ...answers], i) => {
    xml += `<pregunta><enunciado>${escape(statement)}</enunciado>`;
    for (const a of answers) xml += `<resposta>${escape(a)}</resposta>`;
    if (i === 0 && image) xml += `<imaxe>${image}</imaxe>`;
    if (i === 0 && sound) xml += `<son>${sound}</son>`;
    xml += "</pregunta>\n";
  });
  return xml + "</preguntas></xogo>\n";
}

// Every server started, killed when node leaves, however the tests end.
const children = new Set();
process.on("exit", () => {
  for (const child of children) child.kill("SIGKILL");
});

// Starts `program` on `quizPath` (the results file goes beside it) on the loopback at a
// free port (classroom_lib.mjs), with what the pages need to reach it. `stop()` sends
// SIGTERM and resolves with the exit status (0, or "signal ...").
export async function startServer(program, quizPath, args = []) {
  const game = await startGame(program, quizPath, args);
  const { child } = game;
  children.add(child);
  let stopping = false;
  game.exited.then((status) => {
    children.delete(child);
    if (!stopping) console.error(`vireta-clase ended by itself (${status}):\n${game.stderr()}`);
  });
  const port = Number(new URL(game.student).port);
  const key = new URL(game.presenter).searchParams.get("chave");
  if (!port || !/^\d{6}$/.test(game.code) || !key) throw new Error(`vireta-clase's addresses: ${JSON.stringify(game)}`);
  return {
    pid: child.pid,
    port,
    url: game.student,
    ws: `ws://127.0.0.1:${port}/ws`,
    code: game.code,
    key,
    stderr: game.stderr,
    running: () => child.exitCode === null && child.signalCode === null,
    stop(ms = 15000) {
      stopping = true;
      return stopGame(game, ms);
    },
    kill() {
      stopping = true;
      if (child.exitCode === null && child.signalCode === null) child.kill("SIGKILL");
    },
  };
}

// One page's WebSocket: the messages it was sent, in order, taken one at a time.
export class Page {
  // `options` go to ws (an `origin` as a browser sends it, for one).
  static open(url, name = "page", ms = 10000, options = {}) {
    const ws = new WebSocket(url, options);
    return within(new Promise((resolve, reject) => {
      ws.once("open", () => resolve(new Page(ws, name)));
      ws.once("error", reject);
    }), ms, `${name}: the WebSocket's opening`);
  }

  constructor(ws, name) {
    this.ws = ws;
    this.name = name;
    this.inbox = [];
    this.waiter = null;
    this.bytes = 0; // of every message received
    this.closed = new Promise((resolve) => ws.on("close", (code) => {
      this.closedCode = code;
      const waiter = this.waiter;
      this.waiter = null;
      waiter?.reject(new Error(`${this.name}: the connection closed (${code})`));
      resolve(code);
    }));
    ws.on("error", () => {}); // the close that follows is what counts
    ws.on("message", (data) => {
      this.bytes += data.length;
      const message = JSON.parse(data);
      const waiter = this.waiter;
      this.waiter = null;
      if (waiter) waiter.resolve(message);
      else this.inbox.push(message);
    });
  }

  get open() { return this.ws.readyState === WebSocket.OPEN; }

  send(message) { this.ws.send(typeof message === "string" ? message : JSON.stringify(message), () => {}); }

  // The next message, whatever it is. A message that comes takes the waiter away
  // before it settles it, so that one arriving right after is kept.
  take(ms = 10000, what = "a message") {
    if (this.inbox.length) return Promise.resolve(this.inbox.shift());
    if (this.closedCode !== undefined)
      return Promise.reject(new Error(`${this.name}: ${what}: the connection closed (${this.closedCode})`));
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.waiter = null;
        reject(new Error(`${this.name}: ${what}: nothing within ${ms} ms`));
      }, ms);
      this.waiter = {
        resolve: (m) => { clearTimeout(timer); resolve(m); },
        reject: (e) => { clearTimeout(timer); reject(e); },
      };
    });
  }

  // The next message, which must be of type `t`.
  async next(t, ms = 10000) {
    const m = await this.take(ms, `waiting for "${t}"`);
    if (m.t !== t) throw new Error(`${this.name}: "${t}" expected, got ${JSON.stringify(m)}`);
    return m;
  }

  // Skips messages up to the first that `wanted` accepts, and returns it.
  async until(wanted, what, ms = 10000) {
    const end = Date.now() + ms;
    for (;;) {
      const m = await this.take(Math.max(1, end - Date.now()), `waiting for ${what}`);
      if (wanted(m)) return m;
    }
  }

  // Resolves with the close code once the server has closed the connection.
  dropped(ms = 10000) { return within(this.closed, ms, `${this.name}: the server's closing of the connection`); }

  close() {
    this.ws.close();
    return within(this.closed, 5000, `${this.name}: the closing of the connection`);
  }
}

// A student page that joined as `name`: its Page, with the joined and wait messages taken.
export async function joinStudent(server, name, ms = 10000, options = {}) {
  const page = await Page.open(server.ws, name, ms, options);
  page.send({ t: "join", code: server.code, name });
  page.joined = await page.next("joined", ms);
  page.waiting = await page.next("wait", ms);
  return page;
}

// The presenter's page, with its first view taken.
export async function joinPresenter(server, name = "presenter") {
  const page = await Page.open(server.ws, name);
  page.send({ t: "presenter", key: server.key });
  page.view = await page.take(10000, "the presenter's view");
  return page;
}

// The VmRSS of a process in kB, from /proc.
export function residentKb(pid) {
  const status = readFileSync(`/proc/${pid}/status`, "utf8");
  return Number(/^VmRSS:\s+(\d+) kB/m.exec(status)[1]);
}
