// The classroom server with a class of 200: how soon the presenter's count shows the
// last answer when 200 students answer a question at once, against one page's round
// trip alone on the same server; and the server's memory per student, against the
// idle server's.
//
// Usage: node bench/classroom_load.mjs VIRETA_CLASE [QUESTIONS]
// (tests/browser/npm-deps.sh installs ws first; build vireta-clase as Release.)
//
// vireta-clase runs on the loopback with no time limit, on a quiz of QUESTIONS (30)
// questions. At each question the 200 pages send their answers in one burst; the time
// runs from the moment the last one was handed to its socket to the presenter's count
// of 200. The baseline is a lone page's refused "start" and its "refused", one at a
// time, while the 200 wait in the lobby. Memory is VmRSS from /proc: after the
// presenter's page opened and before any student joined (the idle server), then with
// the 200 in the lobby. Medians and 95th percentiles are printed, with the ratios.
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import os from "node:os";
import path from "node:path";
import {
  joinPresenter, joinStudent, Page, pause, quizXml, residentKb, startServer,
} from "../tests/browser/classroom_ws.mjs";

const [program, questionsText] = process.argv.slice(2);
if (!program) {
  console.error("usage: node bench/classroom_load.mjs VIRETA_CLASE [QUESTIONS]");
  process.exit(2);
}
const count = Number(questionsText || 30);
const STUDENTS = 200;
const LONE_TRIPS = 60;

const work = mkdtempSync(path.join(os.tmpdir(), "vireta-bench-"));
const quiz = path.join(work, "clase.xml");
writeFileSync(quiz, quizXml(Array.from({ length: count }, (_, i) =>
  [`Pregunta ${i + 1}: cal é a certa?`, `Certa ${i + 1}`, `Errada ${i + 1} a`, `Errada ${i + 1} b`,
   `Errada ${i + 1} c`])));
const server = await startServer(program, quiz, ["--time", "0"]);

const quantile = (values, q) => {
  const s = [...values].sort((a, b) => a - b);
  return s[Math.min(s.length - 1, Math.floor(q * s.length))];
};

const presenter = await joinPresenter(server);
await pause(500);
const idleKb = residentKb(server.pid);
const students = await Promise.all(
  Array.from({ length: STUDENTS }, (_, i) => joinStudent(server, `Alumna ${i + 1}`, 30000)));
await presenter.until((m) => m.t === "lobby" && m.players.length === STUDENTS, "the lobby of 200", 30000);
await pause(500);
const classKb = residentKb(server.pid);

// The lone page: one message at a time, well within the 20 a second a page may send.
const lone = await Page.open(server.ws, "a lone page");
const trips = [];
for (let i = 0; i < LONE_TRIPS; i++) {
  const sent = performance.now();
  lone.send({ t: "start" });
  await lone.next("refused");
  trips.push(performance.now() - sent);
  await pause(60);
}
await lone.close();

// The presenter's count of every answer, timed as it arrives.
let countOfAll = null;
presenter.ws.on("message", (data) => {
  const m = JSON.parse(data);
  if (m.t === "count" && m.answered === STUDENTS) countOfAll = performance.now();
});

const latencies = [];
presenter.send({ t: "start" });
for (let q = 1; q <= count; q++) {
  const asked = await Promise.all(students.map((s) => s.next("question", 30000)));
  await presenter.until((m) => m.t === "question" && m.q === q, `question ${q}`, 30000);
  await pause(100);
  countOfAll = null;
  students.forEach((s, n) => s.send({ t: "answer", q, pick: [n % asked[n].answers.length] }));
  const lastSent = performance.now();
  await Promise.all(students.map(async (s) => {
    await s.next("sent", 30000);
    await s.next("result", 30000);
  }));
  await presenter.until((m) => m.t === "closed", `question ${q} closed`, 30000);
  if (countOfAll === null) throw new Error(`no count of ${STUDENTS} at question ${q}`);
  latencies.push(countOfAll - lastSent);
  presenter.send({ t: "next" });
  await pause(100); // the presenter's page, too, keeps within its 20 messages a second
}
await Promise.all(students.map((s) => s.next("final", 30000)));
const afterKb = residentKb(server.pid);
for (const s of students) s.ws.terminate();
presenter.ws.terminate();
const code = await server.stop();
rmSync(work, { recursive: true, force: true });

const ms = (v) => v.toFixed(2) + " ms";
const lone50 = quantile(trips, 0.5);
const last50 = quantile(latencies, 0.5);
const last95 = quantile(latencies, 0.95);
const perStudentKb = (classKb - idleKb) / STUDENTS;
console.log(`classroom server with ${STUDENTS} students, ${count} questions (loopback, vireta-clase exit ${code})`);
console.log(`  last answer to the presenter's count of ${STUDENTS}: median ${ms(last50)}, ` +
            `95th percentile ${ms(last95)}`);
console.log(`  baseline, a lone page's round trip: median ${ms(lone50)}, ` +
            `95th percentile ${ms(quantile(trips, 0.95))} (${LONE_TRIPS} trips)`);
console.log(`  ratios to the lone round trip's median: median ${(last50 / lone50).toFixed(1)}x, ` +
            `95th percentile ${(last95 / lone50).toFixed(1)}x`);
console.log(`  memory: idle server ${idleKb} kB, with ${STUDENTS} students ${classKb} kB, ` +
            `after the game ${afterKb} kB`);
console.log(`  per student ${perStudentKb.toFixed(1)} kB, ${(100 * perStudentKb / idleKb).toFixed(2)} % of the idle ` +
            `server; the class ${((classKb - idleKb) / idleKb).toFixed(2)}x the idle server`);
console.log(`  goals: 95th percentile under 250 ms: ${last95 < 250 ? "met" : "NOT met"}; ` +
            `under 100 KB a student: ${perStudentKb * 1024 < 100 * 1000 ? "met" : "NOT met"}`);
