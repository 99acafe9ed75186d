// The paper test for the command line, as a module loaded only when a paper test is
// asked for: vireta-export starts without Qt, and loads Qt with this module for -f pdf.
// No Qt header is needed to use it.
#pragma once

#include "formats/export_settings.h"
#include "model/quiz.h"
#include "paper_pdf.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vireta {

struct PaperJob {
    const GeneralData* general = nullptr;
    const QuestionTable* questions = nullptr;
    int count = 0;
    const ExportSettings* settings = nullptr;
    std::optional<std::uint32_t> seed; // a fixed seed, or the clock's
};

// The module's one entry point: fills `files`, or returns false with `error` set.
// It runs its own QGuiApplication on the "offscreen" platform, so no display is needed.
using PaperModuleEntry = bool (*)(const PaperJob& job, PaperFiles& files, std::string& error);
inline constexpr const char* kPaperModuleEntry = "vireta_paper_files";
inline constexpr const char* kPaperModuleFile = "vireta-paper.so";

} // namespace vireta
