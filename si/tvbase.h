// Mezzanine-carrier driver (tvbase_32). Statuses follow VISA: negative = failure.
// Linked by import for the session code, loaded by name for discovery and the
// multimeter layer (the pointer types below).
#pragma once

#include "platform/visa.h"

inline constexpr ViInt16 MEZ_MODEL_KSIL2 = 64;
inline constexpr ViInt16 MEZ_MODEL_KSIL5 = 79;
inline constexpr ViInt16 MEZ_MODEL_DMM = 32;

extern "C" {

ViStatus tvbase_init(ViConstString rsrcName, ViBoolean idQuery, ViBoolean reset, ViSession* vi);
// position 1..4; present: non-zero when a mezzanine is fitted; model: its model code
ViStatus tvbase_m_type_q(ViSession vi, ViInt16 position, ViInt16* present, ViInt16* model);
ViStatus tvbase_close(ViSession vi);

using tvbase_init_t = ViStatus (*)(ViConstString, ViBoolean, ViBoolean, ViSession*);
using tvbase_m_type_q_t = ViStatus (*)(ViSession, ViInt16, ViInt16*, ViInt16*);
using tvbase_close_t = ViStatus (*)(ViSession);

} // extern "C"
