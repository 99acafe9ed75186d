#include "formats/question_import.h"

#include "formats/aiken.h"
#include "formats/gift.h"
#include "formats/import_support.h"
#include "formats/moodle_xml.h"
#include "formats/spreadsheet.h"
#include "io/file_read.h"
#include "io/pending_file.h"
#include "text.h"

#include <cerrno>
#include <set>

#include <sys/stat.h>

namespace vireta {
namespace {

std::string lowerExtension(std::string_view path) {
    const std::string name = bareFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return {};
    std::string e = name.substr(dot + 1);
    for (char& c : e)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return e;
}

// The name of the first element of an XML text, empty when it starts with no markup.
std::string rootElementName(std::string_view text) {
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && std::string_view(" \t\r\n").find(text[i]) != std::string_view::npos)
            ++i;
        if (i >= text.size() || text[i] != '<')
            return {};
        if (text.substr(i, 4) == "<!--") {
            const std::size_t end = text.find("-->", i + 4);
            if (end == std::string_view::npos)
                return {};
            i = end + 3;
            continue;
        }
        if (text.substr(i, 2) == "<?" || text.substr(i, 2) == "<!") {
            const std::size_t end = text.find('>', i + 2);
            if (end == std::string_view::npos)
                return {};
            i = end + 1;
            continue;
        }
        std::size_t e = i + 1;
        while (e < text.size() && std::string_view(" \t\r\n/>").find(text[e]) == std::string_view::npos)
            ++e;
        return std::string(text.substr(i + 1, e - i - 1));
    }
}

bool hasAnswerLine(std::string_view text) {
    for (std::string_view line : splitLines(text)) {
        line = trimmed(line);
        if (!startsWithNoCase(line, "ANSWER"))
            continue;
        line = trimmed(line.substr(6));
        if (!line.empty() && line[0] == ':')
            return true;
    }
    return false;
}

bool hasBraces(std::string_view text) {
    const std::size_t open = text.find('{');
    return open != std::string_view::npos && text.find('}', open) != std::string_view::npos;
}

// Writes embedded media into one folder, each name once.
class MediaFolder {
public:
    MediaFolder(std::string folder, bool write) : folder_(std::move(folder)), write_(write) {}

    std::string write(const std::string& safeName, const std::string& bytes) {
        if (safeName.empty() || safeName.find('/') != std::string::npos ||
            safeName.find('\\') != std::string::npos || safeName == "." || safeName == "..")
            return {};
        if (write_ && !created_) {
            const std::string dir = folder_.substr(0, folder_.size() - 1);
            if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
                return {};
            struct stat st {};
            if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
                return {};
            created_ = true;
        }
        std::string name = safeName;
        for (int k = 2; used_.count(name); ++k) {
            const std::size_t dot = safeName.rfind('.');
            name = dot == std::string::npos || dot == 0
                       ? safeName + "-" + std::to_string(k)
                       : safeName.substr(0, dot) + "-" + std::to_string(k) + safeName.substr(dot);
        }
        const std::string path = folder_ + name;
        if (!write_) {
            used_.insert(name);
            unwritten_.push_back(path);
            return path;
        }
        // Never through a link planted in the folder.
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return {};
        try {
            writeFileReplacing(path, bytes);
        } catch (const std::exception&) {
            return {};
        }
        used_.insert(name);
        return path;
    }

    // The paths handed out without writing the media.
    const std::vector<std::string>& unwritten() const { return unwritten_; }

private:
    std::string folder_;
    bool write_;
    bool created_ = false;
    std::set<std::string> used_;
    std::vector<std::string> unwritten_;
};

} // namespace

ImportError::ImportError(std::string path, Kind kind, const std::string& reason)
    : std::runtime_error(reason), path_(std::move(path)), kind_(kind) {}

std::string ImportError::userMessage() const {
    std::string text = "Non se puido importar o arquivo :" + path_;
    switch (kind_) {
    case Kind::Unreadable: break;
    case Kind::UnknownFormat:
        text += "\nNon se recoñece o seu formato (Aiken, GIFT, folla de cálculo ou Moodle XML).";
        break;
    case Kind::QuizFile: text += "\nÉ un cuestionario de Vireta: ábreo con «Abrir»."; break;
    case Kind::Malformed: text += "\nO documento Moodle XML está mal formado."; break;
    }
    return text;
}

DetectedFormat detectFormat(std::string_view path, std::string_view bytes) {
    const std::string text = importedText(bytes.substr(0, kDetectionBytes));
    const std::string root = rootElementName(text);
    // A question bank holds questions; an empty `quiz` is no more than a stray root.
    if (root == "quiz" && text.find("<question") != std::string::npos)
        return DetectedFormat::MoodleXml;
    if (!root.empty())
        return DetectedFormat::QuizFile;
    const std::string ext = lowerExtension(path);
    if (ext == "csv" || ext == "tsv")
        return DetectedFormat::Spreadsheet;
    if (hasAnswerLine(text))
        return DetectedFormat::Aiken;
    if (hasBraces(text))
        return DetectedFormat::Gift;
    if (ext == "gift")
        return DetectedFormat::Gift;
    if (ext == "txt")
        return DetectedFormat::Aiken;
    return DetectedFormat::Unknown;
}

std::optional<ImportFormat> importFormatNamed(std::string_view name) {
    if (name == "aiken")
        return ImportFormat::Aiken;
    if (name == "gift")
        return ImportFormat::Gift;
    if (name == "csv")
        return ImportFormat::Spreadsheet;
    if (name == "moodle")
        return ImportFormat::MoodleXml;
    return std::nullopt;
}

std::string mediaFolderFor(const std::string& path) {
    std::string name = bareFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return folderPart(path) + name + "-media/";
}

ImportResult importQuestions(const std::string& path, std::optional<ImportFormat> forced,
                             bool writeMedia) {
    std::string bytes;
    if (!io::readWholeFile(path, bytes))
        throw ImportError(path, ImportError::Kind::Unreadable, io::errorText(errno));
    ImportFormat format;
    if (forced) {
        format = *forced;
    } else {
        switch (detectFormat(path, bytes)) {
        case DetectedFormat::Aiken: format = ImportFormat::Aiken; break;
        case DetectedFormat::Gift: format = ImportFormat::Gift; break;
        case DetectedFormat::Spreadsheet: format = ImportFormat::Spreadsheet; break;
        case DetectedFormat::MoodleXml: format = ImportFormat::MoodleXml; break;
        case DetectedFormat::QuizFile:
            throw ImportError(path, ImportError::Kind::QuizFile, "it is a quiz file (open it instead)");
        default:
            throw ImportError(path, ImportError::Kind::UnknownFormat,
                              "its format cannot be told (Aiken, GIFT, CSV or Moodle XML)");
        }
    }
    const std::string text = importedText(bytes);
    bytes.clear();
    switch (format) {
    case ImportFormat::Aiken:
        return AikenReader::read(text);
    case ImportFormat::Gift:
        return GiftReader::read(text);
    case ImportFormat::Spreadsheet:
        return SpreadsheetReader::read(text, folderPart(path), lowerExtension(path) == "tsv");
    case ImportFormat::MoodleXml: {
        MediaFolder folder(mediaFolderFor(path), writeMedia);
        try {
            ImportResult result = MoodleXmlReader::read(text, [&](const std::string& name, const std::string& b) {
                return folder.write(name, b);
            });
            result.unwrittenMedia = folder.unwritten();
            return result;
        } catch (const MoodleXmlError& e) {
            throw ImportError(path, ImportError::Kind::Malformed, e.what());
        }
    }
    }
    throw ImportError(path, ImportError::Kind::UnknownFormat, "unknown format");
}

bool isBlankQuestion(const Question& q) {
    for (FieldSlot s : {FieldSlot::enunciado, FieldSlot::resposta1, FieldSlot::resposta2,
                        FieldSlot::resposta3, FieldSlot::resposta4, FieldSlot::imaxe,
                        FieldSlot::son, FieldSlot::enlace})
        if (!q[s].empty())
            return false;
    return true;
}

AppliedImport applyImport(const ImportResult& result, QuizModel& model) {
    AppliedImport applied;
    applied.notes = result.notes;
    if (result.questions.empty())
        return applied;
    int at; // the number the first question takes
    if (model.count == 1 && isBlankQuestion(model.questions.record(1))) {
        applied.replaced = true;
        at = 1;
        model.count = 0;
    } else {
        at = model.current + 1;
    }
    const int room = kQuestionCapacity - model.count;
    const int take = std::min(room, static_cast<int>(result.questions.size()));
    if (take < static_cast<int>(result.questions.size())) {
        const ImportedQuestion& firstLeft = result.questions[static_cast<std::size_t>(take)];
        applied.notes.push_back({firstLeft.line, firstLeft.name, NoteReason::QuizFull,
                                 std::to_string(result.questions.size() - static_cast<std::size_t>(take)), 0});
    }
    if (take <= 0) {
        if (applied.replaced)
            model.count = 1;
        applied.replaced = false;
        return applied;
    }
    // Move the questions after the insertion point down, last first.
    for (int k = model.count; k >= at; --k)
        model.questions.record(k + take) = model.questions.record(k);
    for (int i = 0; i < take; ++i)
        model.questions.record(at + i) = result.questions[static_cast<std::size_t>(i)].question;
    model.count += take;
    model.current = at;
    applied.first = at;
    applied.inserted = take;
    return applied;
}

} // namespace vireta
