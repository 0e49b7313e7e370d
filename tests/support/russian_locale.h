// A station set up in Russian, with a decimal comma, so that printf and strtod
// of the C library write and expect "1,5" while it is in force. On Linux the
// ru_RU.UTF-8 locale the build compiles into its own folder (KSIL_LOCALE_DIR),
// reached through LOCPATH; on Windows the system's own Russian locale.
#pragma once

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#if defined(_WIN32)
inline constexpr const char* kRussianLocale = "Russian_Russia.1251";
inline constexpr const char* kNoRussianLocale = "the system does not know the locale Russian_Russia.1251";
#else
inline constexpr const char* kRussianLocale = "ru_RU.UTF-8";
inline constexpr const char* kNoRussianLocale =
    "the ru_RU.UTF-8 locale is missing: the build compiles it with localedef from the Debian package locales "
    "(scripts/setup.sh installs it)";

inline std::string russianLocaleDir()
{
    return KSIL_LOCALE_DIR;
}
#endif

// Makes the C library's locale Russian for this object's life, as the Qt
// run-time does on a Russian station; then back to "C".
class RussianCLocale {
public:
    RussianCLocale()
    {
#if !defined(_WIN32)
        if (const char* old = std::getenv("LOCPATH"))
            savedLocpath_ = old;
        ::setenv("LOCPATH", russianLocaleDir().c_str(), 1);
#endif
        active_ = std::setlocale(LC_ALL, kRussianLocale) != nullptr
                  && std::string(std::localeconv()->decimal_point) == ",";
    }
    ~RussianCLocale()
    {
        std::setlocale(LC_ALL, "C");
#if !defined(_WIN32)
        if (savedLocpath_)
            ::setenv("LOCPATH", savedLocpath_->c_str(), 1);
        else
            ::unsetenv("LOCPATH");
#endif
    }
    RussianCLocale(const RussianCLocale&) = delete;
    RussianCLocale& operator=(const RussianCLocale&) = delete;

    // True when the locale is in force and has its decimal comma.
    bool active() const { return active_; }

private:
#if !defined(_WIN32)
    std::optional<std::string> savedLocpath_;
#endif
    bool active_ = false;
};
