// The format table against the writers it names: what the save page and vireta-export
// learn from a row without writing must be what the writer then asks for.
#include "formats/format_table.h"

#include "quiz_samples.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vireta {
namespace {

TEST(FormatTable, EveryRowAgreesWithItsWriter) {
    const samples::SampleQuiz quiz = samples::fullQuiz();
    std::set<std::string> names;
    for (std::size_t i = 0; i < kFormatCount; ++i) {
        const FormatInfo& row = formatTable()[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(static_cast<std::size_t>(row.format), i);
        EXPECT_EQ(&formatInfo(row.format), &row);
        EXPECT_EQ(formatNamed(row.name), &row);
        EXPECT_TRUE(names.insert(row.name).second);
        if (!row.write) {
            EXPECT_EQ(row.format, Format::Pdf); // drawn by the print module
            // A PDF holds its pictures: its save copies and packs nothing.
            for (bool singleFile : {false, true}) {
                ExportSettings settings;
                settings.singleFile = singleFile;
                EXPECT_TRUE(row.carriesMedia(settings));
                EXPECT_TRUE(row.request(settings).carriesMedia);
                EXPECT_FALSE(row.request(settings).packable);
            }
            continue;
        }
        for (bool singleFile : {false, true}) {
            ExportSettings settings;
            settings.singleFile = singleFile;
            ShuffleGenerator generator = ShuffleGenerator::withFixedSeed(1);
            ExportNotes notes;
            OutputBuffer out;
            const SaveRequest written =
                row.write({quiz.general, quiz.questions, quiz.count, settings, generator, notes},
                          out);
            const SaveRequest ahead = row.request(settings);
            EXPECT_EQ(written.filter, ahead.filter);
            EXPECT_EQ(written.extension, ahead.extension);
            EXPECT_EQ(written.carriesMedia, ahead.carriesMedia) << "singleFile " << singleFile;
            EXPECT_EQ(written.packable, ahead.packable);
            EXPECT_FALSE(out.empty());
            if (!row.questionBank) {
                EXPECT_TRUE(notes.empty());
            }
        }
    }
    EXPECT_EQ(formatNamed("odt"), nullptr);
    EXPECT_EQ(formatNamed(""), nullptr);
}

} // namespace
} // namespace vireta
