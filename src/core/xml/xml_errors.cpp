// Why a load fails: the parse errors, with the reader's fixed messages, and a file
// that cannot be read.

#include "xml/xml_errors.h"

#include "text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vireta {

EXMLException::EXMLException(XmlProblem problem, const std::string& message, std::string_view input,
                             std::size_t offset, std::string subject)
    : std::runtime_error(message), problem_(problem), offset_(std::min(offset, input.size())),
      position_(textPositionAt(input, offset_)), subject_(std::move(subject))
{
}

FileReadError::FileReadError(const std::string& path, int error, const std::string& reason)
    : std::runtime_error("Cannot read '" + path + "': " + (reason.empty() ? std::strerror(error) : reason)),
      path_(path), error_(error)
{
}

namespace detail {

std::string messageOf(XmlProblem problem, const std::string& subject)
{
    switch (problem) {
    case XmlProblem::NoRootElement:
    case XmlProblem::OutsideRootElement:
        return "The main xml document is empty.";
    case XmlProblem::DocumentType:
        return "DTD not handle in this version.";
    case XmlProblem::DeclarationOrder:
        return "The xml declaration must have 'version' and 'encoding' and/or 'standalone' in this order.";
    case XmlProblem::DeclarationVersion:
        return "Unsupported XML version, must be '1.0'.";
    case XmlProblem::DeclarationEncoding:
        return "Wrong XML encoding declaration.";
    case XmlProblem::DeclarationStandalone:
        return "Wrong XML standalone declaration, must be 'yes' or 'no'.";
    case XmlProblem::DeclarationNotFirst:
        return "The xml declaration must be on the first line and first character.";
    case XmlProblem::DeclarationUnclosed:
        return "End of tag '<?xml' missing (?>).";
    case XmlProblem::TagNameMissing:
    case XmlProblem::EndTagMismatch:
        return "Imposible abrir o libro.";
    case XmlProblem::TagUnclosed:
        return "End of tag '<' missing (>).";
    case XmlProblem::ElementUnclosed:
        return "End of tag '<" + subject + ">' missing (</" + subject + ">).";
    case XmlProblem::AttributeEqualMissing:
        return "Missing equal sign for an attribute.";
    case XmlProblem::AttributeQuoteMissing:
        return "Missing quote for an attribute's value.";
    case XmlProblem::AttributeRepeated:
        return "Attribute " + subject + " already used.";
    case XmlProblem::CommentUnclosed:
        return "End of tag '<!--' missing (-->).";
    case XmlProblem::CommentDoubleHyphen:
        return "Illegal sequence '--' in comment.";
    case XmlProblem::CDataUnclosed:
        return "End of tag '<![CDATA[' missing (]]>).";
    case XmlProblem::InstructionTargetMissing:
        return "Processing Instruction target name missing.";
    case XmlProblem::InstructionTargetXml:
        return "Processing Instruction target name is 'xml'.";
    case XmlProblem::InstructionUnclosed:
        return "End of tag '<?' missing (?>).";
    case XmlProblem::ReferenceUnfinished:
        return "Missing reference end ';'.";
    case XmlProblem::ReferenceNameInvalid:
        return "Reference name is not valid.";
    case XmlProblem::ReferenceNumberTooLarge: {
        // The digits between "&#" and ";", a hexadecimal number marked with '$'.
        std::string digits = subject.substr(2, subject.size() - 3);
        if (digits[0] == 'x')
            digits[0] = '$';
        return "'" + digits + "' is not a valid integer value";
    }
    }
    return {};
}

} // namespace detail

} // namespace vireta
