#include "server/tests/call_helpers.h"

#include <gtest/gtest.h>

#include <grpcpp/generic/generic_stub.h>
#include <grpcpp/grpcpp.h>

#include <future>

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
    for (const pb::Argument &arg : args)
        *request.add_arguments() = arg;
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
    for (const auto &field : packet.fields())
        names.push_back(field.name());
    return names;
}

std::string healthCheck(const std::shared_ptr<grpc::Channel> &channel)
{
    grpc::GenericStub stub(channel);
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(5));
    // An empty HealthCheckRequest; a default ByteBuffer would be no message.
    grpc::Slice nothing(std::string{});
    grpc::ByteBuffer request(&nothing, 1);
    grpc::ByteBuffer response;
    std::promise<grpc::Status> done;
    stub.UnaryCall(&context, "/grpc.health.v1.Health/Check", grpc::StubOptions(), &request,
                   &response, [&](grpc::Status status) { done.set_value(status); });
    const grpc::Status status = done.get_future().get();
    if (!status.ok())
        return "error: " + status.error_message();
    std::vector<grpc::Slice> slices;
    (void)response.Dump(&slices);
    std::string bytes;
    for (const grpc::Slice &s : slices)
        bytes.append(reinterpret_cast<const char *>(s.begin()), s.size());
    return bytes == std::string("\x08\x01", 2) ? "SERVING" : "other";
}

std::string readAndClose(std::FILE *file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text(1 << 16, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

} // namespace appserver::testing
