#include "call_helpers.h"

#include <gtest/gtest.h>

namespace appserver::testing {

pb::Argument textArg(const std::string &value, bool byReference)
{
    pb::Argument arg;
    arg.mutable_value()->set_text(value);
    arg.set_by_reference(byReference);
    return arg;
}

pb::Argument dateArg(std::int64_t msecs, bool byReference)
{
    pb::Argument arg;
    arg.mutable_value()->mutable_date_time()->set_msecs(msecs);
    arg.set_by_reference(byReference);
    return arg;
}

pb::Argument numberArg(double value)
{
    pb::Argument arg;
    arg.mutable_value()->set_number(value);
    return arg;
}

pb::Argument nullArg()
{
    pb::Argument arg;
    arg.mutable_value();
    return arg;
}

pb::CallRequest request(const std::string &method, const std::vector<pb::Argument> &args,
                        const std::string &module)
{
    pb::CallRequest request;
    request.set_module(module);
    request.set_method(method);
    for (const pb::Argument &arg : args) *request.add_arguments() = arg;
    return request;
}

std::vector<std::string> texts(const pb::DataPacket &packet, const std::string &field)
{
    wire::PacketReader reader(packet);
    EXPECT_TRUE(reader.ok()) << reader.error();
    const int column = reader.fieldIndex(field);
    EXPECT_GE(column, 0) << field;
    std::vector<std::string> out;
    if (column < 0 || !reader.ok())
        return out;
    for (std::uint32_t r = 0; r < reader.rowCount(); ++r)
        out.push_back(reader.isNull(column, r) ? "<null>" : std::string(reader.text(column, r)));
    return out;
}

std::vector<std::string> fieldNames(const pb::DataPacket &packet)
{
    std::vector<std::string> names;
    for (const auto &field : packet.fields()) names.push_back(field.name());
    return names;
}

}  // namespace appserver::testing
