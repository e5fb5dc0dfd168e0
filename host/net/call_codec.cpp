#include "host/net/call_codec.h"

#include "host/net/wire_values.h"
#include "proto/appserver.grpc.pb.h"

#include <QCoreApplication>

#include <algorithm>

namespace host {

namespace pb = ate::appserver::v1;

namespace {

void readFeedTag(const pb::CallReply &answer, std::size_t bytes, FeedTag *tag)
{
    tag->generation = answer.generation();
    tag->instance = answer.instance();
    tag->scopes.assign(answer.scopes().begin(), answer.scopes().end());
    tag->bytes = bytes;
}

} // namespace

const std::string &callMethodPath()
{
    static const std::string path = "/" + std::string(pb::AppServer::service_full_name()) + "/Call";
    return path;
}

std::optional<pb::CallRequest> encodeCall(const QString &module, const QString &method,
                                          const std::vector<ServerArg> &arguments,
                                          ServerReply *failed)
{
    pb::CallRequest request;
    request.set_module(module.toStdString());
    request.set_method(method.toStdString());
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        pb::Argument *argument = request.add_arguments();
        argument->set_by_reference(arguments[i].byReference());
        if (!toWireValue(arguments[i].value(), argument->mutable_value())) {
            *failed = ServerReply::failure(
                ServerReply::Status::InvalidArgument,
                QCoreApplication::translate(
                    "TNetConnection",
                    "O argumento %1 de %2 tem um valor que não pode ser enviado ao "
                    "servidor de aplicação.")
                    .arg(i + 1)
                    .arg(method));
            return std::nullopt;
        }
    }
    return request;
}

QString transportReason(const grpc::Status &status)
{
    switch (status.error_code()) {
    case grpc::StatusCode::UNAVAILABLE:
        return QCoreApplication::translate("TNetConnection", "servidor indisponível");
    case grpc::StatusCode::DEADLINE_EXCEEDED:
        return QCoreApplication::translate("TNetConnection", "tempo de resposta esgotado");
    case grpc::StatusCode::UNAUTHENTICATED:
        return QCoreApplication::translate("TNetConnection", "acesso não autenticado");
    case grpc::StatusCode::PERMISSION_DENIED:
        return QCoreApplication::translate("TNetConnection", "acesso negado");
    case grpc::StatusCode::RESOURCE_EXHAUSTED:
        return QCoreApplication::translate("TNetConnection", "limite de recursos excedido: %1")
            .arg(QString::fromStdString(status.error_message()));
    case grpc::StatusCode::UNIMPLEMENTED:
        return QCoreApplication::translate("TNetConnection",
                                           "serviço desconhecido por este servidor");
    default:
        return QCoreApplication::translate("TNetConnection", "erro %1: %2")
            .arg(static_cast<int>(status.error_code()))
            .arg(QString::fromStdString(status.error_message()));
    }
}

ServerReply decodeReply(const pb::CallRequest &request, const QString &method,
                        const std::vector<ServerArg> &arguments, const grpc::ByteBuffer &received,
                        ReplyMemo &memo, const QString &address, FeedTag *tag)
{
    const auto invalid = [&](const QString &why) {
        return ServerReply::failure(
            ServerReply::Status::InvalidReply,
            QCoreApplication::translate(
                "TNetConnection",
                "O servidor de aplicação %1 enviou uma resposta inválida para %2 (%3).")
                .arg(address, method, why));
    };
    std::string requestKey;
    request.SerializeToString(&requestKey);
    ReplyMemo::Reply decoded;
    const ReplyMemo::Reply *reply = memo.find(requestKey, received);
    if (!reply) {
        std::string bytes = flatten(received);
        pb::CallReply &answer = decoded.message;
        if (!answer.ParseFromString(bytes))
            return invalid(QCoreApplication::translate("TNetConnection", "resposta ilegível"));
        switch (answer.result_case()) {
        case pb::CallReply::kFailure: {
            QString message = QString::fromStdString(answer.failure().message());
            if (message.trimmed().isEmpty())
                message = QCoreApplication::translate(
                              "TNetConnection",
                              "O servidor de aplicação %1 recusou %2 sem dizer o motivo.")
                              .arg(address, method);
            return ServerReply::failure(ServerReply::Status::ServerFailure, message);
        }
        case pb::CallReply::kPacket:
            break;
        default:
            return invalid(
                QCoreApplication::translate("TNetConnection", "sem pacote de dados nem falha"));
        }
        QString error;
        std::optional<platform::DataPacket> packet =
            toDataPacket(std::move(*answer.mutable_packet()), &error);
        if (!packet)
            return invalid(error);
        answer.clear_packet();
        decoded.packet = std::move(*packet);
        reply = memo.keep(std::move(requestKey), std::move(bytes), std::move(decoded));
        if (!reply)
            reply = &decoded; // too large to keep
    }
    const pb::CallReply &answer = reply->message;

    const auto byReference = static_cast<int>(
        std::count_if(arguments.begin(), arguments.end(),
                      [](const ServerArg &argument) { return argument.byReference(); }));
    if (answer.by_reference_size() != byReference)
        return invalid(QCoreApplication::translate("TNetConnection",
                                                   "%1 valores por referência, eram esperados %2")
                           .arg(answer.by_reference_size())
                           .arg(byReference));

    // Check every written-back value before storing any, so that a bad
    // reply leaves all of the caller's variables as they were.
    std::vector<std::pair<const ServerArg *, QVariant>> writes;
    for (const ServerArg &argument : arguments) {
        if (!argument.byReference())
            continue;
        QVariant value = fromWireValue(answer.by_reference(static_cast<int>(writes.size())));
        if (!argument.accepts(value))
            return invalid(
                QCoreApplication::translate("TNetConnection",
                                            "valor devolvido no argumento %1 de tipo incompatível")
                    .arg(&argument - arguments.data() + 1));
        writes.emplace_back(&argument, std::move(value));
    }
    for (const auto &[argument, value] : writes)
        argument->writeBack(value);
    if (tag)
        readFeedTag(answer, received.Length(), tag);
    if (reply == &decoded)
        return ServerReply::success(std::move(decoded.packet));
    return ServerReply::success(platform::DataPacket(reply->packet));
}

std::optional<platform::DataPacket> decodePacket(const grpc::ByteBuffer &received, FeedTag *tag)
{
    pb::CallReply answer;
    if (!answer.ParseFromString(flatten(received)) || !answer.has_packet()
        || answer.by_reference_size() > 0)
        return std::nullopt;
    QString error;
    std::optional<platform::DataPacket> packet =
        toDataPacket(std::move(*answer.mutable_packet()), &error);
    readFeedTag(answer, received.Length(), tag);
    return packet;
}

} // namespace host
