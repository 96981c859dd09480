// The browser build has no synthesizer: these stand-ins let the player code
// compile, and every synth it asks for is refused, so the music keeps time
// silently (the browser plays the music rendered at build time instead).
#pragma once

typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_settings_t fluid_settings_t;
typedef void (*fluid_log_function_t)(int level, const char* message, void* data);

enum { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG };
#define FLUID_OK 0
#define FLUID_FAILED (-1)

static inline fluid_log_function_t fluid_set_log_function(int, fluid_log_function_t, void*) {
  return nullptr;
}
static inline fluid_settings_t* new_fluid_settings() { return nullptr; }
static inline void delete_fluid_settings(fluid_settings_t*) {}
static inline int fluid_settings_setint(fluid_settings_t*, const char*, int) {
  return FLUID_FAILED;
}
static inline int fluid_settings_setnum(fluid_settings_t*, const char*, double) {
  return FLUID_FAILED;
}
static inline fluid_synth_t* new_fluid_synth(fluid_settings_t*) { return nullptr; }
static inline void delete_fluid_synth(fluid_synth_t*) {}
static inline int fluid_synth_sfload(fluid_synth_t*, const char*, int) { return FLUID_FAILED; }
static inline int fluid_synth_noteon(fluid_synth_t*, int, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_noteoff(fluid_synth_t*, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_key_pressure(fluid_synth_t*, int, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_cc(fluid_synth_t*, int, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_program_change(fluid_synth_t*, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_program_select(fluid_synth_t*, int, int, int, int) {
  return FLUID_FAILED;
}
static inline int fluid_synth_channel_pressure(fluid_synth_t*, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_pitch_bend(fluid_synth_t*, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_all_notes_off(fluid_synth_t*, int) { return FLUID_FAILED; }
static inline int fluid_synth_write_float(fluid_synth_t*, int, void*, int, int, void*, int, int) {
  return FLUID_FAILED;
}
