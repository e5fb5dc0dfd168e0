#pragma once

#include <string>
#include <utility>
#include <variant>

namespace appserver {

// A failure inside the server. `message` is for the user (Portuguese) and
// travels in the reply; `detail` is for the log only, so database texts and
// SQL never reach the client.
struct Error
{
    std::string message;
    std::string detail;
};

// Value or error; the server returns errors as values and never throws
// across a call.
template<typename T> class [[nodiscard]] Result
{
public:
    Result(T value)
        : m_data(std::in_place_index<0>, std::move(value))
    {
    }
    Result(Error error)
        : m_data(std::in_place_index<1>, std::move(error))
    {
    }

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    T &value() { return std::get<0>(m_data); }
    const T &value() const { return std::get<0>(m_data); }
    T &operator*() { return value(); }
    T *operator->() { return &value(); }

    const Error &error() const { return std::get<1>(m_data); }

private:
    std::variant<T, Error> m_data;
};

struct Ok
{
};

using Status = Result<Ok>;

inline Status success()
{
    return Ok{};
}

// The user-facing text for anything the database layer refused.
inline Error databaseError(std::string detail)
{
    return Error{"Erro ao consultar o banco de dados do servidor de aplicação.", std::move(detail)};
}

// A statement stopped at the call's deadline: the database is slow or hangs.
inline Error deadlineError(std::string detail)
{
    return Error{"O banco de dados do servidor de aplicação não respondeu a tempo; tente de novo "
                 "em alguns instantes.",
                 std::move(detail)};
}

} // namespace appserver
