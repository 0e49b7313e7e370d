// Sets the process's local time zone (the TZ variable) for one test and
// restores the previous one afterwards.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

class TimeZone {
public:
    explicit TimeZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        had_ = std::getenv("TZ") != nullptr;
        set(tz);
    }
    ~TimeZone() { set(had_ ? old_.c_str() : nullptr); }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    static void set(const char* tz)
    {
#if defined(_WIN32)
        _putenv_s("TZ", tz ? tz : "");
        _tzset();
#else
        if (tz)
            setenv("TZ", tz, 1);
        else
            unsetenv("TZ");
        tzset();
#endif
    }
    std::string old_;
    bool had_ = false;
};
