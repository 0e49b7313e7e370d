#include "history/config.h"

#include "history/text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

namespace history {

namespace {

const char* variable(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

using Params = std::map<std::string, std::string>;

// "key=value key='quoted \' value'" as libpq reads it.
std::optional<std::string> parseKeywords(std::string_view text, Params& params)
{
    std::size_t i = 0;
    const auto skip = [&] {
        while (i < text.size() && isSpace(text[i]))
            ++i;
    };
    for (skip(); i < text.size(); skip()) {
        std::string key;
        while (i < text.size() && text[i] != '=' && !isSpace(text[i]))
            key += text[i++];
        skip();
        if (key.empty() || i >= text.size() || text[i] != '=')
            return "после \"" + key + "\" нет \"=\"";
        ++i;
        skip();
        std::string value;
        if (i < text.size() && text[i] == '\'') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    value += text[i + 1];
                    i += 2;
                } else if (text[i] == '\'') {
                    ++i;
                    closed = true;
                    break;
                } else {
                    value += text[i++];
                }
            }
            if (!closed)
                return "у значения \"" + key + "\" нет закрывающей кавычки";
        } else {
            while (i < text.size() && !isSpace(text[i])) {
                if (text[i] == '\\' && i + 1 < text.size())
                    ++i;
                value += text[i++];
            }
        }
        params[key] = value;
    }
    return std::nullopt;
}

std::optional<std::string> percentDecode(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
            return std::nullopt;
        out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
        i += 2;
    }
    return out;
}

// postgresql://[user[:password]@][host][:port][/dbname][?key=value&...]
std::optional<std::string> parseUrl(std::string_view text, Params& params)
{
    text.remove_prefix(text.find("://") + 3);
    const std::size_t authorityEnd = text.find_first_of("/?");
    std::string_view authority = text.substr(0, authorityEnd);
    std::string_view rest = authorityEnd == std::string_view::npos ? std::string_view() : text.substr(authorityEnd);
    const auto put = [&](const std::string& key, std::string_view raw) -> std::optional<std::string> {
        const auto decoded = percentDecode(raw);
        if (!decoded)
            return "неверная %-последовательность в \"" + std::string(raw) + "\"";
        if (!decoded->empty())
            params[key] = *decoded;
        return std::nullopt;
    };
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view userinfo = authority.substr(0, at);
        const std::size_t colon = userinfo.find(':');
        if (auto e = put("user", userinfo.substr(0, colon)))
            return e;
        if (colon != std::string_view::npos)
            if (auto e = put("password", userinfo.substr(colon + 1)))
                return e;
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority, port;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return "нет \"]\" после адреса IPv6";
        host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':')
                return "лишнее после адреса IPv6";
            port = authority.substr(close + 2);
        }
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (auto e = put("host", host))
        return e;
    if (auto e = put("port", port))
        return e;
    if (rest.starts_with('/')) {
        const std::size_t q = rest.find('?');
        if (auto e = put("dbname", rest.substr(1, q == std::string_view::npos ? q : q - 1)))
            return e;
        rest = q == std::string_view::npos ? std::string_view() : rest.substr(q);
    }
    if (rest.starts_with('?')) {
        rest.remove_prefix(1);
        while (!rest.empty()) {
            const std::size_t amp = rest.find('&');
            const std::string_view pair = rest.substr(0, amp);
            const std::size_t eq = pair.find('=');
            if (eq == std::string_view::npos || eq == 0)
                return "параметр \"" + std::string(pair) + "\" без \"=\"";
            const auto key = percentDecode(pair.substr(0, eq));
            if (!key)
                return "неверная %-последовательность в \"" + std::string(pair) + "\"";
            if (auto e = put(*key, pair.substr(eq + 1)))
                return e;
            rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        }
    }
    return std::nullopt;
}

std::string quoted(const std::string& value)
{
    std::string out = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

} // namespace

Result<ServerConfig> parseServer(std::string_view text)
{
    Params params;
    const bool url = text.starts_with("postgresql://") || text.starts_with("postgres://");
    if (auto why = url ? parseUrl(text, params) : parseKeywords(text, params))
        return {Status::failure(Code::Config, std::string(kServerVariable) + ": не разобрать строку подключения: " + *why)};

    ServerConfig server;
    const auto take = [&](const char* key, std::string& into) {
        if (auto it = params.find(key); it != params.end()) {
            into = it->second;
            params.erase(it);
        }
    };
    take("host", server.host);
    take("dbname", server.database);
    take("user", server.user);
    take("password", server.password);
    std::string port;
    take("port", port);
    if (!port.empty()) {
        const auto p = parseInteger(port);
        if (!p || *p < 1 || *p > 65535)
            return {Status::failure(Code::Config, std::string(kServerVariable) + ": неверный порт \"" + port + "\"")};
        server.port = static_cast<int>(*p);
    }
    if (!params.count("connect_timeout"))
        params["connect_timeout"] = std::to_string(kDefaultConnectTimeoutSeconds);
    for (const auto& [key, value] : params) {
        // Qt's driver turns ';' into the blank between parameters.
        if (value.find(';') != std::string::npos)
            return {Status::failure(Code::Config,
                                    std::string(kServerVariable) + ": значение \"" + key + "\" содержит \";\"")};
        server.options += (server.options.empty() ? "" : ";") + key + "=" + quoted(value);
    }
    return {{}, server};
}

std::string connectionString(const ServerConfig& server)
{
    std::string text;
    const auto put = [&](const char* key, const std::string& value) {
        if (!value.empty())
            text += (text.empty() ? "" : " ") + std::string(key) + "=" + quoted(value);
    };
    put("host", server.host);
    put("port", server.port > 0 ? std::to_string(server.port) : std::string());
    put("dbname", server.database);
    put("user", server.user);
    put("password", server.password);
    // The options are already "key='value'" pairs, joined by ';' for Qt's driver.
    std::string options = server.options;
    std::replace(options.begin(), options.end(), ';', ' ');
    if (!options.empty())
        text += (text.empty() ? "" : " ") + options;
    return text;
}

std::string serverLabel(const ServerConfig& server)
{
    std::string label = server.host.empty() ? "localhost" : server.host;
    if (server.port > 0)
        label += ":" + std::to_string(server.port);
    if (!server.database.empty())
        label += "/" + server.database;
    return label;
}

Result<Config> configFromEnvironment()
{
    Result<Config> result;
    Config& config = result.value;
    if (const char* file = variable(kFileVariable)) {
        config.localFile = file;
    } else if (const char* xdg = variable("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        config.localFile = std::string(xdg) + "/ksil2/history.sqlite";
    } else if (const char* home = variable("HOME")) {
        config.localFile = std::string(home) + "/.local/share/ksil2/history.sqlite";
    } else {
        result.status = Status::failure(Code::Config, std::string("История: не задан ни ") + kFileVariable +
                                                          ", ни XDG_DATA_HOME, ни HOME");
    }
    if (const char* pg = variable(kServerVariable)) {
        auto server = parseServer(pg);
        if (server.ok())
            config.server = server.value;
        else if (result.status.ok())
            result.status = server.status;
    }
    return result;
}

} // namespace history
