// The tree builder's readers of the markup that is neither an element nor text: the
// XML declaration, processing instructions, comments and CDATA sections.

#include "xml/xml_tree_builder.h"

namespace vireta {

void XMLTreeBuilder::parseDeclaration()
{
    cursor_ += 6; // "<?xml" and one blank
    if (!at("version"))
        fail(XmlProblem::DeclarationOrder, cursor_);
    cursor_ += 7;
    skipBlanks();
    if (*cursor_ != '=')
        fail(XmlProblem::AttributeEqualMissing, cursor_);
    ++cursor_;
    skipBlanks();
    char quote = *cursor_;
    if (quote != '"' && quote != '\'')
        fail(XmlProblem::AttributeQuoteMissing, cursor_);
    ++cursor_;
    if (!at("1.0"))
        fail(XmlProblem::DeclarationVersion, cursor_);
    cursor_ += 3;
    if (*cursor_ != quote)
        fail(XmlProblem::AttributeQuoteMissing, cursor_);
    ++cursor_;
    declaration_.version_ = "1.0";
    skipBlanks();

    if (at("encoding")) {
        cursor_ += 8;
        std::string_view value = readAttributeValueAfterName();
        if (!value.empty()) {
            char c = value[0];
            bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            for (char d : value.substr(1))
                ok = ok && ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z') || detail::isDecimalDigit(d)
                            || d == '.' || d == '_' || d == '-');
            if (!ok)
                fail(XmlProblem::DeclarationEncoding, value.data());
        }
        declaration_.encoding_.assign(value);
        skipBlanks();
    }
    if (at("standalone")) {
        cursor_ += 10;
        std::string_view value = readAttributeValueAfterName();
        if (value != "yes" && value != "no")
            fail(XmlProblem::DeclarationStandalone, value.data());
        declaration_.standalone_.assign(value);
    }
    skipBlanks();
    if (!at("?>"))
        fail(XmlProblem::DeclarationUnclosed, cursor_);
    cursor_ += 2;
}

void XMLTreeBuilder::parseProcessingInstruction()
{
    const char* const start = cursor_;
    cursor_ += 2;
    std::string_view target = readName();
    if (target.empty())
        fail(XmlProblem::InstructionTargetMissing, cursor_);
    if (target == "xml")
        fail(XmlProblem::DeclarationNotFirst, start);
    if (target.size() == 3 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' && (target[2] | 0x20) == 'l')
        fail(XmlProblem::InstructionTargetXml, target.data());
    skipBlanks();
    const char* stop = find("?>");
    if (!stop)
        fail(XmlProblem::InstructionUnclosed, start);
    append(Kind::ProcessingInstruction, target, std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop + 2;
}

void XMLTreeBuilder::parseComment()
{
    const char* const start = cursor_;
    cursor_ += 4;
    const char* stop = find("-->");
    if (!stop)
        fail(XmlProblem::CommentUnclosed, start);
    std::string_view text(cursor_, static_cast<std::size_t>(stop - cursor_));
    // "--" inside, or a "-" that makes one with the end ("--->").
    const std::size_t dashes = text.find("--");
    if (dashes != std::string_view::npos)
        fail(XmlProblem::CommentDoubleHyphen, text.data() + dashes);
    if (!text.empty() && text.back() == '-')
        fail(XmlProblem::CommentDoubleHyphen, stop - 1);
    append(Kind::Comment, text);
    cursor_ = stop + 3;
}

void XMLTreeBuilder::parseCData()
{
    const char* const start = cursor_;
    cursor_ += 9;
    const char* stop = find("]]>");
    if (!stop)
        fail(XmlProblem::CDataUnclosed, start);
    append(Kind::CData, std::string_view(cursor_, static_cast<std::size_t>(stop - cursor_)));
    cursor_ = stop + 3;
}

} // namespace vireta
