// The simulated bench: the one object that every stand-in driver library
// (libvisa, tvbase_32, tvksil2_32 and the five multimeter families) works on,
// and the C++ API through which tests set it up and look at it.
//
// Quick start for a test:
//
//     sim::reset();                          // forget everything from earlier tests
//     sim::setStateDir(tmpDir);              // module flashes go here
//     ASSERT_TRUE(sim::loadDefault());       // or loadFile(path) / loadJson(text)
//     sim::mezzanine("VXI0::2::INSTR", 1)->channels[0].stage[3] = 8.02;  // edit freely
//     sim::failCall("tvksil2_readFlash", -1, 2);   // first two calls fail with -1
//     ... drive the program or call the stand-ins ...
//     EXPECT_EQ(sim::journal("tvksil2_"), (std::vector<std::string>{ ... }));
//
// Loading. loadDefault / loadFile / loadJson replace the whole bench (and all
// sessions, physical state, journal, call counts and faults). On failure they
// return false, leave no bench loaded and put one line in *error naming the
// source ("built-in bench", the file path or "JSON text") and the problem.
// The stand-ins load lazily on their first call when no bench is loaded: the
// file named by KSIL_BENCH, else the built-in bench. If that fails, or the
// state folder cannot be written, one line on stderr says what is wrong and
// with which file or variable, and the process ends with kExitBenchUnusable:
// a program on a bench it cannot use would only show failures.
//
// Editing. bench() gives the loaded bench (loading it lazily as above) for
// direct edits between driver calls: instruments, mezzanines, channel values,
// meters and their wiring, identification replies, lock behaviour, self-test.
// Sessions refer to instruments by address and position, so edits take effect
// on the next driver call; a removed instrument makes its sessions fail.
//
// Journal. Every call of every stand-in entry point appends one line, in call
// order, before the call does anything (faulted calls are journaled too):
//     name(arg1, arg2, ...)
// Only the input arguments appear, output pointers are left out. Integers in
// decimal, doubles with up to 12 significant digits ("%.12g"), strings in
// double quotes with \n, \r, \t, \" and \\ escaped, a null string as null,
// a calibration record as record(<session>) or record(none), a callback as
// callback or null. Examples:
//     viOpen(1, "VXI0::2::INSTR", 0, 0)
//     viQueryf(4, "*IDN?\n", "%t")
//     tvksil2_init("VXI0::2::INSTR", 1, 1)
//     tvksil2_connect(7, 6, 1, 1, 1)
//     tvksil2_config_R(7, 1, 1000)
//     tvksil2_readFlash(record(7))
// Session handles come from one counter shared by all stand-ins, starting at 1
// after every load, so a scripted run journals the same handles every time.
//
// Fault plan. failCall(entry, status, times, from) makes the named entry point
// return status on its calls number from .. from+times-1 (calls are counted per
// entry point from 1 since the bench was loaded). A negative status is returned
// without doing anything else; a positive one (a warning) comes, as from a real
// driver, with the call's work done, and replaces its success (the error-message
// entry points ignore a planned warning).
// times = kAlways fails every call from then on. Instrument::lockTimesOut makes
// viLock on that resource wait its timeout (on the platform clock) and return
// VI_ERROR_TMO.
//
// Single-threaded, like the program it serves.
#pragma once

#include "drivers/mezzanine.h"
#include "drivers/visa.h"

#include <array>
#include <initializer_list>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

using ::kStages;
// What a meter reports for an open circuit or an overload, as real meters do.
inline constexpr double kOpenCircuit = 9.9e37;
inline constexpr int kAlways = -1;

// Mezzanine model codes.
inline constexpr int kModelKsil2 = KSIL2_MODEL;
inline constexpr int kModelKsil5 = KSIL5_MODEL;
inline constexpr int kModelMezMeter = MEZ_DMM_MODEL;

// Statuses of the bench's own (drivers answer them through error_message).
inline constexpr ViStatus kStatusNoBench = static_cast<ViStatus>(0xBFFA0F00u);   // bench could not be loaded
// Exit code of a process whose stand-ins could not load their bench.
inline constexpr int kExitBenchUnusable = 3;
inline constexpr ViStatus kStatusBadChannel = static_cast<ViStatus>(0xBFFA0F01u);
inline constexpr ViStatus kStatusBadStage = static_cast<ViStatus>(0xBFFA0F02u);
inline constexpr ViStatus kStatusNoModule = static_cast<ViStatus>(0xBFFA0F03u);   // no module at that position
inline constexpr ViStatus kStatusNotConnected = static_cast<ViStatus>(0xBFFA0F04u);
inline constexpr ViStatus kStatusNoSession = static_cast<ViStatus>(0xBFFA0F05u);  // record of no open session
inline constexpr ViStatus kStatusFlashRead = static_cast<ViStatus>(0xBFFA0F06u);
inline constexpr ViStatus kStatusFlashWrite = static_cast<ViStatus>(0xBFFA0F07u);
inline constexpr ViStatus kStatusBadParameter = static_cast<ViStatus>(0xBFFA0F08u);
inline constexpr ViStatus kStatusNotCarrier = static_cast<ViStatus>(0xBFFA0F09u);
inline constexpr ViStatus kStatusNoReading = static_cast<ViStatus>(0xBFFA0F0Au);  // fetch without initiate
inline constexpr ViStatus kStatusLockNotHeld = static_cast<ViStatus>(0xBFFA0F0Bu);
inline constexpr ViStatus kStatusBadFormat = static_cast<ViStatus>(0xBFFA0F0Cu);   // viQueryf format not supported
inline constexpr ViStatus kStatusFlashUnreadable = static_cast<ViStatus>(0xBFFA0F0Du); // flash file exists, cannot be read
inline constexpr ViStatus kStatusFlashForeign = static_cast<ViStatus>(0xBFFA0F0Eu);    // flash file of another module
inline constexpr ViStatus kStatusFlashTooLarge = static_cast<ViStatus>(0xBFFA0F0Fu);   // far larger than a record

// Russian text of a status as the stand-in drivers report it; a generic text
// with the code for statuses the bench does not know.
std::string statusText(ViStatus status);

// One channel of a resistance module.
struct Channel {
    // КСИЛ2-4Л: true value of each stage when it is in the chain (stage 1 first)
    // and of R0, what each bypassed stage contributes.
    std::array<double, kStages> stage{};
    double r0 = 0.0;
    // Physical state.
    bool on = false;
    std::int32_t code = 0;   // switch code, bit k = stage k+1 in the chain
    double setting = 0.0;    // last resistance asked for (КСИЛ5 presents exactly this)
};

struct SelfTestQuestion {
    std::int32_t code = 0;
    std::string text;
};

// What tvksil2_self_test does: asks each question through the registered
// callback (answer 1 stops), then reports result/text, or stoppedResult/
// stoppedText after a stop. leaveText: the caller's text is not written.
struct SelfTest {
    std::vector<SelfTestQuestion> questions;
    std::int16_t result = 0;
    std::string text = "Самоконтроль завершен успешно";
    std::int16_t stoppedResult = 1;
    std::string stoppedText = "Самоконтроль прерван оператором";
    bool leaveText = false;
};

// A multimeter. Meter families by model code: 579 HP E1412 (hpe1412_32),
// 3458 HP 3458A (hp3458a), 324 tvmult, 356 tvmultc1, 32 mezzanine meter
// (tvmmultc1_32).
struct Meter {
    int family = 0;
    // Where its four-wire inputs are wired: a module's measuring output
    // (wiredChannel 0: reads whichever channels are switched on, in parallel)
    // or one channel of it. Empty carrier = not wired (reads open).
    std::string wiredCarrier;
    int wiredPosition = 0;
    int wiredChannel = 0;
    double gainError = 0.0;      // relative: reading = true value × (1 + gainError)
    double noise = 0.0;          // relative standard deviation of the seeded noise
    std::uint32_t seed = 1;
    double conversionTime = 0.02; // seconds per reading, spent on the platform clock
    double voltDc = 0.0;         // what the DC voltage and current functions read
    double currDc = 0.0;
    // When set, every four-wire resistance reading delivers this value with
    // success, whatever the wiring: a meter that reads NaN or an infinity.
    std::optional<double> fixedReading;

    // State, reset when the bench is loaded.
    struct State {
        int function = 0;        // family's own function code (0 = four-wire resistance default)
        double resRange = 0.0;   // 0 = autorange; a reading above 1.2 × range is an overload
        double voltRange = 0.0;
        double currRange = 0.0;
        double voltNplc = 0.0;
        double currNplc = 0.0;
        std::int32_t trigCount = 1;
        bool initiated = false;
        int readings = 0;
        std::mt19937 rng;
    } state;
};

struct Mezzanine {
    int position = 0;            // 1..4
    int model = 0;               // 64, 79 or 32
    std::vector<Channel> channels; // 2 for КСИЛ2-4Л, 5 for КСИЛ5
    SelfTest selfTest;
    std::string revision = "1.0";
    std::optional<Meter> meter;  // the mezzanine multimeter (model 32)
    std::int16_t triggerMode = 0;
    std::uint16_t modeR = 0;
};

struct Instrument {
    std::string address;         // VISA resource string, unique on the bench
    ViUInt16 intfType = VI_INTF_VXI; // 1 GPIB, 2 VXI, 3 GPIB-VXI, 6 TCPIP, 7 USB
    ViInt16 slot = 0;
    ViInt16 crateLa = 0;
    ViInt16 la = 0;
    ViUInt16 manufacturer = 0;
    ViUInt16 model = 0;          // full 16-bit VI_ATTR_MODEL_CODE
    std::string idn;             // reply to "*IDN?\n"; empty: the query times out
    std::string tcpipAddress;    // VI_ATTR_TCPIP_ADDR of a TCPIP resource
    bool lockTimesOut = false;   // viLock waits its timeout and fails
    bool carrier = false;        // tvbase_init accepts it
    std::vector<Mezzanine> mezzanines;
    std::optional<Meter> meter;
};

// A fault the bench file plans (see failCall).
struct FaultSpec {
    std::string entry;
    ViStatus status = 0;
    int times = 1;
    int from = 1;
};

struct Bench {
    std::string source;          // where it came from, for messages
    std::vector<Instrument> instruments;
    std::vector<FaultSpec> faults; // applied when the bench is loaded
};

// Loading and resetting.
bool loadDefault(std::string* error = nullptr);
bool loadFile(const std::string& path, std::string* error = nullptr);
bool loadJson(std::string_view text, std::string* error = nullptr);
std::string_view defaultBenchJson();
// Forgets the bench, sessions, journal, call counts, faults, the state folder
// set by setStateDir and a pending interrupted write. The next stand-in call
// loads lazily again.
void reset();
// True when a bench is loaded.
bool loaded();
// The loaded bench, loading it lazily if needed; an empty bench if that fails.
Bench& bench();

// Folder of the module flash files: setStateDir, else KSIL_STATE_DIR, else
// $XDG_STATE_HOME/ksil-bench, else ~/.local/state/ksil-bench. Created on first write.
void setStateDir(std::string dir);
std::string stateDir();
// True when the state folder exists and can be written, or can be created.
// Otherwise *error names the folder, the variable it came from and the reason.
bool stateDirWritable(std::string* error = nullptr);
// The flash file of the module at that carrier address and position: one per
// module (docs/bench.md gives the name), read under an earlier version's name
// when only that exists and its record names the module.
std::string flashFile(std::string_view carrierAddress, int position);
// A flash file that exists but cannot be read (a link to nothing included),
// names another module or is far larger than a record makes the read fail
// with its own status (and one line on stderr naming the file); it never reads
// as the factory content.
// Makes the next flash write stop after its temporary file is written and
// synced, before the rename, as if the process were killed; the call returns
// kStatusFlashWrite.
void interruptNextFlashWrite();

// Lookups into the loaded bench (nullptr when absent).
Instrument* instrument(std::string_view address);
Mezzanine* mezzanine(std::string_view carrierAddress, int position);
Channel* channel(std::string_view carrierAddress, int position, int channel);

// Physics.
// Resistance a КСИЛ2-4Л channel presents for a switch code: the sum over the
// 18 stages of the stage value when set, R0 when bypassed.
double chainResistance(const Channel& ch, std::int32_t code);
// What the channel presents at its terminals now: kOpenCircuit when it is off.
double presentedResistance(std::string_view carrierAddress, int position, int channel);
// What the module's measuring output presents now: the channels that are
// switched on, in parallel; kOpenCircuit when none is.
double outputResistance(std::string_view carrierAddress, int position);
// What a meter's resistance function would read now, without gain error or noise.
double meterTrueResistance(const Meter& meter);

// Fault plan.
void failCall(std::string entry, ViStatus status, int times = 1, int from = 1);
void clearFaults();
// Calls of that entry point since the bench was loaded.
int callCount(std::string_view entry);

// Sessions open on the bench now, in handle order, each with what it is
// ("module VXI0::2::INSTR position 1", "meter GPIB0::22::INSTR", ...).
struct OpenSession {
    ViSession handle = 0;
    std::string what;
};
std::vector<OpenSession> openSessions();

// Journal.
const std::vector<std::string>& journal();
// Only the lines that start with prefix (an entry-point name or family prefix).
std::vector<std::string> journal(std::string_view prefix);
// Only the lines that start with one of the prefixes, in call order.
std::vector<std::string> journalOf(std::initializer_list<std::string_view> prefixes);
void clearJournal();

} // namespace sim
