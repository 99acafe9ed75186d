// The classroom server (vireta-clase) driven from node, shared by its test and its
// benchmark: the program started on a quiz at a free loopback port, and pages that talk
// to its WebSocket /ws through ws (pinned in package-lock.json), every wait bounded.
import { spawn } from "node:child_process";
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import net from "node:net";

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

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.on("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Every server started, killed when node leaves, however the tests end.
const children = new Set();
process.on("exit", () => {
  for (const child of children) child.kill("SIGKILL");
});

// Starts `program` on `quizPath` (the results file goes beside it), listening on the
// loopback only, and reads its three lines. `stop()` sends SIGTERM and resolves with
// the exit status.
export async function startServer(program, quizPath, args = []) {
  const child = spawn(program, [quizPath, "--listen", "127.0.0.1", "--port", String(await freePort()), ...args],
                      { stdio: ["ignore", "pipe", "pipe"] });
  children.add(child);
  let stdout = "";
  let stderr = "";
  let stopping = false;
  child.stderr.on("data", (d) => (stderr += d));
  const exited = new Promise((resolve) => child.on("exit", (code, signal) => {
    children.delete(child);
    resolve({ code, signal });
  }));
  exited.then(({ code, signal }) => {
    if (!stopping) console.error(`vireta-clase ended by itself (status ${code}, signal ${signal}):\n${stderr}`);
  });
  const lines = await within(new Promise((resolve, reject) => {
    child.stdout.on("data", (d) => {
      stdout += d;
      if (/^Presentador: .*\n/m.test(stdout)) resolve(stdout);
    });
    exited.then(() => reject(new Error(`vireta-clase did not start:\n${stdout}${stderr}`)));
  }), 15000, "vireta-clase's addresses");
  const student = /^Alumnado: (http:\/\/127\.0\.0\.1:(\d+)\/)$/m.exec(lines);
  const code = /^Código: (\d{6})$/m.exec(lines);
  const key = /^Presentador: http:\/\/\S+\/presentador\?chave=(\w+)$/m.exec(lines);
  if (!student || !code || !key) throw new Error(`vireta-clase printed no addresses:\n${lines}`);
  return {
    pid: child.pid,
    port: Number(student[2]),
    url: student[1],
    ws: `ws://127.0.0.1:${student[2]}/ws`,
    code: code[1],
    key: key[1],
    stderr: () => stderr,
    running: () => child.exitCode === null && child.signalCode === null,
    async stop(ms = 15000) {
      stopping = true;
      if (child.exitCode === null && child.signalCode === null) child.kill("SIGTERM");
      return within(exited, ms, "vireta-clase's exit after SIGTERM");
    },
    kill() {
      stopping = true;
      if (child.exitCode === null && child.signalCode === null) child.kill("SIGKILL");
    },
  };
}

// One page's WebSocket: the messages it was sent, in order, taken one at a time.
export class Page {
  static open(url, name = "page", ms = 10000) {
    const ws = new WebSocket(url);
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
export async function joinStudent(server, name, ms = 10000) {
  const page = await Page.open(server.ws, name, ms);
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
