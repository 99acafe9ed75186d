#include "classroom/messages.h"

#include "model/question.h"
#include "model/quiz.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace vireta::classroom {
namespace {

using nlohmann::json;

// The string field `name` of `object`, or nullopt when it is absent or no string.
std::optional<std::string> stringField(const json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end() || !it->is_string())
        return std::nullopt;
    return it->get<std::string>();
}

bool readAnswer(const json& object, ClientMessage& message) {
    const auto q = object.find("q");
    if (q == object.end() || !q->is_number_integer())
        return false;
    const auto number = q->get<long long>();
    if (number < 1 || number > kQuestionCapacity)
        return false;
    message.question = static_cast<int>(number);
    message.text = stringField(object, "text");
    const auto pick = object.find("pick");
    if ((pick != object.end()) == message.text.has_value())
        return false; // one of the two, never both
    if (message.text)
        return true;
    if (!pick->is_array() || pick->size() > kAnswerCount)
        return false;
    for (const json& p : *pick) {
        if (!p.is_number_integer())
            return false;
        const auto position = p.get<long long>();
        if (position < 0 || position >= kAnswerCount)
            return false;
        const int n = static_cast<int>(position);
        if (std::find(message.pick.begin(), message.pick.end(), n) != message.pick.end())
            return false;
        message.pick.push_back(n);
    }
    return true;
}

} // namespace

std::optional<ClientMessage> parseClientMessage(std::string_view text) {
    if (text.size() > kMostMessageBytes)
        return std::nullopt;
    const json object = json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
    if (!object.is_object())
        return std::nullopt;
    const std::optional<std::string> type = stringField(object, "t");
    if (!type)
        return std::nullopt;

    using Type = ClientMessage::Type;
    ClientMessage message;
    if (*type == "answer") {
        message.type = Type::Answer;
        if (!readAnswer(object, message))
            return std::nullopt;
        return message;
    }
    // The other types, with their fields: all strings.
    struct Field {
        const char* name;
        std::string ClientMessage::*member;
    };
    static const struct {
        const char* name;
        Type type;
        Field fields[2];
    } kTypes[] = {
        {"join", Type::Join, {{"code", &ClientMessage::code}, {"name", &ClientMessage::name}}},
        {"resume", Type::Resume, {{"token", &ClientMessage::token}, {}}},
        {"presenter", Type::Presenter, {{"key", &ClientMessage::key}, {}}},
        {"start", Type::Start, {}},
        {"close", Type::Close, {}},
        {"next", Type::Next, {}},
        {"end", Type::End, {}},
    };
    for (const auto& t : kTypes) {
        if (*type != t.name)
            continue;
        message.type = t.type;
        for (const Field& f : t.fields) {
            if (!f.name)
                continue;
            std::optional<std::string> value = stringField(object, f.name);
            if (!value)
                return std::nullopt;
            message.*f.member = std::move(*value);
        }
        return message;
    }
    return std::nullopt;
}

} // namespace vireta::classroom
