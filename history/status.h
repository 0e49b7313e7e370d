// What every history call answers: success, or what went wrong in one line
// the operator can read. Nothing of the history throws across its calls.
#pragma once

#include <string>
#include <utility>

namespace history {

enum class Code {
    Ok,
    Config,          // a variable names something unusable
    NotDatabase,     // the file is not a database (or is damaged)
    ReadOnly,        // the file or the server refuses writing
    DiskFull,
    NewerSchema,     // written by a newer program; left as it is
    Foreign,         // a database that is not a history
    Unreachable,     // the server does not answer
    Credentials,     // the server refuses the user or the password
    NotFound,        // no such run
    Failed,          // anything else the database reports
};

struct Status {
    Code code = Code::Ok;
    std::string message; // one line, empty on success

    bool ok() const { return code == Code::Ok; }
    static Status failure(Code c, std::string text) { return {c, std::move(text)}; }
};

template <typename T>
struct Result {
    Status status;
    T value{};

    bool ok() const { return status.ok(); }
};

} // namespace history
