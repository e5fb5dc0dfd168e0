#pragma once

#include "proto/appserver.pb.h"
#include "wire/packet_reader.h"

#include <grpcpp/channel.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace appserver::testing {

namespace pb = ate::appserver::v1;

pb::Argument textArg(const std::string &value, bool byReference = false);
pb::Argument dateArg(std::int64_t msecs, bool byReference = false);
pb::Argument numberArg(double value);
pb::Argument nullArg();

pb::CallRequest request(const std::string &method, const std::vector<pb::Argument> &args,
                        const std::string &module = "Ate25400.rdmPosFDiPlav");

// The values of one string column, by field name ("<null>" for nulls).
std::vector<std::string> texts(const pb::DataPacket &packet, const std::string &field);

// The names of the packet's fields, in order.
std::vector<std::string> fieldNames(const pb::DataPacket &packet);

// grpc.health.v1.Health/Check with an empty service name: "SERVING", or
// what came instead.
std::string healthCheck(const std::shared_ptr<grpc::Channel> &channel);

// What a log written to a temporary file holds; closes the file.
std::string readAndClose(std::FILE *file);

} // namespace appserver::testing
