// The program's global state, and where the panel resource is found.
#include "p_ksil2/globals.h"
#include "p_ksil2/run_record.h"
#include "p_ksil2/app_state.h"
#include "p_ksil2/reset.h"

#include "gauge/gauge.h"
#include "p_ksil2/caltable.h"
#include "p_ksil2/link_state.h"
#include "p_ksil2/manual.h"
#include "p_ksil2/msgp.h"
#include "p_ksil2/protocol.h"
#include "p_ksil2/verify.h"
#include "p_ksil2/verify_ksil5.h"
#include "si/discovery.h"
#include "platform/files.h"
#include "si/select.h"

#include <filesystem>
#include <system_error>

int hABOUT = 0, hST = 0, hDP = 0, hCP = 0, hPP = 0, hPP5 = 0, hTP = 0, hCHLP = 0, hHI = 0, hMP = 0;
int hMenuBar = 0;
int hTab = 0;

ViSession mvi = 0;
ViSession baseSession = 0;
std::int32_t moduleModel = 0;
std::array<std::int32_t, kMezzaninePositions> moduleTypes{};
std::array<double, kStages> nominalR{};
ViStatus lastStatus = 0;
int exitRequest = 0;
std::int32_t selftestAnswer = -1;
int autoPovMode = 0;
char driverRevision[256] = "";
char instrumentRevision[256] = "";

const char* exitQuestionText = kExitQuestionKsil2;
std::int32_t windowModel = 0;

namespace {

std::string resourceDir;

} // namespace

std::string resourcePath()
{
    if (resourceDir.empty())
        resourceDir = platform::programFolder();
    return resourceDir;
}

void setResourceDir(const std::string& dir)
{
    resourceDir = dir;
}

std::string resourceFile()
{
    return platform::utf8Path(platform::fsPath(resourcePath()) / kResourceFile);
}

void resetGlobals()
{
    hABOUT = hST = hDP = hCP = hPP = hPP5 = hTP = hCHLP = hHI = hMP = 0;
    runrecord::forgetRuns();
    hMenuBar = 0;
    hTab = 0;
    mvi = 0;
    baseSession = 0;
    moduleModel = 0;
    moduleTypes.fill(0);
    nominalR.fill(0.0);
    lastStatus = 0;
    exitRequest = 0;
    selftestAnswer = -1;
    autoPovMode = 0;
    forgetVerification();
    driverRevision[0] = '\0';
    instrumentRevision[0] = '\0';
    exitQuestionText = kExitQuestionKsil2;
    windowModel = 0;
    autoMeasure = 0;
    pp5Running = 0;
    pp5WaitStep = 0;

    viHP1412 = viHP3458 = viDMM = viDMM1 = viM_DMM1 = viNM = 0;
    meterStatus = 0;
    instrTable = {};
    forgetCalCells(); // with no panels: only what the table's cells are
    noteCarrier(nullptr);
}
