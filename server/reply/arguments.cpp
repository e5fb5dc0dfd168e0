#include "server/reply/arguments.h"

#include "wire/civil_datetime.h"

#include <algorithm>

namespace appserver {
namespace {

std::size_t utf8Length(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool hasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

bool isCodeCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// What a refused code looks like in a message: short, and only printable.
std::string quoteForMessage(std::string_view code)
{
    std::string shown;
    for (char c : code.substr(0, 8))
        shown += hasControlCharacter(std::string_view(&c, 1)) ? '?' : c;
    if (code.size() > 8)
        shown += "...";
    return "\"" + shown + "\"";
}

} // namespace

Arguments::Arguments(std::string_view method,
                     const google::protobuf::RepeatedPtrField<pb::Argument> &args)
    : m_method(method)
    , m_args(args)
{
}

Status Arguments::expectCount(int expected) const
{
    if (count() == expected)
        return success();
    return Error{"O método " + m_method + " espera " + std::to_string(expected)
                     + " argumentos e recebeu " + std::to_string(count()) + ".",
                 {}};
}

Error Arguments::refuse(int index, std::string_view label, std::string_view what) const
{
    return Error{"O argumento " + std::to_string(index + 1) + " (" + std::string(label)
                     + ") do método " + m_method + " " + std::string(what) + ".",
                 {}};
}

Result<std::string> Arguments::text(int index, std::string_view label, std::size_t maxChars) const
{
    const pb::Value &value = m_args.Get(index).value();
    if (value.kind_case() == pb::Value::KIND_NOT_SET)
        return std::string();
    if (value.kind_case() != pb::Value::kText)
        return refuse(index, label, "deve ser um texto");
    std::string_view text = value.text();
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (utf8Length(text) > maxChars)
        return refuse(index, label, "tem mais de " + std::to_string(maxChars) + " caracteres");
    if (hasControlCharacter(text))
        return refuse(index, label, "contém caracteres inválidos");
    return std::string(text);
}

Result<std::int64_t> Arguments::dateTime(int index, std::string_view label) const
{
    const pb::Value &value = m_args.Get(index).value();
    if (value.kind_case() == pb::Value::KIND_NOT_SET)
        return std::int64_t{0};
    if (value.kind_case() != pb::Value::kDateTime)
        return refuse(index, label, "deve ser uma data");
    static const std::int64_t first = *wire::toMsecs({1, 1, 1, 0, 0, 0, 0});
    static const std::int64_t last = *wire::toMsecs({9999, 12, 31, 23, 59, 59, 999});
    const std::int64_t msecs = value.date_time().msecs();
    if (msecs < first || msecs > last)
        return refuse(index, label, "não é uma data válida");
    return msecs;
}

Result<std::vector<std::string>> parseAirlineList(std::string_view text)
{
    std::vector<std::string> codes;
    if (text.empty())
        return codes;
    // 200 codes of 4 characters and their commas; longer cannot be valid.
    constexpr std::size_t maxLength = kMaxAirlineCodes * 5 - 1;
    if (text.size() > maxLength) {
        return Error{"Lista de companhias inválida: mais de " + std::to_string(kMaxAirlineCodes)
                         + " códigos ou texto longo demais.",
                     {}};
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view code = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (code.empty())
            return Error{"Lista de companhias inválida: há um código vazio.", {}};
        if (code.size() > 4 || !std::all_of(code.begin(), code.end(), isCodeCharacter)) {
            return Error{
                "Lista de companhias inválida: o código " + quoteForMessage(code)
                    + " deve ter de 1 a 4 letras maiúsculas ou dígitos, sem espaços nem aspas.",
                {}};
        }
        if (codes.size() == kMaxAirlineCodes) {
            return Error{"Lista de companhias inválida: mais de " + std::to_string(kMaxAirlineCodes)
                             + " códigos.",
                         {}};
        }
        codes.emplace_back(code);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    return codes;
}

} // namespace appserver
