#pragma once

#include "server/common/result.h"

#include "proto/appserver.pb.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace appserver {

namespace pb = ate::appserver::v1;

// Reads and checks the late-bound arguments of one call. Every refusal is a
// Portuguese message naming the method, the argument's position and what it
// stands for.
class Arguments
{
public:
    Arguments(std::string_view method,
              const google::protobuf::RepeatedPtrField<pb::Argument> &args);

    const std::string &method() const { return m_method; }
    int count() const { return m_args.size(); }
    const google::protobuf::RepeatedPtrField<pb::Argument> &values() const { return m_args; }
    Status expectCount(int expected) const;

    // A text of at most `maxChars` characters, trailing blanks removed (a
    // fixed-width code may arrive padded). Null reads as empty, as the
    // fields of an empty record set do. Control characters are refused.
    Result<std::string> text(int index, std::string_view label, std::size_t maxChars) const;

    // A civil date-time in milliseconds. Null reads as the zero date-time.
    Result<std::int64_t> dateTime(int index, std::string_view label) const;

private:
    Error refuse(int index, std::string_view label, std::string_view what) const;

    std::string m_method;
    const google::protobuf::RepeatedPtrField<pb::Argument> &m_args;
};

constexpr std::size_t kMaxAirlineCodes = 200;

// The list the host's list picker builds: CDCIA codes joined by "," with no
// spaces or quotes, each 1 to 4 characters from A-Z and 0-9, at most 200
// codes. An empty text is an empty list. Repeated codes count once.
Result<std::vector<std::string>> parseAirlineList(std::string_view text);

} // namespace appserver
