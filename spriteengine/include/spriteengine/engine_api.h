// The sprite engine's public interface: the one list of operations that both
// the engine library ("SYSTEm.DLL") and the game are built from.
//
// The engine exports every operation below by name with C linkage. The game
// resolves them by name at start-up, packs the table operations into a table
// of VARNOK_ENGINE_TABLE_SIZE slots (in list order, reserved slots left null)
// and hands the table to its own exported LibInit, which copies it slot by
// slot into the game's call table. Phase and platform operations are outside
// the table and are resolved into variables of their own.
//
// Ordering rules the engine relies on:
//  - Nothing is drawn until iRender or a render phase; sprites start hidden.
//  - Textures, sounds, fonts and particle systems may be created from any
//    thread at any time once iEngineOpen has returned; every operation is
//    thread-safe (the engine locks its scene).
//  - Handles are never reused within a process; 0 means none. An operation
//    given a handle that does not exist (or was destroyed) does nothing and
//    returns 0.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t EHandle;  // sprite, texture, sound, font, camera, particle system or emitter; 0 = none
typedef int32_t EBool;     // non-zero = true

// Locations, scales and directions, passed by address. Two-value uses ignore z.
typedef struct EngineVec {
  float x, y, z;
} EngineVec;

// Commands the engine's window forwards to the game's main window (and the
// game asks of the engine's window through iWindowCommand).
enum {
  VARNOK_WINDOW_CLOSE = 1,                 // close box / window manager close request
  VARNOK_WINDOW_MINIMIZE = 2,              // minimise (iconify)
  VARNOK_WINDOW_MAXIMIZE = 3,              // maximise button
  VARNOK_WINDOW_RESTORE = 4,               // back to the normal state
  VARNOK_WINDOW_ACTIVATE = 5,              // the window got the input focus
  VARNOK_WINDOW_DEACTIVATE = 6,            // the window lost the input focus
  VARNOK_WINDOW_CAPTION_DOUBLE_CLICK = 7,  // double click on the caption, where reported
  VARNOK_WINDOW_QUIT = 8,                  // the window was destroyed: the process ends normally
  VARNOK_WINDOW_PAD_REMOVED = 9            // a game controller was unplugged (it is no longer listed)
};

// How the engine reaches the game's main window (its message loop lives in
// the game's platform layer). The engine calls `command` from its own threads;
// the receiver must only post the command to its queue.
typedef struct VarnokWindowLink {
  void* context;
  void (*command)(void* context, int32_t command);
} VarnokWindowLink;

// Game-controller buttons and axes as the pad operations number them (SDL's
// game-controller order).
enum {
  VARNOK_PAD_A, VARNOK_PAD_B, VARNOK_PAD_X, VARNOK_PAD_Y, VARNOK_PAD_BACK, VARNOK_PAD_GUIDE, VARNOK_PAD_START,
  VARNOK_PAD_LEFT_STICK, VARNOK_PAD_RIGHT_STICK, VARNOK_PAD_LEFT_SHOULDER, VARNOK_PAD_RIGHT_SHOULDER,
  VARNOK_PAD_DPAD_UP, VARNOK_PAD_DPAD_DOWN, VARNOK_PAD_DPAD_LEFT, VARNOK_PAD_DPAD_RIGHT,
  VARNOK_PAD_BUTTONS
};
enum {
  VARNOK_PAD_AXIS_LEFT_X, VARNOK_PAD_AXIS_LEFT_Y, VARNOK_PAD_AXIS_RIGHT_X, VARNOK_PAD_AXIS_RIGHT_Y,
  VARNOK_PAD_AXIS_LEFT_TRIGGER, VARNOK_PAD_AXIS_RIGHT_TRIGGER,
  VARNOK_PAD_AXES
};

// Six 32-bit values passed by address to iEngineSettings.
enum {
  VARNOK_SETTINGS_BLOCK_SIZE = 6,
  VARNOK_SETTINGS_FULL_SCREEN = 4,  // -1 = desktop full screen, 0 = window
  VARNOK_SETTINGS_SKIP_PANEL = 5    // -1 = do not show a settings panel
};

// ---------------------------------------------------------------------------
// Table operations: OP(return type, name, parameter list)
// RESERVED(n) marks an unused slot (kept so older tables keep their layout).
// ---------------------------------------------------------------------------
#define VARNOK_ENGINE_TABLE(OP, RESERVED)                                                          \
  /* camera: covers the window; sprites are screen space, particles see through it */            \
  OP(EHandle, iCameraCreate, (int32_t left, int32_t top, float width, float height))              \
  OP(void, iCameraLocationSet, (EHandle camera, const EngineVec* location))                       \
  OP(void, iCameraFovSet, (EHandle camera, float degrees))                                        \
  /* sprites: quads of a mesh, hidden when created, priority 0, scale (1,1), white */             \
  OP(EHandle, iSpriteCreate, (const char* meshFile, EHandle camera))                              \
  OP(EHandle, iSpriteCreateFromMemory,                                                            \
     (const void* bytes, int32_t size, int32_t unused1, int32_t unused2, int32_t resourceId,      \
      EHandle camera))                                                                            \
  OP(void, iSpriteShow, (EHandle sprite))                                                         \
  OP(void, iSpriteHide, (EHandle sprite))                                                         \
  OP(void, iSpriteDestroy, (EHandle sprite))                                                      \
  OP(void, iSpriteTextureSet, (EHandle sprite, EHandle texture))                                  \
  OP(void, iSpriteTextureSwap, (EHandle sprite, EHandle texture))                                 \
  OP(void, iSpriteLocationSet, (EHandle sprite, const EngineVec* location))                       \
  OP(void, iSpriteLocation, (EHandle sprite, EngineVec* location))                                \
  OP(void, iSpriteScaleSet, (EHandle sprite, const EngineVec* scale))                             \
  /* z = degrees counter-clockwise; x and y are ignored */                                        \
  OP(void, iSpriteOrientationSet, (EHandle sprite, const EngineVec* orientation))                 \
  OP(void, iSpriteColorSet, (EHandle sprite, float r, float g, float b, float a))                 \
  OP(void, iSpritePrioritySet, (EHandle sprite, int32_t priority))                                \
  OP(void, iSpriteTextureModeSet, (EHandle sprite, int32_t mode))                                 \
  OP(void, iSpriteMipFilterModeSet, (EHandle sprite, int32_t mode))                               \
  RESERVED(18)                                                                                    \
  RESERVED(19)                                                                                    \
  /* textures: PNG, JPEG or DDS, by file or from bytes */                                         \
  OP(EHandle, iTextureCreate, (const char* file))                                                 \
  OP(EHandle, iTextureCreateFromMemory, (const void* bytes, int32_t size, int32_t resourceId))    \
  OP(void, iTextureDestroy, (EHandle texture))                                                    \
  OP(void, iTextureMipLevelsSet, (int32_t levels))                                                \
  /* sounds: loops -1 repeats until stopped, 0 plays once */                                      \
  OP(EHandle, iSoundCreate, (const char* wavFile, int32_t flags))                                 \
  OP(EHandle, iSoundOggCreate, (const char* oggFile, int32_t flags1, int32_t flags2))             \
  OP(void, iSoundPlayNow, (EHandle sound, int32_t loops))                                         \
  OP(void, iSoundPlay, (EHandle sound, int32_t loops))                                            \
  OP(void, iSoundStop, (EHandle sound, int32_t flags))                                            \
  OP(EBool, iSoundPlaying, (EHandle sound))                                                       \
  OP(void, iSoundDestroy, (EHandle sound))                                                        \
  /* text: prints stay until iPrintsHide; colour holds for later prints */                        \
  OP(EHandle, iFontCreate, (const char* fontFile, EHandle camera))                                \
  OP(void, iPrintColorSet, (float r, float g, float b, float a))                                  \
  OP(void, iPrint,                                                                                \
     (const char* text, const EngineVec* location, const EngineVec* scale, float spacing,         \
      EHandle font))                                                                              \
  OP(void, iPrintCentered,                                                                        \
     (const char* text, const EngineVec* location, const EngineVec* scale, float spacing,         \
      EHandle font, int32_t flags))                                                               \
  OP(void, iPrintsHide, (void))                                                                   \
  /* input: DirectInput scan codes; mouse 0..1 of the frame from left and top */                  \
  OP(EBool, iKeyDown, (int32_t scanCode))                                                         \
  OP(EBool, iKeyClick, (int32_t scanCode))                                                        \
  OP(float, iMouseX, (void))                                                                      \
  OP(float, iMouseY, (void))                                                                      \
  OP(EBool, iMouseButtonClick, (int32_t button))                                                  \
  OP(void, iMouseReset, (const EngineVec* position))                                              \
  OP(void, iWindowsMouseHide, (int32_t hide))                                                     \
  OP(void, iEscEnable, (int32_t enable))                                                          \
  /* particles: systems simulate in 3-D world space seen through the camera */                    \
  OP(EHandle, iParticleCreate, (const char* textureFile, int32_t capacity))                       \
  OP(void, iParticleRenderModeSet, (EHandle system, int32_t mode))                                \
  OP(void, iParticleGravitySet, (EHandle system, const EngineVec* gravity))                       \
  OP(void, iParticleAirResistanceSet, (EHandle system, float resistance))                         \
  OP(void, iParticleColorSet, (EHandle system, const EngineVec* startColor, const EngineVec* endColor)) \
  OP(void, iParticleLifeTimeSet, (EHandle system, float seconds))                                 \
  OP(void, iParticleEnvMapCasterAdd, (EHandle system))                                            \
  OP(void, iParticleShow, (EHandle system))                                                       \
  OP(void, iParticleHide, (EHandle system))                                                       \
  OP(void, iParticleDestroy, (EHandle system))                                                    \
  OP(EHandle, iParticleEmitterCreate, (EHandle system))                                           \
  OP(void, iParticleEmitterLocationSet, (EHandle emitter, const EngineVec* location))             \
  OP(void, iParticleEmitterDirectionSet, (EHandle emitter, const EngineVec* min, const EngineVec* max)) \
  OP(void, iParticleEmitterSpeedSet, (EHandle emitter, float min, float max))                     \
  OP(void, iParticleEmitterScaleSet, (EHandle emitter, const EngineVec* startSize, const EngineVec* endSize)) \
  OP(void, iParticleEmitterEmit, (EHandle emitter, int32_t count, int32_t flags))                 \
  OP(void, iParticleEmitterDestroy, (EHandle emitter))                                            \
  RESERVED(61)                                                                                    \
  /* frame */                                                                                     \
  OP(void, iRender, (void))                                                                       \
  OP(void, iScreenWipe, (float r, float g, float b))                                              \
  OP(void, iFrqSet, (float secondsPerFrame))                                                      \
  OP(double, iSystemTimer, (void))                                                                \
  OP(void, iExit, (void))                                                                         \
  /* automation: the game reports each change of its state (for the engine log) */               \
  OP(void, iGameStateSet, (int32_t state))

// ---------------------------------------------------------------------------
// Phase and platform operations (outside the table), in the order the host's
// engine thread uses them. iEngineMessage stands in for the other system's
// PeekMessage (wait = 0) / GetMessage (wait != 0): it handles one pending
// window-system event of the engine's window and returns non-zero if there
// was one; a waiting call gives up after about 50 ms so the host can notice a
// stop request.
// ---------------------------------------------------------------------------
#define VARNOK_ENGINE_PHASES(OP)                                                                  \
  OP(EBool, iEngineOpen, (intptr_t window, int32_t flags))                                        \
  OP(EBool, iEngineSettings, (int32_t* block))                                                    \
  OP(EBool, iEngineIsRendering, (void))                                                           \
  OP(EBool, iEngineIsActive, (void))                                                              \
  OP(EBool, iEngineMessage, (int32_t wait))                                                       \
  OP(EBool, iEngineIsReady, (void))                                                               \
  OP(void, iEngineMain, (void))                                                                   \
  OP(EBool, iEngineIsExecuting, (void))                                                           \
  OP(EBool, iEngineIsInitializing, (void))                                                        \
  OP(void, iEngineInitBegin, (void))                                                              \
  OP(void, iEngineInitEnd, (void))                                                                \
  OP(EBool, iEngineErrorFlag, (void))                                                             \
  OP(EBool, iEngineIsSkippingRunPhase, (void))                                                    \
  OP(void, iEngineRunBegin, (void))                                                               \
  OP(void, iEngineRunEnd, (void))                                                                 \
  OP(EBool, iEngineIsSkippingRenderPhase, (void))                                                 \
  OP(void, iEngineRender, (void))                                                                 \
  OP(void, iEngineExitBegin, (void))                                                              \
  OP(void, iEngineExitEnd, (void))                                                                \
  OP(void, iEngineClose, (void))                                                                  \
  /* a world point at (x, y, z) to sprite units on screen, through the camera */                 \
  OP(void, i3DLocationToScreen, (const EngineVec* world, EngineVec* screen))                      \
  /* platform: where window commands go; may be called before iEngineOpen */                     \
  OP(void, iWindowLinkSet, (const VarnokWindowLink* link))                                        \
  /* platform: the game asks the engine's window to minimise, restore or close */                \
  OP(void, iWindowCommand, (int32_t command))                                                     \
  /* platform: the connected game controllers' numbers in rising order, at most `capacity` */  \
  /* of them written to `pads`; returns how many are connected. A pad plugged in again gets */   \
  /* a new number. */                                                                             \
  OP(int32_t, iPadList, (int32_t* pads, int32_t capacity))                                        \
  /* platform: a pad's button (VARNOK_PAD_*) held now; its press, seen once in the run phase */   \
  /* after it, as iKeyDown and iKeyClick report keys. */                                          \
  OP(EBool, iPadButtonDown, (int32_t pad, int32_t button))                                        \
  OP(EBool, iPadButtonClick, (int32_t pad, int32_t button))                                       \
  /* platform: a pad's axis (VARNOK_PAD_AXIS_*) now, -1..1 (y grows downwards, triggers 0..1) */ \
  OP(float, iPadAxis, (int32_t pad, int32_t axis))                                                \
  /* platform: the script's frame count (the FRAME of the engine log): one more for every run */ \
  /* phase, and at the frame rate while no frame runs (minimised, placeholder). Any thread. */    \
  OP(int64_t, iEngineFrame, (void))

// Declarations of every exported operation. The game calls the engine only
// through its own call table and defines VARNOK_ENGINE_NO_PROTOTYPES so that
// its function-pointer variables can carry the operations' names.
#ifndef VARNOK_ENGINE_NO_PROTOTYPES
#define VARNOK_DECLARE_OP(ret, name, params) ret name params;
#define VARNOK_DECLARE_NOTHING(slot)
VARNOK_ENGINE_TABLE(VARNOK_DECLARE_OP, VARNOK_DECLARE_NOTHING)
VARNOK_ENGINE_PHASES(VARNOK_DECLARE_OP)
#undef VARNOK_DECLARE_OP
#undef VARNOK_DECLARE_NOTHING
#endif

// Slot count of the operation table (operations and reserved slots).
#define VARNOK_COUNT_SLOT(...) +1
enum { VARNOK_ENGINE_TABLE_SIZE = 0 VARNOK_ENGINE_TABLE(VARNOK_COUNT_SLOT, VARNOK_COUNT_SLOT) };
#undef VARNOK_COUNT_SLOT

#ifdef __cplusplus
}
#endif
