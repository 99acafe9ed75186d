// The web game of the "Web" tab: one HTML5 page that plays the whole quiz in a
// browser, one question at a time, with the teacher's messages and sounds, and the
// same page packed as a SCORM 1.2 package for a learning platform.
//
// The page carries the quiz as JSON in a <script type="application/json"> element
// and builds its screens from it in the browser (game.js beside this file, with
// game.css, both built into the library). The game shuffles the questions and
// answers at every play; the page itself holds each question's answers in an order
// drawn when it is written, with the right one's index mixed with a value drawn for
// the page, so the answers are not in plain sight in its source; the right ones of a
// question with several, the accepted answers of a short one and the answers' own
// messages are sealed the same way. Those draws come
// from the writer's ShuffleGenerator: with a fixed seed the page is the same, byte
// for byte, for the same quiz and settings.
#pragma once

#include "formats/export_settings.h"
#include "formats/output_buffer.h"
#include "formats/shuffle.h"
#include "model/quiz.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta {

// Questions 1..count of `questions` form the quiz (count is clamped to
// 0..kQuestionCapacity); a question with an empty statement or without a right
// answer is left out: for one answer its first, for several a marked filled one, for
// short answers any filled one; a true-or-false question whose first answer is
// neither "Verdadeiro" nor "Falso" has none. The page is UTF-8 whatever the
// other tabs say. Media are named by bare file name, or embedded as data: URIs with
// settings.singleFile (read from disk now; a file that cannot be read is left out
// and listed in the request's unreadMedia). The game ends well ("ben": endWell and
// its sound) when the percentage of right answers it shows is general.passMark or
// more. The generator is reseeded once and draws the page's answer orders.
// Filter " *.htm|*.htm;*.html;*.HTM;*.HTML", extension "html".
SaveRequest writeWebGame(const GeneralData& general, const QuestionTable& questions, int count,
                      const ExportSettings& settings, ShuffleGenerator& generator, OutputBuffer& out);

// The SCORM 1.2 package: a zip (written into `out` as its bytes) holding
// imsmanifest.xml, the page as index.html, reporting its score to the platform
// and "passed" or "failed" against general.passMark (the manifest's mastery score),
// and every media file it names under its bare name.
// A media file that cannot be read, or whose bare name another file already took, is
// left out and listed in unreadMedia. Filter " *.zip|*.zip;*.ZIP", extension "zip";
// the request carries its media and is not packed into a tar.
SaveRequest writeScormPackage(const GeneralData& general, const QuestionTable& questions, int count,
                        const ExportSettings& settings, ShuffleGenerator& generator, OutputBuffer& out);

// The pieces of the page, for the writers above and their tests.
namespace webgame {

// A text as the page seals it, out of plain sight: its UTF-8 bytes (a byte that is
// no UTF-8 read as Windows-1252, line breaks as LF), each mixed by exclusive or with
// the low byte of the next value of k = (k * 75 + 74) mod 65537 from k = salt, in
// lower-case hex. The game undoes it with the page's salt.
std::string sealText(std::string_view text, int salt);

// A JSON string literal (quotes included) that no text can break out of, in the
// JSON or in the script element around it: '<', '>' and '&' as \u003c, \u003e and
// \u0026, U+2028 and U+2029 escaped, control characters as \n, \r, \t or \u00XX. A
// byte that is not part of valid UTF-8 is read as a Windows-1252 character.
std::string jsonString(std::string_view text);

// The seconds of the game's countdown when the time text is a whole number,
// optionally followed by "s" or "min" (spaces around allowed, "10" meaning seconds),
// or minutes and seconds ("5:00"); nullopt for any other text, for zero and for more
// than a day.
std::optional<int> countdownSeconds(std::string_view time);

// The address by which the page names a media file beside it: the path's bare file
// name, percent-encoded (everything but letters, digits and "-._~"). Empty for an
// empty path.
std::string mediaUrl(std::string_view path);

// The question's link as the page may offer it: tabs and line breaks removed and
// surrounding spaces trimmed (as a browser would), then kept when it is relative or
// its scheme is http, https or mailto; empty otherwise (javascript:, data:, a
// Windows path...).
std::string safeLink(std::string_view link);

// Whether a picture path names a video or Flash file (ends in "flv" or "swf", in any
// case), which the page does not show.
bool isVideo(std::string_view path);

// The title of the page and the package: the quiz's, or "Cuestionario" when blank.
std::string pageTitle(const GeneralData& general);

// A media file's bytes, when it is a regular file of at most 64 MiB that can be read;
// otherwise nullopt with `error` set to the errno value (EISDIR or EINVAL for a folder
// or a device, EFBIG for a larger file).
std::optional<std::string> readMediaFile(const std::string& path, int& error);

// The page's own style sheet and script, as built into the library.
std::string_view styleSheet();
std::string_view script();

struct Page {
    std::string html;                     // the whole page, lines ended by CR LF
    std::vector<std::string> media;       // source paths named by bare file name, once each
    std::vector<UnreadMedium> unreadMedia; // single file: media that could not be embedded
};

// The page; `scorm` makes it talk to a learning platform's API.
Page buildPage(const GeneralData& general, const QuestionTable& questions, int count,
               const ExportSettings& settings, ShuffleGenerator& generator, bool scorm);

// The most characters a title in the package's manifest may have (its schema's limit).
constexpr std::size_t kManifestTitleLimit = 200;

// The title as the package's manifest gives it: the page title, in UTF-8, cut after
// kManifestTitleLimit characters. The page inside the package keeps the whole title.
std::string manifestTitle(const GeneralData& general);
// Whether manifestTitle() had to cut the title.
bool manifestTitleShortened(const GeneralData& general);

// The package's imsmanifest.xml for the page index.html and the given entry names;
// `title` is manifestTitle()'s.
std::string scormManifest(const std::string& title, int passMark,
                          const std::vector<std::string>& entries);

} // namespace webgame
} // namespace vireta
