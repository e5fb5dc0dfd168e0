#include "server/transport/call_handler.h"

#include <chrono>
#include <future>

namespace appserver {
namespace {

// Compares without stopping at the first difference, so the time taken
// tells nothing about the token.
bool sameSecret(std::string_view a, std::string_view b)
{
    unsigned char diff = a.size() == b.size() ? 0 : 1;
    const std::size_t n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
        const unsigned char y = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
        diff |= static_cast<unsigned char>(x ^ y);
    }
    return diff == 0;
}

void echoByReference(const pb::CallRequest &request, OutgoingReply *reply)
{
    for (const pb::Argument &argument : request.arguments()) {
        if (argument.by_reference())
            *reply->addByReference() = argument.value();
    }
}

// Client texts go into the log only when short and printable.
std::string_view loggableName(std::string_view name)
{
    if (name.size() > 64)
        return "(nome longo)";
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return "(nome inválido)";
    }
    return name;
}

// Stands in for the database while a method checks its arguments on the
// thread that received the call: the first statement it is asked for ends
// that run, and the method runs again on a real connection of the pool.
// So refused arguments never wait for the database, and the methods need
// no separate checking step.
class NoDatabaseYet final : public Connection
{
public:
    explicit NoDatabaseYet(Dialect dialect)
        : m_dialect(dialect)
    {
    }

    bool needed() const { return m_needed; }

    Dialect dialect() const override { return m_dialect; }
    Result<Statement *> prepare(std::string_view) override { return need(); }
    Status execute(std::string_view) override { return need(); }
    bool isUsable() override { return true; }
    std::string describe() const override { return "no database yet"; }
    const std::string &identity() const override { return m_identity; }
    bool reachesDatabase() const override { return false; }

private:
    Error need()
    {
        m_needed = true;
        return Error{{}, "the method needs the database"};
    }

    Dialect m_dialect;
    const std::string m_identity;
    bool m_needed = false;
};

Result<std::uint32_t> runGuarded(const RemoteMethod &method, Connection &connection,
                                 const Arguments &arguments, ReplyPacket *packet)
{
    try {
        return method.run(connection, arguments, packet);
    } catch (const std::exception &e) {
        return Error{"Erro interno do servidor de aplicação.", e.what()};
    }
}

std::chrono::steady_clock::time_point databaseDeadline(
    std::chrono::system_clock::time_point callDeadline)
{
    using namespace std::chrono;
    const auto now = steady_clock::now();
    // Without a deadline from the caller the database still gets a bound.
    constexpr auto kLongest = seconds(30);
    const auto systemNow = system_clock::now();
    if (callDeadline - systemNow > kLongest)
        return now + kLongest;
    const auto left = duration_cast<milliseconds>(callDeadline - systemNow);
    const auto margin = std::min<milliseconds>(milliseconds(200), left / 5);
    return now + (left - margin);
}

} // namespace

CallHandler::CallHandler(ConnectionPool &pool, CallLog &log, std::string token)
    : m_pool(pool)
    , m_log(log)
    , m_token(std::move(token))
{
}

void CallHandler::addModule(RemoteDataModule module)
{
    m_modules.push_back(std::move(module));
}

Status CallHandler::openConnections()
{
    return m_pool.open();
}

bool CallHandler::authorized(std::string_view authorization) const
{
    if (m_token.empty())
        return true;
    // The scheme's name is case-insensitive; blanks separate it from the
    // token.
    const auto blank = authorization.find_first_of(" \t");
    if (blank == std::string_view::npos
        || !sameNameIgnoringCase(authorization.substr(0, blank), "Bearer"))
        return false;
    std::string_view credentials = authorization.substr(blank);
    credentials.remove_prefix(std::min(credentials.size(), credentials.find_first_not_of(" \t")));
    return sameSecret(credentials, m_token);
}

Result<const RemoteMethod *> CallHandler::find(const pb::CallRequest &request) const
{
    const RemoteDataModule *module = nullptr;
    for (const RemoteDataModule &candidate : m_modules) {
        if (sameNameIgnoringCase(candidate.name, request.module()))
            module = &candidate;
    }
    if (!module) {
        return Error{"Módulo remoto \"" + std::string(loggableName(request.module()))
                         + "\" não existe no servidor de aplicação.",
                     {}};
    }
    const RemoteMethod *method = module->find(request.method());
    if (!method) {
        return Error{"O método \"" + std::string(loggableName(request.method()))
                         + "\" não existe no módulo " + std::string(module->name) + ".",
                     {}};
    }
    return method;
}

Result<std::uint32_t> CallHandler::runOnDatabase(ConnectionPool::Lease &lease,
                                                 const RemoteMethod &method,
                                                 const pb::CallRequest &request,
                                                 ReplyPacket *packet,
                                                 std::chrono::steady_clock::time_point deadline)
{
    // Work that waited for a connection until its deadline is not started.
    if (std::chrono::steady_clock::now() >= deadline)
        return deadlineError("no database connection free before the call's deadline");
    Result<Connection *> connection = lease.connection(deadline);
    if (!connection)
        return connection.error();
    const Arguments arguments(method.name, request.arguments());
    (*connection)->setDeadline(deadline);
    Result<std::uint32_t> rows = runGuarded(method, **connection, arguments, packet);
    // Every method only reads: one that failed because its connection broke
    // (the database restarted under it) runs again once on a new one.
    if (!rows && !(*connection)->isUsable() && std::chrono::steady_clock::now() < deadline) {
        connection = lease.connection(deadline);
        if (!connection)
            return connection.error();
        packet->clear();
        (*connection)->setDeadline(deadline);
        rows = runGuarded(method, **connection, arguments, packet);
    }
    return rows;
}

grpc::Status CallHandler::complete(const pb::CallRequest &request, OutgoingReply *reply,
                                   Result<std::uint32_t> rows, CallRecord &record,
                                   std::chrono::steady_clock::time_point started)
{
    echoByReference(request, reply);
    if (rows) {
        record.rows = *rows;
        // Serialises a packet the cache did not bring, once: the bytes sent
        // are the bytes measured.
        record.replyBytes = reply->byteSize();
        if (const std::size_t bytes = record.replyBytes; bytes > m_maxReplyBytes)
            rows = replyTooLarge(record.method, bytes, m_maxReplyBytes);
    }
    if (!rows) {
        reply->fail(rows.error().message);
        record.outcome = CallRecord::Outcome::Failure;
        record.message = rows.error().message;
        record.detail = rows.error().detail;
    }
    record.duration = std::chrono::steady_clock::now() - started;
    return grpc::Status::OK;
}

std::optional<grpc::Status> CallHandler::refusal(std::string_view authorization,
                                                 std::string_view peer,
                                                 std::chrono::steady_clock::time_point started,
                                                 CallRecord &record)
{
    if (m_token.empty())
        return std::nullopt;
    // A peer that has spent its failures is refused before its token is
    // even compared.
    const bool admitted = m_guard.admits(peer, started);
    if (admitted && authorized(authorization))
        return std::nullopt;
    record.outcome = CallRecord::Outcome::Unauthenticated;
    // Rate-limited: a guessing peer must not fill the log.
    const int refusals = m_guard.refused(peer, started);
    record.silent = refusals == 0;
    if (refusals > 1)
        record.detail = std::to_string(refusals) + " refusals since the last line";
    record.duration = std::chrono::steady_clock::now() - started;
    return grpc::Status(grpc::StatusCode::UNAUTHENTICATED,
                        std::string(admitted ? kUnauthenticatedMessage : kThrottledMessage));
}

grpc::Status CallHandler::admitWatcher(std::string_view authorization, std::string_view peer,
                                       CallRecord *record)
{
    record->method = "WatchChanges";
    record->peer = peer;
    std::optional<grpc::Status> refused =
        refusal(authorization, peer, std::chrono::steady_clock::now(), *record);
    if (refused)
        return *refused;
    if (!m_tail)
        return grpc::Status(grpc::StatusCode::UNIMPLEMENTED, "no change feed");
    return grpc::Status::OK;
}

void CallHandler::noteFeed(const RemoteMethod &method, const pb::CallRequest &request,
                           const FeedPosition &at, OutgoingReply *reply) const
{
    if (!at.inStep || !method.scopes || reply->failed())
        return;
    Result<std::vector<std::string>> scopes =
        method.scopes(Arguments(method.name, request.arguments()));
    if (scopes)
        reply->setFeed(at.generation, at.instance, std::move(*scopes));
}

void CallHandler::handle(const pb::CallRequest &request, OutgoingReply *reply,
                         std::string_view authorization, std::string_view peer,
                         std::chrono::system_clock::time_point deadline, CallRecord *record,
                         Done done)
{
    const auto started = std::chrono::steady_clock::now();
    record->module = loggableName(request.module());
    record->method = loggableName(request.method());
    record->peer = peer;

    if (std::optional<grpc::Status> refused = refusal(authorization, peer, started, *record)) {
        done(*refused);
        return;
    }

    Result<const RemoteMethod *> method = find(request);
    if (!method) {
        done(complete(request, reply, method.error(), *record, started));
        return;
    }
    record->method = std::string((*method)->name);
    // Where the feed stood before the database is read: the reply is at
    // least that new.
    const FeedPosition before = m_tail ? m_tail->position() : FeedPosition{};
    NoDatabaseYet probe(m_pool.databaseTarget().dialect);
    Result<std::uint32_t> checked = runGuarded(
        **method, probe, Arguments((*method)->name, request.arguments()), &reply->packet());
    if (!probe.needed()) {
        grpc::Status status = complete(request, reply, std::move(checked), *record, started);
        noteFeed(**method, request, before, reply);
        done(status);
        return;
    }
    reply->packet().clear();
    // One of the two runs: the work with a connection, or the answer at the
    // deadline when no connection came free by then.
    auto answer = std::make_shared<Done>(std::move(done));
    const auto dbDeadline = databaseDeadline(deadline);
    m_pool.submit(
        [this, &request, reply, record, started, method = *method, dbDeadline,
         answer](ConnectionPool::Lease &lease) {
            const FeedPosition at = m_tail ? m_tail->position() : FeedPosition{};
            Result<std::uint32_t> rows =
                runOnDatabase(lease, *method, request, &reply->packet(), dbDeadline);
            grpc::Status status = complete(request, reply, std::move(rows), *record, started);
            noteFeed(*method, request, at, reply);
            (*answer)(status);
        },
        dbDeadline,
        [this, &request, reply, record, started, answer] {
            (*answer)(complete(request, reply,
                               deadlineError("no database connection free before the call's "
                                             "deadline"),
                               *record, started));
        });
}

grpc::Status CallHandler::handle(const pb::CallRequest &request, pb::CallReply *reply,
                                 std::string_view authorization, std::string_view peer,
                                 std::chrono::system_clock::time_point deadline,
                                 CallRecord *deferred)
{
    CallRecord local;
    CallRecord &record = deferred ? *deferred : local;
    OutgoingReply outgoing;
    std::promise<grpc::Status> answered;
    handle(request, &outgoing, authorization, peer, deadline, &record,
           [&](grpc::Status status) { answered.set_value(std::move(status)); });
    grpc::Status status = answered.get_future().get();
    if (!deferred)
        m_log.call(record);
    reply->Clear();
    if (status.ok() && !reply->ParseFromString(outgoing.serialise()))
        return grpc::Status(grpc::StatusCode::INTERNAL, "the reply does not parse");
    return status;
}

} // namespace appserver
