// Shared pieces of the classroom game's browser scripts: a quiz of every kind copied
// with its media into a folder of its own, and vireta-clase started on it on the
// loopback at a free port, with the three lines it prints read back.
import { spawn } from "node:child_process";
import { copyFileSync, mkdirSync } from "node:fs";
import net from "node:net";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const data = path.join(here, "..", "data");

// Copies tests/data/classroom/every_kind.xml and the picture and sound it names into
// `folder`; returns the quiz's path there.
export function copyQuiz(folder) {
  mkdirSync(folder, { recursive: true });
  copyFileSync(path.join(data, "classroom", "every_kind.xml"), path.join(folder, "every_kind.xml"));
  for (const medium of ["mapa.png", "pregunta.wav"]) copyFileSync(path.join(data, "web", medium), path.join(folder, medium));
  return path.join(folder, "every_kind.xml");
}

export function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// Starts `clase` (vireta-clase) on `quiz` with `args` after the loopback and a free
// port; resolves, once it printed its three lines, to { child, student, code,
// presenter, exited (a promise of the exit status), stderr() }.
export async function startGame(clase, quiz, args = [], { timeoutMs = 15000 } = {}) {
  const port = await freePort();
  const child = spawn(clase, [quiz, "--listen", "127.0.0.1", "--port", String(port), ...args],
                      { stdio: ["ignore", "pipe", "pipe"] });
  let out = "";
  let err = "";
  child.stderr.on("data", (d) => { err += d; });
  const exited = new Promise((resolve) => child.on("exit", (code, signal) => resolve(signal ? `signal ${signal}` : code)));
  const lines = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => { child.kill("SIGKILL"); reject(new Error(`vireta-clase printed no address in time: ${out} ${err}`)); }, timeoutMs);
    child.on("exit", (code) => { clearTimeout(timer); reject(new Error(`vireta-clase ended (${code}): ${err}`)); });
    child.stdout.on("data", (d) => {
      out += d;
      const got = out.split("\n");
      if (got.length > 3) {
        clearTimeout(timer);
        resolve(got.slice(0, 3));
      }
    });
  });
  const field = (line, name) => {
    if (!line.startsWith(`${name}: `)) throw new Error(`expected "${name}: ..." but vireta-clase printed "${line}"`);
    return line.slice(name.length + 2);
  };
  return {
    child, exited, stderr: () => err,
    student: field(lines[0], "Alumnado"), code: field(lines[1], "Código"), presenter: field(lines[2], "Presentador"),
  };
}

// Sends SIGTERM and waits for the end; SIGKILL after `timeoutMs`.
export async function stopGame(game, timeoutMs = 10000) {
  game.child.kill("SIGTERM");
  let timer;
  const late = new Promise((resolve) => { timer = setTimeout(() => { game.child.kill("SIGKILL"); resolve("killed: no exit after SIGTERM"); }, timeoutMs); });
  const status = await Promise.race([game.exited, late]);
  clearTimeout(timer);
  return status;
}
