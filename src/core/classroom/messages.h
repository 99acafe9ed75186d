// What the classroom game's pages send the server: one JSON object per WebSocket
// message, its type in "t". The parser takes exactly the messages the pages send and
// refuses anything else, which closes that client's connection.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vireta::classroom {

// The longest message a page may send, in bytes.
inline constexpr std::size_t kMostMessageBytes = 4096;

struct ClientMessage {
    enum class Type {
        Join,      // {"t":"join","code":"123456","name":"Uxía"}
        Resume,    // {"t":"resume","token":"..."}
        Answer,    // {"t":"answer","q":3,"pick":[0,2]} or {"t":"answer","q":3,"text":"..."}
        Presenter, // {"t":"presenter","key":"..."}
        Start,     // {"t":"start"}
        Close,     // {"t":"close"}
        Next,      // {"t":"next"}
        End,       // {"t":"end"}
    };
    Type type = Type::Join;
    std::string code, name, token, key; // as the type has them
    int question = 0;                   // Answer: the question's number, from 1
    std::vector<int> pick;              // Answer: positions of the answers as sent
    std::optional<std::string> text;    // Answer: a typed answer
};

// The message, or nullopt for anything that is not one: more than kMostMessageBytes,
// no JSON object, an unknown type, a missing field or one of the wrong type, an answer
// with both or neither of "pick" and "text", a position outside 0..3 or given twice.
// Fields a type does not use are ignored.
std::optional<ClientMessage> parseClientMessage(std::string_view text);

} // namespace vireta::classroom
