// The GIFT export of every kind of question, read back by an independent GIFT parser
// (gift-pegjs, pinned in package-lock.json): each question comes back of its kind,
// with its statement, its answers and their weights and feedback as written.
//
// Usage: node gift_parser_test.mjs VIRETA_EXPORT QUIZ_FILE WORK_DIR
// QUIZ_FILE is tests/data/foreign/kinds_bank.xml, whose questions are listed below.
import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdirSync, readFileSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { exportQuiz } from "./web_game_lib.mjs";

const [exporter, quizFile, workDir] = process.argv.slice(2);
if (!exporter || !quizFile || !workDir) {
  console.error("usage: gift_parser_test.mjs VIRETA_EXPORT QUIZ_FILE WORK_DIR");
  process.exit(2);
}
const require = createRequire(import.meta.url);
const { parse } = require("gift-pegjs");

// The quiz's questions as GIFT carries them. An answer is [text, weight, feedback]: the
// weight null for a bare "=" (right) or "~" (wrong), which `right` then tells; each
// answer's feedback is its own message, or else the question's right or wrong one.
// A true-or-false question's feedback: first the wrong choice's, then the right one's.
const QUESTIONS = [
  {
    type: "MC", stem: "Cales son ríos galegos?",
    choices: [
      ["Miño", 50, "Si: nace en Meira."], ["Ulla", 50, null],
      ["Mondego", -100, "Non: é portugués."], ["Douro", -100, null],
    ],
  },
  { type: "TF", stem: "O Miño nace en Ourense.", isTrue: false,
    feedback: [null, 'Ben: nace en "Meira" & Lugo <norte>.'] },
  {
    type: "Short", stem: "Capital de Galicia?",
    choices: [["Santiago de Compostela", null, "Moi ben!"], ["Santiago", null, "Moi ben!"]],
  },
  {
    type: "MC", stem: "Río máis longo?", right: [true, false],
    choices: [["Miño", null, null], ["Sil", null, "O Sil é afluente do Miño."]],
  },
  {
    type: "MC", stem: "Cales están en Galicia?",
    choices: [
      ["Lugo", 33.33333, "Todas galegas."], ["Ourense", 33.33333, "Todas galegas."],
      ["Vigo", 33.33333, "Todas galegas."], ["Braga", -100, "Braga é portuguesa."],
    ],
  },
  {
    // The platform's pattern of a star is "\*"; "*" of no weight is anything else.
    type: "Short", stem: "Que signo multiplica?",
    choices: [["\\*", null, "Si."], ["x", null, "Tamén: x."], ["*", 0, "Non: é * ou x."]],
  },
  {
    type: "MC", stem: "Onde nace o Sil?", right: [true, false, false],
    choices: [["Peña Trevinca", null, "Exacto."], ["Lugo", null, "Case."], ["Ourense", null, "Non."]],
  },
  { type: "TF", stem: "O Sil desemboca no Miño.", isTrue: true, feedback: ["Mira o mapa.", "Si."] },
];

const text = (t) => (t === null ? null : t.text);

// What the parser read, in the shape of QUESTIONS.
function asWritten(q) {
  const read = { type: q.type, stem: q.stem.text };
  if (q.type === "TF") return { ...read, isTrue: q.isTrue, feedback: [text(q.trueFeedback), text(q.falseFeedback)] };
  read.choices = q.choices.map((c) => [c.text.text, c.weight, text(c.feedback)]);
  if (q.choices.every((c) => c.weight === null) && q.type === "MC") read.right = q.choices.map((c) => c.isCorrect);
  return read;
}

rmSync(workDir, { recursive: true, force: true });
mkdirSync(workDir, { recursive: true });
exportQuiz(exporter, ["-f", "gift", "-o", path.join(workDir, "banco"), quizFile]);
const gift = readFileSync(path.join(workDir, "banco.gift"), "utf8");
const parsed = parse(gift);

test("the category comes first, named after the title", () => {
  assert.deepEqual(parsed[0], { type: "Category", title: "$course$/top/Ríos" });
});

test("every question reads back of its kind, as written", () => {
  const questions = parsed.slice(1);
  assert.equal(questions.length, QUESTIONS.length);
  questions.forEach((q, i) => {
    assert.deepEqual(asWritten(q), QUESTIONS[i], `question ${i + 1}`);
    assert.equal(q.title, QUESTIONS[i].stem, `question ${i + 1}: its name`);
    assert.equal(q.hasEmbeddedAnswers, false, `question ${i + 1}`);
    assert.equal(q.globalFeedback, null, `question ${i + 1}`);
  });
});

test("the right answers of a several-answer question add up to 100", () => {
  for (const q of parsed.filter((q) => q.type === "MC" && q.choices.some((c) => c.weight !== null))) {
    const right = q.choices.filter((c) => c.weight > 0).reduce((sum, c) => sum + c.weight, 0);
    assert.ok(Math.abs(right - 100) < 0.001, `${q.title}: ${right}`);
  }
});
