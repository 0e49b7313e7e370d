#include "history/history.h"

#include "history/database.h"
#include "history/run_store.h"

#include <QSysInfo>
#include <QUuid>

#include <algorithm>

#include <cstdlib>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace history {

namespace {

bool serverAway(const Status& s) { return s.code == Code::Unreachable || s.code == Code::Credentials; }

} // namespace

History::History() : local_(std::make_unique<Database>()), server_(std::make_unique<Database>()) {}

History::~History() = default;

Status History::open()
{
    const auto config = configFromEnvironment();
    const Status s = open(config.value);
    return config.ok() ? s : config.status;
}

Status History::open(const Config& config)
{
    config_ = config;
    create_ = true;
    server_->close();
    return openLocal(true);
}

Status History::openToRead(const Config& config)
{
    config_ = config;
    create_ = false;
    server_->close();
    if (config_.localFile.empty()) {
        local_->close();
        return {};
    }
    return openLocal(false);
}

Status History::openLocal(bool create)
{
    return local_->openFile(config_.localFile, create);
}

std::string History::where() const
{
    const std::string local = "локальный файл " + config_.localFile;
    if (!config_.server)
        return local;
    return "сервер " + serverLabel(*config_.server) + " (" + local + ")";
}

Status History::connectServer()
{
    if (!config_.server)
        return Status::failure(Code::Config, std::string("Сервер истории не задан (") + kServerVariable + ")");
    if (server_->isOpen())
        return {};
    return server_->openServer(*config_.server);
}

History::StoreResult History::store(const Run& given, bool sendNow)
{
    StoreResult result;
    Run withId;
    const Run* run = &given;
    if (given.id.empty()) {
        withId = given;
        withId.id = newRunId();
        run = &withId;
    }
    result.id = run->id;

    Status local;
    if (!local_->isOpen())
        local = openLocal(true);
    if (local.ok())
        local = insertRun(*local_, *run, hasServer());
    if (!hasServer()) {
        result.status = local;
        return result;
    }

    if (local.ok()) {
        if (!sendNow) {
            const auto n = outboxCount(*local_);
            result.waiting = n.value;
            return result;
        }
        const SendResult sent = sendWaiting();
        result.waiting = sent.waiting;
        result.warning = sent.status.message;
        const auto still = outboxIds(*local_);
        result.onServer = still.ok() && std::find(still.value.begin(), still.value.end(), run->id) == still.value.end();
        if (result.onServer || result.warning.empty())
            return result;
        result.warning = "Запись оставлена в локальном файле и будет отправлена позже: " + result.warning;
        return result;
    }

    // The local file cannot take it: straight to the server.
    Status server = connectServer();
    if (server.ok())
        server = insertRun(*server_, *run, false);
    if (server.ok()) {
        result.onServer = true;
        result.warning = local.message;
        return result;
    }
    result.status = Status::failure(local.code, "Запись истории не сохранена: " + local.message + "; " + server.message);
    return result;
}

History::SendResult History::sendWaiting()
{
    SendResult result;
    if (!hasServer())
        return result;
    if (!local_->isOpen())
        if (Status s = openLocal(create_); !s.ok()) {
            result.status = s;
            return result;
        }
    const auto ids = outboxIds(*local_);
    if (!ids.ok()) {
        result.status = ids.status;
        return result;
    }
    result.waiting = static_cast<int>(ids.value.size());
    if (ids.value.empty())
        return result;

    // A connection left open since the last send may have been dropped by the
    // server meanwhile: then one fresh connection is tried before giving up.
    bool mayReconnect = server_->isOpen();
    Status s = connectServer();
    if (!s.ok()) {
        noteOutboxFailure(*local_, "", s.message);
        result.status = s;
        return result;
    }
    const auto sendOne = [this](const std::string& id) {
        const auto run = readRun(*local_, id);
        return run.ok() ? insertRun(*server_, run.value, false) : run.status;
    };
    for (const std::string& id : ids.value) {
        Status sent = sendOne(id);
        if (!sent.ok() && serverAway(sent) && mayReconnect && connectServer().ok())
            sent = sendOne(id);
        mayReconnect = false;
        if (sent.ok())
            sent = dropFromOutbox(*local_, id);
        if (sent.ok()) {
            ++result.sent;
            continue;
        }
        noteOutboxFailure(*local_, id, sent.message);
        if (result.status.ok())
            result.status = sent;
        // A server that went away takes nothing more now; a run it refused
        // for itself does not hold back the others.
        if (serverAway(sent) || !local_->isOpen())
            break;
    }
    const auto left = outboxCount(*local_);
    result.waiting = left.ok() ? left.value : result.waiting - result.sent;
    return result;
}

Result<int> History::waiting()
{
    if (!local_->isOpen())
        if (Status s = openLocal(create_); !s.ok())
            return {s};
    return outboxCount(*local_);
}

Database* History::reader(Source source, Status* why)
{
    if (source == Source::Primary && hasServer()) {
        *why = connectServer();
        return why->ok() ? server_.get() : nullptr;
    }
    if (!local_->isOpen())
        *why = openLocal(create_);
    return why->ok() ? local_.get() : nullptr;
}

template <typename Ask>
auto History::answer(Source source, Ask ask)
{
    Status why;
    Database* db = reader(source, &why);
    return db ? ask(*db) : decltype(ask(*db)){why};
}

Result<std::vector<RunListEntry>> History::listRuns(const RunFilter& filter, Source source)
{
    return answer(source, [&](Database& db) { return readRuns(db, filter); });
}

Result<Run> History::loadRun(const std::string& idOrPrefix, Source source)
{
    return answer(source, [&](Database& db) -> Result<Run> {
        const auto id = resolveRunId(db, idOrPrefix);
        if (!id.ok())
            return {id.status};
        return readRun(db, id.value);
    });
}

Result<std::vector<RunInfo>> History::listBackups(const ModuleRef& module, Source source)
{
    return answer(source, [&](Database& db) { return readBackups(db, module); });
}

Result<TableValues> History::loadBackup(const std::string& idOrPrefix, Source source)
{
    const auto run = loadRun(idOrPrefix, source);
    if (!run.ok())
        return {run.status};
    const CalTable* asFound = run.value.table(TableRole::AsFound);
    const auto values = asFound ? tableValues(*asFound) : std::nullopt;
    if (!values)
        return {Status::failure(Code::NotFound, "В запуске " + run.value.id + " нет таблицы, прочитанной до записи")};
    return {{}, *values};
}

Result<std::vector<DriftPoint>> History::drift(const DriftQuery& query, Source source)
{
    return answer(source, [&](Database& db) { return readDrift(db, query); });
}

ModuleRef refOf(const ModuleId& module)
{
    return {module.carrierSerial.empty() ? module.carrierResource : module.carrierSerial, module.position};
}

Station thisStation(std::string programVersion, std::string libraryCrc)
{
    Station station;
    station.host = QSysInfo::machineHostName().toStdString();
#ifndef _WIN32
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
        station.user = pw->pw_name;
#endif
    for (const char* name : {"USER", "USERNAME", "LOGNAME"})
        if (station.user.empty())
            if (const char* v = std::getenv(name))
                station.user = v;
    station.programVersion = std::move(programVersion);
    station.libraryCrc = std::move(libraryCrc);
    return station;
}

std::string newRunId() { return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString(); }

} // namespace history
