// The fixed messages of the XML reader's parse errors. Internal to the XML reader.
#pragma once

#include "xml/xml_parser.h"

#include <string>

namespace vireta::detail {

// The reader's fixed message for a problem, with its subject where it names one
// (see EXMLException::subject).
std::string messageOf(XmlProblem problem, const std::string& subject);

} // namespace vireta::detail
